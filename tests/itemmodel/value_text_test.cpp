// The text of a value: every scalar type, the number lists, unknown types.
#include <gtest/gtest.h>

#include <windows.h>
#include <oleauto.h>

#include <string>

#include "VEMDcnOpcItem.h"

namespace {

std::string Text(const VARIANT& value) {
  return VEMDcnOpcItem::Variant2String(value).ConvertToChar().ConvertToChar();
}

template <typename Setter>
VARIANT Make(VARTYPE type, Setter set) {
  VARIANT value;
  VariantInit(&value);
  value.vt = type;
  set(value);
  return value;
}

// A one-dimensional array of the given element type and values, owned by the
// test and destroyed on exit.
class Vector {
 public:
  template <typename T>
  Vector(VARTYPE elementType, std::initializer_list<T> values) {
    _Array = SafeArrayCreateVector(elementType, 0, static_cast<ULONG>(values.size()));
    void* data = nullptr;
    SafeArrayAccessData(_Array, &data);
    T* slot = static_cast<T*>(data);
    for (T v : values) *slot++ = v;
    SafeArrayUnaccessData(_Array);
    VariantInit(&_Value);
    _Value.vt = VT_ARRAY | elementType;
    _Value.parray = _Array;
  }
  ~Vector() { SafeArrayDestroy(_Array); }
  Vector(const Vector&) = delete;
  Vector& operator=(const Vector&) = delete;

  const VARIANT& Value() const { return _Value; }
  SAFEARRAY* Array() const { return _Array; }

 private:
  SAFEARRAY* _Array;
  VARIANT _Value;
};

}  // namespace

TEST(ValueText, Scalars) {
  EXPECT_EQ(Text(Make(VT_EMPTY, [](VARIANT&) {})), "VT_EMPTY");
  EXPECT_EQ(Text(Make(VT_I2, [](VARIANT& v) { v.iVal = -32768; })), "-32768");
  EXPECT_EQ(Text(Make(VT_I4, [](VARIANT& v) { v.lVal = -2147483647 - 1; })), "-2147483648");
  EXPECT_EQ(Text(Make(VT_R4, [](VARIANT& v) { v.fltVal = 0.1f; })), "0.1");
  EXPECT_EQ(Text(Make(VT_R8, [](VARIANT& v) { v.dblVal = 3.14159265; })), "3.14159");
  EXPECT_EQ(Text(Make(VT_R8, [](VARIANT& v) { v.dblVal = 1e20; })), "1e+20");
  EXPECT_EQ(Text(Make(VT_I1, [](VARIANT& v) { v.cVal = -128; })), "-128");
  EXPECT_EQ(Text(Make(VT_UI1, [](VARIANT& v) { v.bVal = 200; })), "200");
  EXPECT_EQ(Text(Make(VT_UI2, [](VARIANT& v) { v.uiVal = 65535; })), "65535");
  EXPECT_EQ(Text(Make(VT_UI4, [](VARIANT& v) { v.ulVal = 4294967295u; })), "4294967295");
}

TEST(ValueText, BooleansAndStrings) {
  EXPECT_EQ(Text(Make(VT_BOOL, [](VARIANT& v) { v.boolVal = VARIANT_TRUE; })), "TRUE");
  EXPECT_EQ(Text(Make(VT_BOOL, [](VARIANT& v) { v.boolVal = 1; })), "TRUE");
  EXPECT_EQ(Text(Make(VT_BOOL, [](VARIANT& v) { v.boolVal = VARIANT_FALSE; })), "FALSE");

  VARIANT text = Make(VT_BSTR, [](VARIANT& v) { v.bstrVal = SysAllocString(OLESTR("Tank \u00b5 level")); });
  EXPECT_EQ(Text(text), "Tank \u00b5 level");
  EXPECT_EQ(Text(text), "Tank \u00b5 level") << "the value is only read";
  VariantClear(&text);
  EXPECT_EQ(Text(Make(VT_BSTR, [](VARIANT& v) { v.bstrVal = nullptr; })), "");
}

