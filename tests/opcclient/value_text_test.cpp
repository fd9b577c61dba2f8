// Values typed on the command line, in the item's type, or refused.
#include <gtest/gtest.h>

#include "VEMDcnOpcItem.h"
#include "text.h"
#include "value_text.h"

namespace {

using opcclient::ParseValue;

TEST(ValueText, ConvertsToTheTypeOrRefuses) {
  const VARTYPE r8Array = VT_ARRAY | VT_R8, i4Array = VT_ARRAY | VT_I4, bstrArray = VT_ARRAY | VT_BSTR;
  const struct {
    VARTYPE type;
    const char* text;
    const char* formatted;  // null: refused
  } cases[] = {
      {VT_I1, "-128", "-128"},    {VT_I1, "128", nullptr},       {VT_UI1, "255", "255"},
      {VT_UI1, "-1", nullptr},    {VT_I2, "+5", "5"},            {VT_I2, "+-5", nullptr},
      {VT_UI2, "65536", nullptr}, {VT_I4, "12x", nullptr},       {VT_I4, "", nullptr},
      {VT_I4, " 1", nullptr},     {VT_I4, "0x10", nullptr},      {VT_UI4, "4294967295", "4294967295"},
      {VT_R8, "3.5", "3.5"},      {VT_R8, "-1e-3", "-0.001"},    {VT_R8, "1,5", nullptr},
      {VT_R4, "0.1", "0.1"},      {VT_R4, "1e39", nullptr},      {VT_BOOL, "TRUE", "TRUE"},
      {VT_BOOL, "0", "FALSE"},    {VT_BOOL, "yes", nullptr},     {VT_BSTR, "Fast run, 2", "Fast run, 2"},
      {VT_BSTR, "", ""},          {r8Array, "1.5 2", "1.5 2 "},  {i4Array, "1,2; 3", "1 2 3 "},
      {i4Array, "", ""},          {i4Array, "1 x", nullptr},     {bstrArray, "a b", nullptr},
      {VT_DATE, "2023-02-29", nullptr}, {VT_DATE, "2023-03-15 25:00", nullptr}, {VT_EMPTY, "1", nullptr},
  };
  for (const auto& c : cases) {
    comown::com_variant value;
    const bool parsed = ParseValue(c.text, c.type, value);
    EXPECT_EQ(c.formatted != nullptr, parsed) << c.type << " " << c.text;
    if (parsed && c.formatted != nullptr) {
      EXPECT_EQ(c.type, value.vt()) << c.text;
      EXPECT_EQ(c.formatted, opcclient::Utf8(VEMDcnOpcItem::Variant2String(*value))) << c.text;
    }
    if (!parsed) {
      EXPECT_TRUE(value.empty()) << c.text;
    }
  }
}

// Types the item model does not format: the value itself.
TEST(ValueText, DatesInUtcCurrencyAndSixtyFourBits) {
  comown::com_variant value;
  ASSERT_TRUE(ParseValue("2023-03-15T12:00:00Z", VT_DATE, value));
  EXPECT_DOUBLE_EQ(45000.5, value.get()->date);
  ASSERT_TRUE(ParseValue("2023-03-15", VT_DATE, value));
  EXPECT_DOUBLE_EQ(45000.0, value.get()->date);
  ASSERT_TRUE(ParseValue("-12.34", VT_CY, value));
  EXPECT_EQ(-123400, value.get()->cyVal.int64);
  EXPECT_FALSE(ParseValue("1.23456", VT_CY, value));
  ASSERT_TRUE(ParseValue("-9223372036854775808", VT_I8, value));
  EXPECT_EQ(INT64_MIN, value.get()->llVal);
  ASSERT_TRUE(ParseValue("18446744073709551615", VT_UI8, value));
  EXPECT_EQ(UINT64_MAX, value.get()->ullVal);
}

TEST(ValueText, TypeNamesAsTheItemModelWritesThem) {
  EXPECT_EQ(VT_R8, opcclient::TypeOfOpcName("VT_R8"));
  EXPECT_EQ(VT_ARRAY | VT_I4, opcclient::TypeOfOpcName("ARRAY OF VT_I4"));
  EXPECT_EQ(VT_EMPTY, opcclient::TypeOfOpcName("???"));
  EXPECT_EQ(VT_EMPTY, opcclient::TypeOfOpcName("ARRAY OF ???"));
}

}  // namespace
