// VariantChangeType: results, rounding, overflow and mismatch as a caller sees them.
#include <gtest/gtest.h>

#include <vector>

#include "oleaut_test_support.h"

namespace {

struct Conversion {
  com_variant source;
  VARTYPE vt;
  HRESULT hr;
  std::string result = {};  // Describe() of the converted value, when hr succeeds
  USHORT flags = 0;
};

com_variant Cy(LONGLONG x) { return Make(VT_CY, [x](VARIANT& v) { v.cyVal.int64 = x; }); }

com_variant Converted(com_variant v, VARTYPE vt) {
  EXPECT_EQ(S_OK, v.change_type(vt)) << Describe(v) << " to vt " << vt;
  return v;
}

void Expect(const std::vector<Conversion>& table) {
  for (const Conversion& c : table) {
    com_variant out;
    const HRESULT hr = VariantChangeType(out.put(), const_cast<VARIANT*>(c.source.get()), c.flags, c.vt);
    EXPECT_EQ(c.hr, hr) << Describe(c.source) << " to vt " << c.vt;
    if (SUCCEEDED(hr)) {
      EXPECT_EQ(c.result, Describe(out)) << Describe(c.source) << " to vt " << c.vt;
    }
  }
}

}  // namespace

TEST(VariantChangeType, NumbersRoundHalfToEvenAndOverflowOutsideTheTargetRange) {
  Expect({
      {R8(2.5), VT_I4, S_OK, "I4:2"},        {R8(3.5), VT_I4, S_OK, "I4:4"},
      {R8(-2.5), VT_I4, S_OK, "I4:-2"},      {R8(-3.5), VT_I4, S_OK, "I4:-4"},
      {R8(0.5), VT_I4, S_OK, "I4:0"},        {R8(1.5), VT_I4, S_OK, "I4:2"},
      {R8(2.4999), VT_I4, S_OK, "I4:2"},     {R8(-0.51), VT_I4, S_OK, "I4:-1"},
      {Cy(25000), VT_I2, S_OK, "I2:2"},      {R8(0.1), VT_BOOL, S_OK, "BOOL:-1"},
      {R8(127.5), VT_I1, DISP_E_OVERFLOW},   {R8(-128.5), VT_I1, S_OK, "I1:-128"},
      {R8(255.5), VT_UI1, DISP_E_OVERFLOW},  {R8(-0.51), VT_UI4, DISP_E_OVERFLOW},
      {R8(-0.5), VT_UI2, S_OK, "UI2:0"},     {R8(32767.5), VT_I2, DISP_E_OVERFLOW},
      {R8(2147483647.5), VT_I4, DISP_E_OVERFLOW}, {R8(4294967295.4), VT_UINT, S_OK, "UINT:4294967295"},
      {R8(1.8446744073709552e19), VT_UI8, DISP_E_OVERFLOW}, {R8(1e39), VT_R4, DISP_E_OVERFLOW},
      {R8(3.4e38), VT_R4, S_OK, "R4:3.4e+38"}, {R8(1e15), VT_CY, DISP_E_OVERFLOW},
      {R8(2958466.0), VT_DATE, DISP_E_OVERFLOW}, {R8(-657434.5), VT_DATE, S_OK, "DATE:-657434.5"},
      {I4(300), VT_UI1, DISP_E_OVERFLOW},
      // Booleans and integers of the same width convert bit for bit; narrower ones are range-checked.
      {Bool(true), VT_UI1, S_OK, "UI1:255"}, {Bool(true), VT_I4, S_OK, "I4:-1"},
      {Bool(true), VT_CY, S_OK, "CY:-10000"}, {I4(-1), VT_UI4, S_OK, "UI4:4294967295"},
      {I4(-1), VT_UI2, DISP_E_OVERFLOW},
  });
}

TEST(VariantChangeType, TextReadsAsNumbersWithBlanksSignsAndSeparators) {
  Expect({
      {Text(OLESTR(" 12 ")), VT_R8, S_OK, "R8:12"},       {Text(OLESTR("1,000")), VT_R8, S_OK, "R8:1000"},
      {Text(OLESTR("-1")), VT_R8, S_OK, "R8:-1"},         {Text(OLESTR("1e3")), VT_R8, S_OK, "R8:1000"},
      {Text(OLESTR("(5)")), VT_R8, S_OK, "R8:-5"},        {Text(OLESTR("5-")), VT_R8, S_OK, "R8:-5"},
      {Text(OLESTR("&HFF")), VT_R8, S_OK, "R8:255"},      {Text(OLESTR(".5")), VT_R8, S_OK, "R8:0.5"},
      {Text(OLESTR("\t3.25\t")), VT_R8, S_OK, "R8:3.25"}, {Text(OLESTR("$7")), VT_R8, S_OK, "R8:7"},
      {Text(OLESTR("2.5")), VT_I4, S_OK, "I4:2"},         {Text(OLESTR("0.1")), VT_R4, S_OK, "R4:0.1"},
      {Text(OLESTR("1.5")), VT_CY, S_OK, "CY:15000"},
      {Text(OLESTR("99999999999")), VT_I4, DISP_E_OVERFLOW},
      {Text(OLESTR("9223372036854775808")), VT_I8, DISP_E_OVERFLOW},
      {Text(OLESTR("18446744073709551615")), VT_UI8, S_OK, "UI8:18446744073709551615"},
  });
}