TEST(ValueText, UnformattableTypesNameTheirCode) {
  EXPECT_EQ(Text(Make(VT_NULL, [](VARIANT&) {})), "Unknown VARTYPE : 1");
  EXPECT_EQ(Text(Make(VT_CY, [](VARIANT& v) { v.cyVal.int64 = 10000; })), "Unknown VARTYPE : 6");
  EXPECT_EQ(Text(Make(VT_ERROR, [](VARIANT& v) { v.scode = 0; })), "Unknown VARTYPE : 10");
  EXPECT_EQ(Text(Make(VT_I8, [](VARIANT& v) { v.llVal = 5; })), "Unknown VARTYPE : 20");
  EXPECT_EQ(Text(Make(VT_UI8, [](VARIANT& v) { v.ullVal = 5; })), "Unknown VARTYPE : 21");
  LONG number = 5;
  EXPECT_EQ(Text(Make(VT_BYREF | VT_I4, [&](VARIANT& v) { v.plVal = &number; })), "Unknown VARTYPE : 16387");
  EXPECT_EQ(Text(Make(VT_ARRAY | VT_BSTR, [](VARIANT& v) { v.parray = nullptr; })), "Unknown VARTYPE : 8200");
  EXPECT_EQ(Text(Make(VT_ARRAY | VT_BOOL, [](VARIANT& v) { v.parray = nullptr; })), "Unknown VARTYPE : 8203");
}

TEST(ValueText, DatesThatCannotBeConvertedGiveQuestionMarks) {
  EXPECT_EQ(Text(Make(VT_DATE, [](VARIANT& v) { v.date = 1e10; })), "???");
}

TEST(ValueText, ListsEndWithABlank) {
  EXPECT_EQ(Text(Vector(VT_I2, {SHORT(1), SHORT(-2), SHORT(3)}).Value()), "1 -2 3 ");
  EXPECT_EQ(Text(Vector(VT_I4, {LONG(-7), LONG(70000)}).Value()), "-7 70000 ");
  EXPECT_EQ(Text(Vector(VT_R4, {0.5f, 0.1f}).Value()), "0.5 0.1 ");
  EXPECT_EQ(Text(Vector(VT_R8, {1.5, 2.0}).Value()), "1.5 2 ");
  EXPECT_EQ(Text(Vector(VT_I1, {CHAR(-1), CHAR(127)}).Value()), "-1 127 ");
  EXPECT_EQ(Text(Vector(VT_UI1, {BYTE(255), BYTE(0)}).Value()), "255 0 ");
  EXPECT_EQ(Text(Vector(VT_UI2, {USHORT(65535)}).Value()), "65535 ");
  EXPECT_EQ(Text(Vector(VT_UI4, {ULONG(4294967295u), ULONG(1)}).Value()), "4294967295 1 ");
}

TEST(ValueText, ListsWithoutDataAreEmpty) {
  EXPECT_EQ(Text(Vector(VT_UI4, std::initializer_list<ULONG>{}).Value()), "");
  EXPECT_EQ(Text(Make(VT_ARRAY | VT_R8, [](VARIANT& v) { v.parray = nullptr; })), "");

  Vector noData(VT_I2, {SHORT(1)});
  VARIANT value = noData.Value();
  SAFEARRAY descriptor = *noData.Array();
  descriptor.pvData = nullptr;
  value.parray = &descriptor;
  EXPECT_EQ(Text(value), "");
}

TEST(ValueText, OnlyTheFirstDimensionIsListed) {
  SAFEARRAYBOUND bounds[2] = {{2, 5}, {3, 0}};
  SAFEARRAY* array = SafeArrayCreate(VT_I4, 2, bounds);
  ASSERT_NE(array, nullptr);
  void* data = nullptr;
  SafeArrayAccessData(array, &data);
  for (LONG i = 0; i < 6; ++i) static_cast<LONG*>(data)[i] = i + 1;
  SafeArrayUnaccessData(array);
  VARIANT value = Make(VT_ARRAY | VT_I4, [&](VARIANT& v) { v.parray = array; });
  const ULONG first = array->rgsabound[0].cElements;
  std::string expected;
  for (ULONG i = 1; i <= first; ++i) expected += std::to_string(i) + " ";
  EXPECT_EQ(Text(value), expected);
  SafeArrayDestroy(array);
}
