// Zones switched at run time. Native only: the windows runtime reads TZ once,
// when the process starts.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "oleaut_test_support.h"

namespace {

int LocalHour(WORD year, WORD month, WORD day, WORD hour) {
  SYSTEMTIME utc = Time(year, month, day, hour);
  SYSTEMTIME local;
  if (!SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local)) return -1;
  return local.wHour;
}

// "dst|none bias/daylight bias daylight m/d/h standard m/d/h" (rules on Sundays).
std::string Describe(const TIME_ZONE_INFORMATION& zone, DWORD id) {
  auto rule = [](const SYSTEMTIME& r) {
    return std::to_string(r.wMonth) + "/" + std::to_string(r.wDay) + "/" + std::to_string(r.wHour) +
           (r.wDayOfWeek == 0 ? "" : " not Sunday");
  };
  return std::string(id == TIME_ZONE_ID_UNKNOWN ? "none " : "dst ") + std::to_string(zone.Bias) + "/" + std::to_string(zone.DaylightBias) + " daylight " +
         rule(zone.DaylightDate) + " standard " + rule(zone.StandardDate);
}

}  // namespace

TEST(ZoneSwitch, EachCallSeesTheZoneTzNamesThen) {
  const char* previous = std::getenv("TZ");
  const std::string saved = previous != nullptr ? previous : "";
  const struct {
    const char* zone;
    const char* rules;
    int january_noon;   // local hour at 12:00 UTC on 15 January and 15 July 2024
    int july_noon;
  } cases[] = {
      {"Australia/Sydney", "dst -600/-60 daylight 10/1/2 standard 4/1/3", 23, 22},
      {"America/New_York", "dst 300/-60 daylight 3/2/2 standard 11/1/2", 7, 8},
      // Dublin's zone data calls winter the exception; Windows calls it standard time.
      {"Europe/Dublin", "dst 0/-60 daylight 3/5/1 standard 10/5/2", 12, 13},
      {"UTC", "none 0/0 daylight 0/0/0 standard 0/0/0", 12, 12},
      {"Asia/Kolkata", "none -330/0 daylight 0/0/0 standard 0/0/0", 17, 17},
      {"Europe/Paris", "dst -60/-60 daylight 3/5/2 standard 10/5/3", 13, 14},
  };
  for (const auto& c : cases) {
    setenv("TZ", c.zone, 1);
    TIME_ZONE_INFORMATION zone;
    const DWORD id = GetTimeZoneInformation(&zone);
    EXPECT_EQ(c.rules, Describe(zone, id)) << c.zone;
    EXPECT_EQ(c.january_noon, LocalHour(2024, 1, 15, 12)) << c.zone;
    EXPECT_EQ(c.july_noon, LocalHour(2024, 7, 15, 12)) << c.zone;
  }
  setenv("TZ", "America/New_York", 1);
  EXPECT_EQ(13, LocalHour(1899, 12, 30, 18));  // today's rules for any year
  unsetenv("TZ");  // the system zone
  TIME_ZONE_INFORMATION zone;
  EXPECT_NE(TIME_ZONE_ID_INVALID, GetTimeZoneInformation(&zone));
  if (previous != nullptr) setenv("TZ", saved.c_str(), 1);
}
