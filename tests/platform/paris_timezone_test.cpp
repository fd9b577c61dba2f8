// Time zones, run with TZ=Europe/Paris in the environment: the zone's rules
// as Windows writes them, and conversions that apply today's rules to any year.
#include <gtest/gtest.h>

#include "oleaut_test_support.h"

namespace {

// Local time of a UTC time, as "YYYY-MM-DD hh:mm:ss wD" (D the day of the week).
std::string LocalText(SYSTEMTIME utc, const TIME_ZONE_INFORMATION* zone = nullptr) {
  SYSTEMTIME local;
  if (!SystemTimeToTzSpecificLocalTime(zone, &utc, &local)) return "failed";
  char text[64];
  std::snprintf(text, sizeof(text), "%04u-%02u-%02u %02u:%02u:%02u w%u", local.wYear, local.wMonth, local.wDay,
                local.wHour, local.wMinute, local.wSecond, local.wDayOfWeek);
  return text;
}

LONGLONG Seconds(const SYSTEMTIME& st) {
  FILETIME ft;
  if (!SystemTimeToFileTime(&st, &ft)) return 0;
  return static_cast<LONGLONG>((ULONGLONG(ft.dwHighDateTime) << 32 | ft.dwLowDateTime) / 10000000);
}

// "month/occurrence of Sunday/hour:minute", as transition rules are written.
std::string Rule(const SYSTEMTIME& rule) {
  return std::to_string(rule.wYear) + " " + std::to_string(rule.wMonth) + "/" + std::to_string(rule.wDay) + " day " +
         std::to_string(rule.wDayOfWeek) + " " + std::to_string(rule.wHour) + ":" + std::to_string(rule.wMinute);
}

}  // namespace

TEST(ParisTimeZone, DescribesCentralEuropeanRulesAndTheOffsetInForce) {
  TIME_ZONE_INFORMATION zone;
  const DWORD id = GetTimeZoneInformation(&zone);
  ASSERT_TRUE(id == TIME_ZONE_ID_STANDARD || id == TIME_ZONE_ID_DAYLIGHT);
  EXPECT_EQ(-60, zone.Bias);
  EXPECT_EQ(0, zone.StandardBias);
  EXPECT_EQ(-60, zone.DaylightBias);
  EXPECT_EQ("0 3/5 day 0 2:0", Rule(zone.DaylightDate));   // last Sunday of March, 02:00
  EXPECT_EQ("0 10/5 day 0 3:0", Rule(zone.StandardDate));  // last Sunday of October, 03:00
  EXPECT_NE(0, zone.StandardName[0]);
  EXPECT_NE(0, zone.DaylightName[0]);

  SYSTEMTIME now;
  GetSystemTime(&now);
  SYSTEMTIME local;
  ASSERT_TRUE(SystemTimeToTzSpecificLocalTime(nullptr, &now, &local));
  EXPECT_EQ(id == TIME_ZONE_ID_DAYLIGHT ? 7200 : 3600, Seconds(local) - Seconds(now));
  GetLocalTime(&local);  // the local clock agrees with the converted system clock
  ASSERT_TRUE(SystemTimeToTzSpecificLocalTime(nullptr, &now, &now));
  EXPECT_GE(Seconds(local) - Seconds(now), 0);
  EXPECT_LE(Seconds(local) - Seconds(now), 2);
}

TEST(ParisTimeZone, SwitchesAtEachYearsTransitionsWithTodaysRules) {
  SYSTEMTIME zero;
  ASSERT_TRUE(VariantTimeToSystemTime(0.75, &zero));
  const struct {
    SYSTEMTIME utc;
    const char* local;
  } cases[] = {
      // Paris kept its own mean time in 1899, but the conversion applies today's rules.
      {zero, "1899-12-30 19:00:00 w6"},
      {Time(1970, 6, 1, 0), "1970-06-01 02:00:00 w1"},
      {Time(2024, 1, 15, 12), "2024-01-15 13:00:00 w1"},
      {Time(2024, 7, 1, 12), "2024-07-01 14:00:00 w1"},
      {Time(2024, 3, 31, 0, 59, 59), "2024-03-31 01:59:59 w0"},
      {Time(2024, 3, 31, 1), "2024-03-31 03:00:00 w0"},
      {Time(2024, 10, 27, 0, 59, 59), "2024-10-27 02:59:59 w0"},
      {Time(2024, 10, 27, 1), "2024-10-27 02:00:00 w0"},
      {Time(2026, 12, 31, 23, 30), "2027-01-01 00:30:00 w5"},
      {Time(2024, 13, 1, 0), "failed"},
  };
  for (const auto& c : cases) EXPECT_EQ(c.local, LocalText(c.utc));
}