TEST(VariantChangeType, ImpossibleConversionsAreTypeMismatches) {
  std::vector<Conversion> table;
  for (const OLECHAR* text : {OLESTR("abc"), OLESTR(""), OLESTR("12abc"), OLESTR("1 2"), OLESTR("True"), OLESTR("0x10")})
    table.push_back({Text(text), VT_I4, DISP_E_TYPEMISMATCH});
  com_variant array = Make(VT_ARRAY | VT_I4, [](VARIANT& v) { v.parray = SafeArrayCreateVector(VT_I4, 0, 2); });
  table.insert(table.end(), {
      {Text(OLESTR("yes")), VT_BOOL, DISP_E_TYPEMISMATCH}, {Text(OLESTR("7")), VT_DATE, DISP_E_TYPEMISMATCH},
      {Text(OLESTR("13/13/2000")), VT_DATE, DISP_E_TYPEMISMATCH},
      {Of(VT_NULL), VT_I4, DISP_E_TYPEMISMATCH},           {Of(VT_NULL), VT_EMPTY, DISP_E_TYPEMISMATCH},
      {Make(VT_ERROR, [](VARIANT& v) { v.scode = E_FAIL; }), VT_BSTR, DISP_E_TYPEMISMATCH},
      {Make(VT_BSTR, [](VARIANT& v) { v.bstrVal = nullptr; }), VT_I4, DISP_E_TYPEMISMATCH},
      {I4(1), VT_I4 | VT_BYREF, DISP_E_TYPEMISMATCH},      {I4(1), VT_ARRAY | VT_I4, DISP_E_TYPEMISMATCH},
      {I4(1), VT_UNKNOWN, DISP_E_TYPEMISMATCH},            {I4(1), VT_VOID, DISP_E_BADVARTYPE},
      {array, VT_I4, DISP_E_TYPEMISMATCH},                 {array, VT_BSTR, DISP_E_TYPEMISMATCH},
      {array, VT_ARRAY | VT_R8, DISP_E_TYPEMISMATCH},      {Date(3e6), VT_BSTR, E_INVALIDARG},
  });
  Expect(table);

  com_variant copy;
  ASSERT_EQ(S_OK, VariantChangeType(copy.put(), array.get(), 0, VT_ARRAY | VT_I4));
  EXPECT_NE(copy.get()->parray, array.get()->parray);
}

TEST(VariantChangeType, ValuesWriteAsTheEnglishLocaleDoes) {
  Expect({
      {R8(3.5), VT_BSTR, S_OK, "BSTR:3.5"},     {R8(-12), VT_BSTR, S_OK, "BSTR:-12"},
      {R8(0.1), VT_BSTR, S_OK, "BSTR:0.1"},     {R8(1e20), VT_BSTR, S_OK, "BSTR:1E+20"},
      {R8(1e-5), VT_BSTR, S_OK, "BSTR:1E-05"},  {R8(1.0 / 3), VT_BSTR, S_OK, "BSTR:0.333333333333333"},
      {R8(0.0), VT_BSTR, S_OK, "BSTR:0"},       {R8(123456789012345.0), VT_BSTR, S_OK, "BSTR:123456789012345"},
      {Cy(123400), VT_BSTR, S_OK, "BSTR:12.34"}, {Cy(-1), VT_BSTR, S_OK, "BSTR:-0.0001"},
      {Make(VT_R4, [](VARIANT& v) { v.fltVal = 1.0f / 3; }), VT_BSTR, S_OK, "BSTR:0.3333333"},
      {Make(VT_I8, [](VARIANT& v) { v.llVal = -9223372036854775807LL - 1; }), VT_BSTR, S_OK,
       "BSTR:-9223372036854775808"},
      // Booleans in words only when asked for.
      {Bool(true), VT_BSTR, S_OK, "BSTR:-1"},   {Bool(true), VT_BSTR, S_OK, "BSTR:True", VARIANT_ALPHABOOL},
      {Bool(false), VT_BSTR, S_OK, "BSTR:0"},   {Bool(false), VT_BSTR, S_OK, "BSTR:False", VARIANT_ALPHABOOL},
      {Date(0.75), VT_BSTR, S_OK, "BSTR:6:00:00 PM"}, {Date(0.0), VT_BSTR, S_OK, "BSTR:12:00:00 AM"},
      {Date(36526), VT_BSTR, S_OK, "BSTR:1/1/2000"},  {Date(36526.5), VT_BSTR, S_OK, "BSTR:1/1/2000 12:00:00 PM"},
      {Date(1), VT_BSTR, S_OK, "BSTR:12/31/1899"},    {Date(-1.25), VT_BSTR, S_OK, "BSTR:12/29/1899 6:00:00 AM"},
      // Empty and null texts become an empty text, not a null one.
      {Of(VT_EMPTY), VT_BSTR, S_OK, "BSTR:"},   {Make(VT_BSTR, [](VARIANT& v) { v.bstrVal = nullptr; }), VT_BSTR, S_OK, "BSTR:"},
      {Of(VT_EMPTY), VT_R8, S_OK, "R8:0"},
  });
}

