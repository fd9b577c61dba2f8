// VariantChangeType: results, rounding, overflow and mismatch as a caller sees them.
#include <gtest/gtest.h>

#include "oleaut_test_support.h"

namespace {

HRESULT Change(VARIANT* source, VARTYPE vt, VARIANT* out, USHORT flags = 0) {
  return VariantChangeType(out, source, flags, vt);
}

// The text form of a value; empty with a test failure when the conversion fails.
std::string TextOf(VARIANT* source, USHORT flags = 0) {
  TestVariant out;
  const HRESULT hr = Change(source, VT_BSTR, &out, flags);
  EXPECT_EQ(hr, S_OK);
  return SUCCEEDED(hr) ? Ascii(out->bstrVal) : std::string();
}

HRESULT TextTo(const OLECHAR* text, VARTYPE vt, VARIANT* out) {
  TestVariant source;
  SetText(&source, text);
  return Change(&source, vt, out);
}

}  // namespace

TEST(VariantChangeType, FloatsRoundHalfToEvenIntoIntegers) {
  const struct {
    double value;
    LONG expected;
  } cases[] = {{2.5, 2}, {3.5, 4}, {-2.5, -2}, {-3.5, -4}, {0.5, 0}, {1.5, 2}, {2.4999, 2}, {-0.51, -1}};
  for (const auto& c : cases) {
    TestVariant source;
    TestVariant out;
    SetR8(&source, c.value);
    ASSERT_EQ(Change(&source, VT_I4, &out), S_OK) << c.value;
    EXPECT_EQ(out->lVal, c.expected) << c.value;
  }
  TestVariant currency;
  TestVariant out;
  currency->vt = VT_CY;
  currency->cyVal.int64 = 25000;  // 2.5
  ASSERT_EQ(Change(&currency, VT_I2, &out), S_OK);
  EXPECT_EQ(out->iVal, 2);
}

TEST(VariantChangeType, ValuesOutsideTheTargetRangeOverflow) {
  const struct {
    double value;
    VARTYPE vt;
    HRESULT expected;
  } cases[] = {
      {127.5, VT_I1, DISP_E_OVERFLOW},     {-128.5, VT_I1, S_OK},           {255.5, VT_UI1, DISP_E_OVERFLOW},
      {-0.51, VT_UI4, DISP_E_OVERFLOW},    {-0.5, VT_UI2, S_OK},            {32767.5, VT_I2, DISP_E_OVERFLOW},
      {2147483647.5, VT_I4, DISP_E_OVERFLOW}, {4294967295.4, VT_UINT, S_OK}, {1.8446744073709552e19, VT_UI8, DISP_E_OVERFLOW},
      {1e39, VT_R4, DISP_E_OVERFLOW},      {3.4e38, VT_R4, S_OK},           {1e15, VT_CY, DISP_E_OVERFLOW},
      {2958466.0, VT_DATE, DISP_E_OVERFLOW}, {-657434.5, VT_DATE, S_OK},
  };
  for (const auto& c : cases) {
    TestVariant source;
    TestVariant out;
    SetR8(&source, c.value);
    EXPECT_EQ(Change(&source, c.vt, &out), c.expected) << c.value << " to " << c.vt;
  }
  TestVariant big;
  TestVariant out;
  SetI4(&big, 300);
  EXPECT_EQ(Change(&big, VT_UI1, &out), DISP_E_OVERFLOW);
  EXPECT_EQ(TextTo(OLESTR("99999999999"), VT_I4, &out), DISP_E_OVERFLOW);
  EXPECT_EQ(TextTo(OLESTR("9223372036854775808"), VT_I8, &out), DISP_E_OVERFLOW);
  ASSERT_EQ(TextTo(OLESTR("18446744073709551615"), VT_UI8, &out), S_OK);
  EXPECT_EQ(out->ullVal, 18446744073709551615ULL);
}

