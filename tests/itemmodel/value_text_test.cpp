// The text of a value: every scalar type, the number lists, unknown types.
#include <gtest/gtest.h>

#include <windows.h>
#include <oleauto.h>

#include <string>

#include "VEMDcnOpcItem.h"
#include "comown.h"

namespace {

std::string Text(VARTYPE type, void (*set)(VARIANT&) = [](VARIANT&) {}) {
  comown::com_variant value;
  value.get()->vt = type;
  set(*value.get());
  return VEMDcnOpcItem::Variant2String(*value).ConvertToChar().ConvertToChar();
}

// The text of a one-dimensional array; first bound patched when asked.
template <typename T>
std::string ListText(VARTYPE elementType, std::initializer_list<T> values, ULONG firstBound = ~0u) {
  const comown::com_safearray array(SafeArrayCreateVector(elementType, 0, static_cast<ULONG>(values.size())));
  std::copy(values.begin(), values.end(), static_cast<T*>(array.get()->pvData));
  const SAFEARRAYBOUND bound = array.get()->rgsabound[0];
  if (firstBound != ~0u) array.get()->rgsabound[0] = {firstBound, 5};
  VARIANT value;
  value.vt = VT_ARRAY | elementType;
  value.parray = array.get();
  std::string text = VEMDcnOpcItem::Variant2String(value).ConvertToChar().ConvertToChar();
  array.get()->rgsabound[0] = bound;
  return text;
}

}  // namespace

TEST(ValueText, Scalars) {
  EXPECT_EQ(Text(VT_EMPTY), "VT_EMPTY");
  EXPECT_EQ(Text(VT_I2, [](VARIANT& v) { v.iVal = -32768; }), "-32768");
  EXPECT_EQ(Text(VT_I4, [](VARIANT& v) { v.lVal = -2147483647 - 1; }), "-2147483648");
  EXPECT_EQ(Text(VT_R4, [](VARIANT& v) { v.fltVal = 0.1f; }), "0.1");
  EXPECT_EQ(Text(VT_R8, [](VARIANT& v) { v.dblVal = 3.14159265; }), "3.14159");
  EXPECT_EQ(Text(VT_I1, [](VARIANT& v) { v.cVal = -128; }), "-128");
  EXPECT_EQ(Text(VT_UI1, [](VARIANT& v) { v.bVal = 200; }), "200");
  EXPECT_EQ(Text(VT_UI2, [](VARIANT& v) { v.uiVal = 65535; }), "65535");
  EXPECT_EQ(Text(VT_UI4, [](VARIANT& v) { v.ulVal = 4294967295u; }), "4294967295");
  EXPECT_EQ(Text(VT_BOOL, [](VARIANT& v) { v.boolVal = VARIANT_TRUE; }), "TRUE");
  EXPECT_EQ(Text(VT_BOOL, [](VARIANT& v) { v.boolVal = 1; }), "TRUE");
  EXPECT_EQ(Text(VT_BOOL, [](VARIANT& v) { v.boolVal = VARIANT_FALSE; }), "FALSE");
  EXPECT_EQ(Text(VT_BSTR, [](VARIANT& v) { v.bstrVal = SysAllocString(OLESTR("Tank \u00b5")); }), "Tank \u00b5");
  EXPECT_EQ(Text(VT_BSTR, [](VARIANT& v) { v.bstrVal = nullptr; }), "");
  EXPECT_EQ(Text(VT_DATE, [](VARIANT& v) { v.date = 1e10; }), "???") << "beyond the year 9999";
}

TEST(ValueText, UnformattableTypesNameTheirCode) {
  EXPECT_EQ(Text(VT_NULL), "Unknown VARTYPE : 1");
  EXPECT_EQ(Text(VT_CY, [](VARIANT& v) { v.cyVal.int64 = 10000; }), "Unknown VARTYPE : 6");
  EXPECT_EQ(Text(VT_I8, [](VARIANT& v) { v.llVal = 5; }), "Unknown VARTYPE : 20");
  EXPECT_EQ(ListText(VT_BSTR, std::initializer_list<BSTR>{}), "Unknown VARTYPE : 8200");
  EXPECT_EQ(ListText(VT_BOOL, {VARIANT_TRUE}), "Unknown VARTYPE : 8203");
  static LONG number = 5;
  VARIANT byRef;
  byRef.vt = VT_BYREF | VT_I4;
  byRef.plVal = &number;
  EXPECT_EQ(VEMDcnOpcItem::Variant2String(byRef), QARUnicodeString("Unknown VARTYPE : 16387"));
}

TEST(ValueText, ListsEndWithABlank) {
  EXPECT_EQ(ListText(VT_I2, {SHORT(1), SHORT(-2), SHORT(3)}), "1 -2 3 ");
  EXPECT_EQ(ListText(VT_I4, {LONG(-7), LONG(70000)}), "-7 70000 ");
  EXPECT_EQ(ListText(VT_R4, {0.5f, 0.1f}), "0.5 0.1 ");
  EXPECT_EQ(ListText(VT_R8, {1.5, 2.0}), "1.5 2 ");
  EXPECT_EQ(ListText(VT_I1, {CHAR(-1), CHAR(127)}), "-1 127 ");
  EXPECT_EQ(ListText(VT_UI1, {BYTE(255), BYTE(0)}), "255 0 ");
  EXPECT_EQ(ListText(VT_UI2, {USHORT(65535)}), "65535 ");
  EXPECT_EQ(ListText(VT_UI4, {ULONG(4294967295u), ULONG(1)}), "4294967295 1 ");
  EXPECT_EQ(ListText(VT_I4, {LONG(1), LONG(2), LONG(3), LONG(4), LONG(5), LONG(6)}, 2), "1 2 ")
      << "only the first bound counts, whatever its lower bound";
  EXPECT_EQ(ListText(VT_UI4, std::initializer_list<ULONG>{}), "");
  EXPECT_EQ(Text(VT_ARRAY | VT_R8, [](VARIANT& v) { v.parray = nullptr; }), "");
}

TEST(ValueText, AListWithoutDataIsEmpty) {
  SAFEARRAY descriptor = {1, 0, sizeof(SHORT), 0, nullptr, {{3, 0}}};
  VARIANT value;
  value.vt = VT_ARRAY | VT_I2;
  value.parray = &descriptor;
  EXPECT_EQ(VEMDcnOpcItem::Variant2String(value), QARUnicodeString(""));

  // The first bound counts three elements, but the other dimension is empty,
  // so the array holds none; and bytes are not read as doubles.
  SAFEARRAYBOUND emptyFirst[] = {{0, 0}, {3, 0}};
  const comown::com_safearray noElements(SafeArrayCreate(VT_I2, 2, emptyFirst));
  const comown::com_safearray bytes(SafeArrayCreateVector(VT_UI1, 0, 3));
  const struct {
    VARTYPE type;
    SAFEARRAY* array;
  } cases[] = {{VT_ARRAY | VT_I2, noElements.get()}, {VT_ARRAY | VT_R8, bytes.get()}};
  for (const auto& c : cases) {
    value.vt = c.type;
    value.parray = c.array;
    EXPECT_EQ(VEMDcnOpcItem::Variant2String(value), QARUnicodeString("")) << c.type;
  }
}