TEST(VariantChangeType, TextReadsAsBooleansAndDates) {
  Expect({
      {Text(OLESTR("True")), VT_BOOL, S_OK, "BOOL:-1"},   {Text(OLESTR("false")), VT_BOOL, S_OK, "BOOL:0"},
      {Text(OLESTR("#TRUE#")), VT_BOOL, S_OK, "BOOL:-1"}, {Text(OLESTR("0.0")), VT_BOOL, S_OK, "BOOL:0"},
      {Text(OLESTR("2.5")), VT_BOOL, S_OK, "BOOL:-1"},    {Text(OLESTR("18:00")), VT_DATE, S_OK, "DATE:0.75"},
      {Text(OLESTR("12/30/1899 6:00:00 PM")), VT_DATE, S_OK, "DATE:0.75"},
      {Text(OLESTR("2000-01-01")), VT_DATE, S_OK, "DATE:36526"},
      {Text(OLESTR("1/2/2000 13:14:15")), VT_DATE, S_OK, "DATE:36527.5515625"},
      {Text(OLESTR("Jan 2, 2000")), VT_DATE, S_OK, "DATE:36527"},
      {Text(OLESTR("31/12/2000")), VT_DATE, S_OK, "DATE:36891"},
  });
}

TEST(VariantChangeType, TextWithNulsRoundTripsThroughBytes) {
  com_variant withNul = Make(VT_BSTR, [](VARIANT& v) { v.bstrVal = SysAllocStringLen(OLESTR("a\0b"), 3); });
  const com_variant bytes = Converted(withNul, VT_ARRAY | VT_UI1);
  EXPECT_EQ(6u, bytes.get()->parray->rgsabound[0].cElements);
  Expect({{withNul, VT_BSTR, S_OK, std::string("BSTR:a\0b", 8)}, {bytes, VT_BSTR, S_OK, std::string("BSTR:a\0b", 8)}});
}

TEST(VariantChangeType, ConvertsInPlaceAndLeavesTheDestinationAloneOnFailure) {
  com_variant value = Text(OLESTR(" 42 "));
  ASSERT_EQ(S_OK, value.change_type(VT_I4));
  EXPECT_EQ("I4:42", Describe(value));
  value = R8(300);
  EXPECT_EQ(DISP_E_OVERFLOW, value.change_type(VT_UI1));
  EXPECT_EQ("R8:300", Describe(value));

  com_variant destination = Text(OLESTR("keep"));
  com_variant bad = Text(OLESTR("zz"));
  EXPECT_EQ(DISP_E_TYPEMISMATCH, VariantChangeType(destination.get(), bad.get(), 0, VT_I4));
  EXPECT_EQ("BSTR:keep", Describe(destination));
}

TEST(VariantChangeType, ReferencesAreFollowed) {
  LONG number = 42;
  com_variant inner = R8(2.5);
  Expect({
      {Make(VT_BYREF | VT_I4, [&](VARIANT& v) { v.plVal = &number; }), VT_BSTR, S_OK, "BSTR:42"},
      {Make(VT_BYREF | VT_I4, [](VARIANT& v) { v.plVal = nullptr; }), VT_BSTR, DISP_E_TYPEMISMATCH},
      {Make(VT_BYREF | VT_VARIANT, [&](VARIANT& v) { v.pvarVal = inner.get(); }), VT_I4, S_OK, "I4:2"},
  });
}

TEST(VariantChangeType, DecimalsCarryExactValues) {
  const com_variant decimal = Converted(Text(OLESTR("12.5")), VT_DECIMAL);
  EXPECT_EQ(VT_DECIMAL, decimal.vt());
  Expect({{decimal, VT_R8, S_OK, "R8:12.5"},
          {decimal, VT_I4, S_OK, "I4:12"},
          {decimal, VT_BSTR, S_OK, "BSTR:12.5"},
          {Converted(R8(0.1), VT_DECIMAL), VT_BSTR, S_OK, "BSTR:0.1"}});
}