TEST(VariantChangeType, BooleansAndSameWidthIntegersConvertBitForBit) {
  TestVariant truth;
  TestVariant out;
  SetBool(&truth, true);
  ASSERT_EQ(Change(&truth, VT_UI1, &out), S_OK);
  EXPECT_EQ(out->bVal, 255);
  ASSERT_EQ(Change(&truth, VT_I4, &out), S_OK);
  EXPECT_EQ(out->lVal, -1);
  ASSERT_EQ(Change(&truth, VT_CY, &out), S_OK);
  EXPECT_EQ(out->cyVal.int64, -10000);

  TestVariant minusOne;
  SetI4(&minusOne, -1);
  ASSERT_EQ(Change(&minusOne, VT_UI4, &out), S_OK);
  EXPECT_EQ(out->ulVal, 4294967295u);
  EXPECT_EQ(Change(&minusOne, VT_UI2, &out), DISP_E_OVERFLOW);  // narrower: range-checked
}

TEST(VariantChangeType, TextReadsAsNumbersWithBlanksSignsAndSeparators) {
  const struct {
    const OLECHAR* text;
    double expected;
  } cases[] = {{OLESTR(" 12 "), 12},   {OLESTR("1,000"), 1000}, {OLESTR("-1"), -1},       {OLESTR("1e3"), 1000},
               {OLESTR("(5)"), -5},    {OLESTR("5-"), -5},      {OLESTR("&HFF"), 255},    {OLESTR(".5"), 0.5},
               {OLESTR("\t3.25\t"), 3.25}, {OLESTR("$7"), 7}};
  for (const auto& c : cases) {
    TestVariant out;
    ASSERT_EQ(TextTo(c.text, VT_R8, &out), S_OK) << c.expected;
    EXPECT_DOUBLE_EQ(out->dblVal, c.expected);
  }
  TestVariant out;
  ASSERT_EQ(TextTo(OLESTR("2.5"), VT_I4, &out), S_OK);
  EXPECT_EQ(out->lVal, 2);
  ASSERT_EQ(TextTo(OLESTR("0.1"), VT_R4, &out), S_OK);
  EXPECT_FLOAT_EQ(out->fltVal, 0.1f);
  ASSERT_EQ(TextTo(OLESTR("1.5"), VT_CY, &out), S_OK);
  EXPECT_EQ(out->cyVal.int64, 15000);
}

TEST(VariantChangeType, ImpossibleConversionsAreTypeMismatches) {
  TestVariant out;
  for (const OLECHAR* text : {OLESTR("abc"), OLESTR(""), OLESTR("12abc"), OLESTR("1 2"), OLESTR("True"), OLESTR("0x10")})
    EXPECT_EQ(TextTo(text, VT_I4, &out), DISP_E_TYPEMISMATCH);
  EXPECT_EQ(TextTo(OLESTR("yes"), VT_BOOL, &out), DISP_E_TYPEMISMATCH);
  EXPECT_EQ(TextTo(OLESTR("7"), VT_DATE, &out), DISP_E_TYPEMISMATCH);

  TestVariant null;
  null->vt = VT_NULL;
  EXPECT_EQ(Change(&null, VT_I4, &out), DISP_E_TYPEMISMATCH);
  EXPECT_EQ(Change(&null, VT_EMPTY, &out), DISP_E_TYPEMISMATCH);
  TestVariant error;
  error->vt = VT_ERROR;
  error->scode = E_FAIL;
  EXPECT_EQ(Change(&error, VT_BSTR, &out), DISP_E_TYPEMISMATCH);
  TestVariant number;
  SetI4(&number, 1);
  EXPECT_EQ(Change(&number, VT_I4 | VT_BYREF, &out), DISP_E_TYPEMISMATCH);
  EXPECT_EQ(Change(&number, VT_ARRAY | VT_I4, &out), DISP_E_TYPEMISMATCH);
  EXPECT_EQ(Change(&number, VT_UNKNOWN, &out), DISP_E_TYPEMISMATCH);
  EXPECT_EQ(Change(&number, VT_VOID, &out), DISP_E_BADVARTYPE);

  TestVariant array;
  array->vt = VT_ARRAY | VT_I4;
  array->parray = SafeArrayCreateVector(VT_I4, 0, 2);
  EXPECT_EQ(Change(&array, VT_I4, &out), DISP_E_TYPEMISMATCH);
  EXPECT_EQ(Change(&array, VT_BSTR, &out), DISP_E_TYPEMISMATCH);
  EXPECT_EQ(Change(&array, VT_ARRAY | VT_R8, &out), DISP_E_TYPEMISMATCH);
  ASSERT_EQ(Change(&array, VT_ARRAY | VT_I4, &out), S_OK);
  EXPECT_NE(out->parray, array->parray);
}

