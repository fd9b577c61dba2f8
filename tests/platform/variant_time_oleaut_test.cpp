// OLE dates and FILETIME: conversions to and from SYSTEMTIME.
#include <gtest/gtest.h>

#include "oleaut_test_support.h"

namespace {

// "YYYY-MM-DD hh:mm:ss.mmm wD", D the day of the week (0 is Sunday).
std::string Stamp(const SYSTEMTIME& st) {
  char text[64];
  std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u:%02u.%03u w%u", st.wYear, st.wMonth, st.wDay, st.wHour,
                st.wMinute, st.wSecond, st.wMilliseconds, st.wDayOfWeek);
  return text;
}

std::string StampOfDate(DATE date) {
  SYSTEMTIME st;
  return VariantTimeToSystemTime(date, &st) ? Stamp(st) : "refused";
}

ULONGLONG Ticks(const FILETIME& ft) { return (ULONGLONG(ft.dwHighDateTime) << 32) | ft.dwLowDateTime; }

}  // namespace

TEST(VariantTime, DatesBecomeSystemTimesRoundedToTheSecond) {
  const struct {
    DATE date;
    const char* expected;
  } cases[] = {
      {0.75, "1899-12-30 18:00:00.000 w6"},
      {-1.25, "1899-12-29 06:00:00.000 w5"},  // the time of day is an absolute fraction
      {36526.5, "2000-01-01 12:00:00.000 w6"},
      {-657434, "0100-01-01 00:00:00.000 w5"},
      {2958465, "9999-12-31 00:00:00.000 w5"},
      {2958466, "refused"},
      {-657435, "refused"},
      {36526.5 + 0.49 / 86400, "2000-01-01 12:00:00.000 w6"},
      {36526.5 - 0.4 / 86400, "2000-01-01 12:00:00.000 w6"},
      {36526.5 - 1.4 / 86400, "2000-01-01 11:59:59.000 w6"},
      {0.999999, "1899-12-31 00:00:00.000 w6"},  // rounds into the next day, keeps its weekday
  };
  for (const auto& c : cases) EXPECT_EQ(c.expected, StampOfDate(c.date)) << c.date;
}

TEST(VariantTime, SystemTimesBecomeDatesRollingOverOddFields) {
  const struct {
    SYSTEMTIME time;
    const char* date;  // the date read back as a system time
  } cases[] = {
      {Time(1899, 12, 30, 18), "1899-12-30 18:00:00.000 w6"},
      {Time(1899, 12, 29, 6), "1899-12-29 06:00:00.000 w5"},
      {Time(2000, 1, 1, 0, 0, 0, 999), "2000-01-01 00:00:00.000 w6"},  // milliseconds play no part
      {Time(2000, 2, 30), "2000-03-01 00:00:00.000 w3"},
      {Time(49, 1, 1), "2049-01-01 00:00:00.000 w5"},  // two-digit years: up to 49 in this century
      {Time(50, 1, 1), "1950-01-01 00:00:00.000 w0"},
      {Time(2000, 13, 1), "refused"}, {Time(2000, 1, 32), "refused"}, {Time(10000, 1, 1), "refused"},
  };
  for (const auto& c : cases) {
    DATE date = 0;
    SYSTEMTIME time = c.time;
    EXPECT_EQ(c.date, SystemTimeToVariantTime(&time, &date) ? StampOfDate(date) : "refused") << Stamp(c.time);
  }
  DATE date = 0;
  SYSTEMTIME morning = Time(1899, 12, 29, 6);
  ASSERT_TRUE(SystemTimeToVariantTime(&morning, &date));
  EXPECT_DOUBLE_EQ(-1.25, date);  // before day zero, the time of day counts away from it
}

TEST(VariantTime, RoundTripsAcrossTheWholeRange) {
  for (LONGLONG day = -657434; day <= 2958465; day += 9973) {
    const double fraction = static_cast<double>((day < 0 ? -day : day) * 7919 % 86400) / 86400;
    const DATE date = day < 0 ? day - fraction : day + fraction;
    SYSTEMTIME st;
    ASSERT_TRUE(VariantTimeToSystemTime(date, &st)) << date;
    DATE back = 0;
    ASSERT_TRUE(SystemTimeToVariantTime(&st, &back)) << date;
    EXPECT_NEAR(back, date, 1.0 / 86400) << date;
  }
}

TEST(FileTime, CountsHundredNanosecondsFrom1601) {
  FILETIME ft;
  SYSTEMTIME origin = Time(1601, 1, 1);
  ASSERT_TRUE(SystemTimeToFileTime(&origin, &ft));
  EXPECT_EQ(0u, Ticks(ft));
  SYSTEMTIME leapDay = Time(2000, 2, 29, 12, 0, 0, 5);
  ASSERT_TRUE(SystemTimeToFileTime(&leapDay, &ft));
  EXPECT_EQ(125962992000050000ULL, Ticks(ft));
  SYSTEMTIME back;
  ASSERT_TRUE(FileTimeToSystemTime(&ft, &back));
  EXPECT_EQ("2000-02-29 12:00:00.005 w2", Stamp(back));

  FILETIME negative = {0, 0x80000000u};
  EXPECT_FALSE(FileTimeToSystemTime(&negative, &back));
  for (SYSTEMTIME bad : {Time(1600, 12, 31), Time(2000, 13, 1), Time(2000, 1, 1, 24), Time(2000, 1, 1, 0, 0, 0, 1000)}) {
    SetLastError(ERROR_SUCCESS);
    EXPECT_FALSE(SystemTimeToFileTime(&bad, &ft));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError());
  }
}
