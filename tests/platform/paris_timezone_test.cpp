// Time zones, run with TZ=Europe/Paris in the environment: the zone's rules
// as Windows writes them, and conversions that apply today's rules to any year.
#include <gtest/gtest.h>

#include "oleaut_test_support.h"

namespace {

SYSTEMTIME Utc(WORD year, WORD month, WORD day, WORD hour, WORD minute = 0, WORD second = 0) {
  SYSTEMTIME st = {};
  st.wYear = year;
  st.wMonth = month;
  st.wDay = day;
  st.wHour = hour;
  st.wMinute = minute;
  st.wSecond = second;
  return st;
}

// Local time of a UTC time in the current zone, as "YYYY-MM-DD hh:mm:ss".
std::string LocalText(SYSTEMTIME utc, const TIME_ZONE_INFORMATION* zone = nullptr) {
  SYSTEMTIME local;
  if (!SystemTimeToTzSpecificLocalTime(zone, &utc, &local)) return "failed";
  char text[64];
  snprintf(text, sizeof(text), "%04u-%02u-%02u %02u:%02u:%02u", local.wYear, local.wMonth, local.wDay, local.wHour,
           local.wMinute, local.wSecond);
  return text;
}

LONGLONG Seconds(const SYSTEMTIME& st) {
  FILETIME ft;
  if (!SystemTimeToFileTime(&st, &ft)) return 0;
  return static_cast<LONGLONG>((ULONGLONG(ft.dwHighDateTime) << 32 | ft.dwLowDateTime) / 10000000);
}

void ExpectRule(const SYSTEMTIME& rule, WORD month, WORD occurrence, WORD hour) {
  EXPECT_EQ(rule.wYear, 0);
  EXPECT_EQ(rule.wMonth, month);
  EXPECT_EQ(rule.wDayOfWeek, 0);  // Sunday
  EXPECT_EQ(rule.wDay, occurrence);
  EXPECT_EQ(rule.wHour, hour);
  EXPECT_EQ(rule.wMinute, 0);
}

}  // namespace

TEST(ParisTimeZone, DescribesCentralEuropeanRules) {
  TIME_ZONE_INFORMATION zone;
  const DWORD id = GetTimeZoneInformation(&zone);
  ASSERT_TRUE(id == TIME_ZONE_ID_STANDARD || id == TIME_ZONE_ID_DAYLIGHT);
  EXPECT_EQ(zone.Bias, -60);
  EXPECT_EQ(zone.StandardBias, 0);
  EXPECT_EQ(zone.DaylightBias, -60);
  ExpectRule(zone.DaylightDate, 3, 5, 2);  // last Sunday of March, 02:00
  ExpectRule(zone.StandardDate, 10, 5, 3);  // last Sunday of October, 03:00
  EXPECT_NE(zone.StandardName[0], 0);
  EXPECT_NE(zone.DaylightName[0], 0);

  // The zone id names the offset in force now.
  SYSTEMTIME now;
  GetSystemTime(&now);
  SYSTEMTIME local;
  ASSERT_TRUE(SystemTimeToTzSpecificLocalTime(nullptr, &now, &local));
  const LONGLONG offset = Seconds(local) - Seconds(now);
  EXPECT_EQ(offset, id == TIME_ZONE_ID_DAYLIGHT ? 7200 : 3600);
}

TEST(ParisTimeZone, AppliesTodaysRulesToOldDates) {
  // The evening of OLE's day zero: Paris kept its own mean time then, but the
  // conversion applies today's rules.
  SYSTEMTIME zero;
  ASSERT_TRUE(VariantTimeToSystemTime(0.75, &zero));
  EXPECT_EQ(LocalText(zero), "1899-12-30 19:00:00");
  EXPECT_EQ(LocalText(Utc(1970, 6, 1, 0)), "1970-06-01 02:00:00");
}

TEST(ParisTimeZone, SwitchesAtTheTransitionsOfEachYear) {
  EXPECT_EQ(LocalText(Utc(2024, 1, 15, 12)), "2024-01-15 13:00:00");
  EXPECT_EQ(LocalText(Utc(2024, 7, 1, 12)), "2024-07-01 14:00:00");
  EXPECT_EQ(LocalText(Utc(2024, 3, 31, 0, 59, 59)), "2024-03-31 01:59:59");
  EXPECT_EQ(LocalText(Utc(2024, 3, 31, 1)), "2024-03-31 03:00:00");
  EXPECT_EQ(LocalText(Utc(2024, 10, 27, 0, 59, 59)), "2024-10-27 02:59:59");
  EXPECT_EQ(LocalText(Utc(2024, 10, 27, 1)), "2024-10-27 02:00:00");
  SYSTEMTIME newYear = Utc(2026, 12, 31, 23, 30);
  SYSTEMTIME local;
  ASSERT_TRUE(SystemTimeToTzSpecificLocalTime(nullptr, &newYear, &local));
  EXPECT_EQ(local.wYear, 2027);
  EXPECT_EQ(local.wDayOfWeek, 5);  // Friday
}

TEST(ParisTimeZone, ExplicitZonesApplyTheirOwnRules) {
  // Without rules only the bias counts.
  TIME_ZONE_INFORMATION india = {};
  india.Bias = -330;
  EXPECT_EQ(LocalText(Utc(2024, 7, 1, 12), &india), "2024-07-01 17:30:00");

  // A southern-hemisphere zone is in daylight time across the turn of the year.
  TIME_ZONE_INFORMATION sydney = {};
  sydney.Bias = -600;
  sydney.DaylightBias = -60;
  sydney.DaylightDate.wMonth = 10;  // first Sunday of October, 02:00
  sydney.DaylightDate.wDay = 1;
  sydney.DaylightDate.wHour = 2;
  sydney.StandardDate.wMonth = 4;  // first Sunday of April, 03:00
  sydney.StandardDate.wDay = 1;
  sydney.StandardDate.wHour = 3;
  EXPECT_EQ(LocalText(Utc(2024, 1, 15, 12), &sydney), "2024-01-15 23:00:00");
  EXPECT_EQ(LocalText(Utc(2024, 7, 15, 12), &sydney), "2024-07-15 22:00:00");
  EXPECT_EQ(LocalText(Utc(2024, 4, 6, 15, 59, 59), &sydney), "2024-04-07 02:59:59");
  EXPECT_EQ(LocalText(Utc(2024, 4, 6, 16), &sydney), "2024-04-07 02:00:00");

  SYSTEMTIME bad = Utc(2024, 13, 1, 0);
  SYSTEMTIME local;
  EXPECT_FALSE(SystemTimeToTzSpecificLocalTime(nullptr, &bad, &local));
}

TEST(ParisTimeZone, LocalClockAgreesWithConvertedSystemClock) {
  SYSTEMTIME utc;
  GetSystemTime(&utc);
  SYSTEMTIME local;
  GetLocalTime(&local);
  SYSTEMTIME converted;
  ASSERT_TRUE(SystemTimeToTzSpecificLocalTime(nullptr, &utc, &converted));
  const LONGLONG difference = Seconds(local) - Seconds(converted);
  EXPECT_GE(difference, 0);
  EXPECT_LE(difference, 2);
}