TEST(VariantChangeType, NumbersWriteAsTheEnglishLocaleDoes) {
  const struct {
    double value;
    const char* expected;
  } doubles[] = {{3.5, "3.5"}, {-12, "-12"}, {0.1, "0.1"}, {1e20, "1E+20"}, {1e-5, "1E-05"}, {1.0 / 3, "0.333333333333333"},
                 {123456789012345.0, "123456789012345"}, {0.0, "0"}};
  for (const auto& c : doubles) {
    TestVariant source;
    SetR8(&source, c.value);
    EXPECT_EQ(TextOf(&source), c.expected);
  }
  TestVariant single;
  single->vt = VT_R4;
  single->fltVal = 1.0f / 3;
  EXPECT_EQ(TextOf(&single), "0.3333333");
  TestVariant wide;
  wide->vt = VT_I8;
  wide->llVal = -9223372036854775807LL - 1;
  EXPECT_EQ(TextOf(&wide), "-9223372036854775808");
  TestVariant currency;
  currency->vt = VT_CY;
  currency->cyVal.int64 = 123400;
  EXPECT_EQ(TextOf(&currency), "12.34");
  currency->cyVal.int64 = -1;
  EXPECT_EQ(TextOf(&currency), "-0.0001");
}

TEST(VariantChangeType, BooleansReadAndWriteAsWindowsDoes) {
  TestVariant truth;
  SetBool(&truth, true);
  EXPECT_EQ(TextOf(&truth), "-1");  // words only when asked for
  EXPECT_EQ(TextOf(&truth, VARIANT_ALPHABOOL), "True");
  TestVariant falsehood;
  SetBool(&falsehood, false);
  EXPECT_EQ(TextOf(&falsehood), "0");
  EXPECT_EQ(TextOf(&falsehood, VARIANT_ALPHABOOL), "False");

  const struct {
    const OLECHAR* text;
    VARIANT_BOOL expected;
  } cases[] = {{OLESTR("True"), VARIANT_TRUE}, {OLESTR("false"), VARIANT_FALSE}, {OLESTR("#TRUE#"), VARIANT_TRUE},
               {OLESTR("0.0"), VARIANT_FALSE}, {OLESTR("2.5"), VARIANT_TRUE}};
  for (const auto& c : cases) {
    TestVariant out;
    ASSERT_EQ(TextTo(c.text, VT_BOOL, &out), S_OK);
    EXPECT_EQ(out->boolVal, c.expected);
  }
  TestVariant small;
  TestVariant out;
  SetR8(&small, 0.1);
  ASSERT_EQ(Change(&small, VT_BOOL, &out), S_OK);
  EXPECT_EQ(out->boolVal, VARIANT_TRUE);
}

TEST(VariantChangeType, DatesWriteAndReadInEnglishForm) {
  const struct {
    DATE date;
    const char* expected;
  } cases[] = {{0.75, "6:00:00 PM"},           {0.0, "12:00:00 AM"},          {36526, "1/1/2000"},
               {36526.5, "1/1/2000 12:00:00 PM"}, {-1.25, "12/29/1899 6:00:00 AM"}, {1, "12/31/1899"}};
  for (const auto& c : cases) {
    TestVariant source;
    SetDate(&source, c.date);
    EXPECT_EQ(TextOf(&source), c.expected) << c.date;
  }
  TestVariant outside;
  TestVariant out;
  SetDate(&outside, 3e6);
  EXPECT_EQ(Change(&outside, VT_BSTR, &out), E_INVALIDARG);

  const struct {
    const OLECHAR* text;
    DATE expected;
  } texts[] = {{OLESTR("12/30/1899 6:00:00 PM"), 0.75}, {OLESTR("2000-01-01"), 36526},
               {OLESTR("1/2/2000 13:14:15"), 36527.5515625}, {OLESTR("18:00"), 0.75},
               {OLESTR("Jan 2, 2000"), 36527},            {OLESTR("31/12/2000"), 36891}};
  for (const auto& c : texts) {
    ASSERT_EQ(TextTo(c.text, VT_DATE, &out), S_OK);
    EXPECT_DOUBLE_EQ(out->date, c.expected);
  }
  EXPECT_EQ(TextTo(OLESTR("13/13/2000"), VT_DATE, &out), DISP_E_TYPEMISMATCH);
}

