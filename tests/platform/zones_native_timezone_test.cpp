// Zones switched at run time. Native only: the windows runtime reads TZ once,
// when the process starts.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "oleaut_test_support.h"

namespace {

// Switches TZ for one test and puts the previous value back afterwards.
class ZoneSwitch : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* previous = std::getenv("TZ");
    hadZone_ = previous != nullptr;
    if (hadZone_) previous_ = previous;
  }
  void TearDown() override {
    if (hadZone_)
      setenv("TZ", previous_.c_str(), 1);
    else
      unsetenv("TZ");
  }
  static void Use(const char* zone) { setenv("TZ", zone, 1); }

 private:
  bool hadZone_ = false;
  std::string previous_;
};

int LocalHour(WORD year, WORD month, WORD day, WORD hour) {
  SYSTEMTIME utc = {};
  utc.wYear = year;
  utc.wMonth = month;
  utc.wDay = day;
  utc.wHour = hour;
  SYSTEMTIME local;
  if (!SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local)) return -1;
  return local.wHour;
}

void ExpectRule(const SYSTEMTIME& rule, WORD month, WORD occurrence, WORD hour) {
  EXPECT_EQ(rule.wMonth, month);
  EXPECT_EQ(rule.wDayOfWeek, 0);
  EXPECT_EQ(rule.wDay, occurrence);
  EXPECT_EQ(rule.wHour, hour);
}

}  // namespace

TEST_F(ZoneSwitch, SydneyIsInDaylightTimeInJanuary) {
  Use("Australia/Sydney");
  TIME_ZONE_INFORMATION zone;
  EXPECT_NE(GetTimeZoneInformation(&zone), TIME_ZONE_ID_UNKNOWN);
  EXPECT_EQ(zone.Bias, -600);
  EXPECT_EQ(zone.DaylightBias, -60);
  ExpectRule(zone.DaylightDate, 10, 1, 2);
  ExpectRule(zone.StandardDate, 4, 1, 3);
  EXPECT_EQ(LocalHour(2024, 1, 15, 0), 11);
  EXPECT_EQ(LocalHour(2024, 7, 15, 0), 10);
}

TEST_F(ZoneSwitch, NewYorkUsesTheSecondAndFirstSundays) {
  Use("America/New_York");
  TIME_ZONE_INFORMATION zone;
  GetTimeZoneInformation(&zone);
  EXPECT_EQ(zone.Bias, 300);
  ExpectRule(zone.DaylightDate, 3, 2, 2);
  ExpectRule(zone.StandardDate, 11, 1, 2);
  EXPECT_EQ(LocalHour(2024, 1, 15, 12), 7);
  EXPECT_EQ(LocalHour(2024, 7, 15, 12), 8);
  EXPECT_EQ(LocalHour(1899, 12, 30, 18), 13);
}

TEST_F(ZoneSwitch, ZonesWithoutDaylightTimeHaveNoRules) {
  Use("UTC");
  TIME_ZONE_INFORMATION zone;
  EXPECT_EQ(GetTimeZoneInformation(&zone), static_cast<DWORD>(TIME_ZONE_ID_UNKNOWN));
  EXPECT_EQ(zone.Bias, 0);
  EXPECT_EQ(zone.DaylightDate.wMonth, 0);
  EXPECT_EQ(LocalHour(2024, 7, 15, 12), 12);
  Use("Asia/Kolkata");
  EXPECT_EQ(GetTimeZoneInformation(&zone), static_cast<DWORD>(TIME_ZONE_ID_UNKNOWN));
  EXPECT_EQ(zone.Bias, -330);
}

TEST_F(ZoneSwitch, WinterTimeMarkedAsTheExceptionStillReadsAsStandardTime) {
  // Dublin's zone data calls winter the exception; Windows calls it standard time.
  Use("Europe/Dublin");
  TIME_ZONE_INFORMATION zone;
  GetTimeZoneInformation(&zone);
  EXPECT_EQ(zone.Bias, 0);
  EXPECT_EQ(zone.DaylightBias, -60);
  ExpectRule(zone.DaylightDate, 3, 5, 1);
  EXPECT_EQ(LocalHour(2024, 1, 15, 12), 12);
  EXPECT_EQ(LocalHour(2024, 7, 15, 12), 13);
}

TEST_F(ZoneSwitch, EachCallSeesTheCurrentZone) {
  Use("Europe/Paris");
  EXPECT_EQ(LocalHour(2024, 1, 15, 12), 13);
  Use("America/New_York");
  EXPECT_EQ(LocalHour(2024, 1, 15, 12), 7);
  unsetenv("TZ");  // the system zone
  TIME_ZONE_INFORMATION zone;
  EXPECT_NE(GetTimeZoneInformation(&zone), TIME_ZONE_ID_INVALID);
}
