// Dates print as the local time of day. This executable runs with the time
// zone of Paris (UTC+01:00 in winter, UTC+02:00 in summer).
#include <gtest/gtest.h>

#include <windows.h>
#include <oleauto.h>

#include <string>

#include "VEMDcnOpcItem.h"

namespace {

std::string DateText(DATE date) {
  VARIANT value;
  VariantInit(&value);
  value.vt = VT_DATE;
  value.date = date;
  return VEMDcnOpcItem::Variant2String(value).ConvertToChar().ConvertToChar();
}

DATE Utc(WORD year, WORD month, WORD day, WORD hour, WORD minute, WORD second) {
  SYSTEMTIME time = {year, month, 0, day, hour, minute, second, 0};
  DATE date = 0;
  SystemTimeToVariantTime(&time, &date);
  return date;
}

}  // namespace

TEST(ValueDate, OnlyTheLocalTimeOfDayIsShown) {
  const struct {
    DATE date;
    const char* shown;
  } cases[] = {
      {0.75, "19:00:00"},                              // winter: one hour ahead
      {Utc(2024, 1, 15, 8, 5, 9), "09:05:09"},
      {Utc(2024, 7, 1, 12, 30, 0), "14:30:00"},        // summer: two hours ahead
      {Utc(2024, 12, 31, 23, 59, 58), "00:59:58"},     // across midnight
  };
  for (const auto& c : cases) EXPECT_EQ(DateText(c.date), c.shown) << c.date;
}