TEST(VariantChangeType, EmptyAndTextCornerCases) {
  TestVariant empty;
  TestVariant out;
  ASSERT_EQ(Change(&empty, VT_BSTR, &out), S_OK);
  ASSERT_NE(out->bstrVal, nullptr);
  EXPECT_EQ(SysStringLen(out->bstrVal), 0u);
  ASSERT_EQ(Change(&empty, VT_R8, &out), S_OK);
  EXPECT_EQ(out->dblVal, 0.0);

  TestVariant nullText;
  nullText->vt = VT_BSTR;
  nullText->bstrVal = nullptr;
  ASSERT_EQ(Change(&nullText, VT_BSTR, &out), S_OK);
  EXPECT_NE(out->bstrVal, nullptr);
  EXPECT_EQ(Change(&nullText, VT_I4, &out), DISP_E_TYPEMISMATCH);

  TestVariant withNul;
  withNul->vt = VT_BSTR;
  withNul->bstrVal = SysAllocStringLen(OLESTR("a\0b"), 3);
  ASSERT_EQ(Change(&withNul, VT_BSTR, &out), S_OK);
  EXPECT_EQ(SysStringLen(out->bstrVal), 3u);

  ASSERT_EQ(Change(&withNul, VT_ARRAY | VT_UI1, &out), S_OK);
  EXPECT_EQ(out->parray->rgsabound[0].cElements, 6u);
  TestVariant back;
  ASSERT_EQ(Change(&out, VT_BSTR, &back), S_OK);
  EXPECT_EQ(Ascii(back->bstrVal), std::string("a\0b", 3));
}

TEST(VariantChangeType, ConvertsInPlaceAndLeavesTheDestinationAloneOnFailure) {
  TestVariant value;
  SetText(&value, OLESTR(" 42 "));
  ASSERT_EQ(VariantChangeType(&value, &value, 0, VT_I4), S_OK);
  EXPECT_EQ(value->vt, VT_I4);
  EXPECT_EQ(value->lVal, 42);

  SetR8(&value, 300);
  EXPECT_EQ(VariantChangeType(&value, &value, 0, VT_UI1), DISP_E_OVERFLOW);
  EXPECT_EQ(value->vt, VT_R8);

  TestVariant destination;
  SetText(&destination, OLESTR("keep"));
  TestVariant bad;
  SetText(&bad, OLESTR("zz"));
  EXPECT_EQ(Change(&bad, VT_I4, &destination), DISP_E_TYPEMISMATCH);
  EXPECT_EQ(Ascii(destination->bstrVal), "keep");
}

TEST(VariantChangeType, ReferencesAreFollowed) {
  LONG number = 42;
  VARIANT reference;
  reference.vt = VT_BYREF | VT_I4;
  reference.plVal = &number;
  EXPECT_EQ(TextOf(&reference), "42");
  reference.plVal = nullptr;
  TestVariant out;
  EXPECT_EQ(Change(&reference, VT_BSTR, &out), DISP_E_TYPEMISMATCH);

  TestVariant inner;
  SetR8(&inner, 2.5);
  VARIANT throughVariant;
  throughVariant.vt = VT_BYREF | VT_VARIANT;
  throughVariant.pvarVal = &inner;
  ASSERT_EQ(Change(&throughVariant, VT_I4, &out), S_OK);
  EXPECT_EQ(out->lVal, 2);
}

TEST(VariantChangeType, DecimalsCarryExactValues) {
  TestVariant decimal;
  ASSERT_EQ(TextTo(OLESTR("12.5"), VT_DECIMAL, &decimal), S_OK);
  EXPECT_EQ(decimal->vt, VT_DECIMAL);
  TestVariant out;
  ASSERT_EQ(Change(&decimal, VT_R8, &out), S_OK);
  EXPECT_DOUBLE_EQ(out->dblVal, 12.5);
  ASSERT_EQ(Change(&decimal, VT_I4, &out), S_OK);
  EXPECT_EQ(out->lVal, 12);
  EXPECT_EQ(TextOf(&decimal), "12.5");

  TestVariant tenth;
  SetR8(&tenth, 0.1);
  ASSERT_EQ(Change(&tenth, VT_DECIMAL, &decimal), S_OK);
  EXPECT_EQ(TextOf(&decimal), "0.1");
}
