// OLE dates and FILETIME: conversions to and from SYSTEMTIME.
#include <gtest/gtest.h>

#include "oleaut_test_support.h"

namespace {

SYSTEMTIME Time(WORD year, WORD month, WORD day, WORD hour = 0, WORD minute = 0, WORD second = 0, WORD ms = 0) {
  SYSTEMTIME st = {};
  st.wYear = year;
  st.wMonth = month;
  st.wDay = day;
  st.wHour = hour;
  st.wMinute = minute;
  st.wSecond = second;
  st.wMilliseconds = ms;
  return st;
}

void ExpectTime(const SYSTEMTIME& st, WORD year, WORD month, WORD day, WORD hour, WORD minute, WORD second) {
  EXPECT_EQ(st.wYear, year);
  EXPECT_EQ(st.wMonth, month);
  EXPECT_EQ(st.wDay, day);
  EXPECT_EQ(st.wHour, hour);
  EXPECT_EQ(st.wMinute, minute);
  EXPECT_EQ(st.wSecond, second);
}

ULONGLONG Ticks(const FILETIME& ft) { return (ULONGLONG(ft.dwHighDateTime) << 32) | ft.dwLowDateTime; }

}  // namespace

TEST(VariantTime, DatesBecomeSystemTimesWithTheirWeekday) {
  SYSTEMTIME st;
  ASSERT_TRUE(VariantTimeToSystemTime(0.75, &st));
  ExpectTime(st, 1899, 12, 30, 18, 0, 0);
  EXPECT_EQ(st.wDayOfWeek, 6);  // Saturday
  // Negative dates keep the time of day as an absolute fraction.
  ASSERT_TRUE(VariantTimeToSystemTime(-1.25, &st));
  ExpectTime(st, 1899, 12, 29, 6, 0, 0);
  EXPECT_EQ(st.wDayOfWeek, 5);
  ASSERT_TRUE(VariantTimeToSystemTime(36526.5, &st));
  ExpectTime(st, 2000, 1, 1, 12, 0, 0);
  EXPECT_EQ(st.wDayOfWeek, 6);
  ASSERT_TRUE(VariantTimeToSystemTime(-657434, &st));
  ExpectTime(st, 100, 1, 1, 0, 0, 0);
  ASSERT_TRUE(VariantTimeToSystemTime(2958465, &st));
  ExpectTime(st, 9999, 12, 31, 0, 0, 0);
  EXPECT_FALSE(VariantTimeToSystemTime(2958466, &st));
  EXPECT_FALSE(VariantTimeToSystemTime(-657435, &st));
}

TEST(VariantTime, TimesRoundToTheSecondWithoutMilliseconds) {
  SYSTEMTIME st;
  ASSERT_TRUE(VariantTimeToSystemTime(36526.5 + 0.49 / 86400, &st));
  ExpectTime(st, 2000, 1, 1, 12, 0, 0);
  EXPECT_EQ(st.wMilliseconds, 0);
  ASSERT_TRUE(VariantTimeToSystemTime(36526.5 - 0.4 / 86400, &st));
  ExpectTime(st, 2000, 1, 1, 12, 0, 0);
  ASSERT_TRUE(VariantTimeToSystemTime(36526.5 - 1.4 / 86400, &st));
  ExpectTime(st, 2000, 1, 1, 11, 59, 59);
  ASSERT_TRUE(VariantTimeToSystemTime(0.999999, &st));  // rounds into the next day
  ExpectTime(st, 1899, 12, 31, 0, 0, 0);
}

TEST(VariantTime, SystemTimesBecomeDatesRollingOverOddFields) {
  DATE date = 0;
  SYSTEMTIME evening = Time(1899, 12, 30, 18);
  ASSERT_TRUE(SystemTimeToVariantTime(&evening, &date));
  EXPECT_DOUBLE_EQ(date, 0.75);
  SYSTEMTIME before = Time(1899, 12, 29, 6);
  ASSERT_TRUE(SystemTimeToVariantTime(&before, &date));
  EXPECT_DOUBLE_EQ(date, -1.25);
  SYSTEMTIME withMilliseconds = Time(2000, 1, 1, 0, 0, 0, 999);
  ASSERT_TRUE(SystemTimeToVariantTime(&withMilliseconds, &date));
  EXPECT_DOUBLE_EQ(date, 36526);
  SYSTEMTIME february30 = Time(2000, 2, 30);
  ASSERT_TRUE(SystemTimeToVariantTime(&february30, &date));
  EXPECT_DOUBLE_EQ(date, 36586);  // 1 March 2000
  SYSTEMTIME twoDigits = Time(49, 1, 1);
  ASSERT_TRUE(SystemTimeToVariantTime(&twoDigits, &date));
  SYSTEMTIME back;
  ASSERT_TRUE(VariantTimeToSystemTime(date, &back));
  EXPECT_EQ(back.wYear, 2049);
  twoDigits.wYear = 50;
  ASSERT_TRUE(SystemTimeToVariantTime(&twoDigits, &date));
  ASSERT_TRUE(VariantTimeToSystemTime(date, &back));
  EXPECT_EQ(back.wYear, 1950);

  for (SYSTEMTIME bad : {Time(2000, 13, 1), Time(2000, 1, 32), Time(10000, 1, 1)})
    EXPECT_FALSE(SystemTimeToVariantTime(&bad, &date));
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
  EXPECT_EQ(Ticks(ft), 0u);
  SYSTEMTIME leapDay = Time(2000, 2, 29, 12, 0, 0, 5);
  ASSERT_TRUE(SystemTimeToFileTime(&leapDay, &ft));
  EXPECT_EQ(Ticks(ft), 125962992000050000ULL);
  SYSTEMTIME back;
  ASSERT_TRUE(FileTimeToSystemTime(&ft, &back));
  ExpectTime(back, 2000, 2, 29, 12, 0, 0);
  EXPECT_EQ(back.wMilliseconds, 5);
  EXPECT_EQ(back.wDayOfWeek, 2);  // Tuesday

  FILETIME negative = {0, 0x80000000u};
  EXPECT_FALSE(FileTimeToSystemTime(&negative, &back));
  for (SYSTEMTIME bad : {Time(1600, 12, 31), Time(2000, 13, 1), Time(2000, 1, 1, 24), Time(2000, 1, 1, 0, 0, 0, 1000)}) {
    SetLastError(ERROR_SUCCESS);
    EXPECT_FALSE(SystemTimeToFileTime(&bad, &ft));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  }
}

TEST(FileTime, SystemClockReadsTheSameInBothForms) {
  FILETIME before;
  GetSystemTimeAsFileTime(&before);
  SYSTEMTIME now;
  GetSystemTime(&now);
  EXPECT_GE(now.wYear, 2024);
  FILETIME nowTicks;
  ASSERT_TRUE(SystemTimeToFileTime(&now, &nowTicks));
  EXPECT_LT(Ticks(nowTicks) - (Ticks(before) / 10000 * 10000), 20000000u);  // within two seconds
}
