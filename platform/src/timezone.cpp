// Time zones as Windows describes them: a standard bias and, for zones with
// daylight saving time, two yearly rules such as "the last Sunday of March at
// 02:00". The rules are read off the C library's zone data for the current
// year and then applied to any year, as Windows does: historical offsets play
// no part in SystemTimeToTzSpecificLocalTime.
#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <ctime>
#include <mutex>
#include <string>

#include "variant_time.h"

namespace {

using namespace oleaut;

constexpr int64_t kSecondsPerDay = 86400;
constexpr int64_t kTicksPerSecond = 10000000;
// Seconds from 1601-01-01 (the FILETIME origin) to 1970-01-01.
constexpr int64_t kSecondsFrom1601 = int64_t{134774} * kSecondsPerDay;
// Windows writes "the last such weekday of the month" as occurrence 5.
constexpr WORD kLastOccurrence = 5;

struct Transition {
  time_t at = 0;
  long offsetBefore = 0;  // seconds east of UTC
  long offsetAfter = 0;
};

// What the zone does in one year: its offsets and, with daylight saving
// time, the changes into and out of it.
struct ZoneYear {
  long standardOffset = 0;
  long daylightOffset = 0;
  bool hasDaylight = false;
  Transition toDaylight;
  Transition toStandard;
  std::string standardName;
  std::string daylightName;
};

int64_t FloorDiv(int64_t a, int64_t b) { return a / b - (a % b != 0 && (a < 0) != (b < 0)); }

long OffsetAt(time_t t, tm* broken) {
  localtime_r(&t, broken);
  return broken->tm_gmtoff;
}

std::string ZoneNameAt(time_t t) {
  tm broken{};
  localtime_r(&t, &broken);
  return broken.tm_zone ? broken.tm_zone : "";
}

// The first second in (low, high] whose offset differs from the one at low.
time_t FindChange(time_t low, time_t high) {
  tm scratch{};
  const long before = OffsetAt(low, &scratch);
  while (high - low > 1) {
    const time_t mid = low + (high - low) / 2;
    if (OffsetAt(mid, &scratch) == before)
      low = mid;
    else
      high = mid;
  }
  return high;
}

// Daylight saving time is the period of the larger offset, whatever the zone
// data calls it (some zones mark their winter time as the exception).
ZoneYear DescribeYear(int year, time_t now) {
  ZoneYear zone;
  bool foundUp = false;
  bool foundDown = false;
  // A day of margin on each side covers zones far from UTC.
  const time_t start = static_cast<time_t>((DaysFromCivil(year, 1, 1) - 1) * kSecondsPerDay);
  const time_t end = static_cast<time_t>((DaysFromCivil(year + 1, 1, 1) + 1) * kSecondsPerDay);
  tm scratch{};
  long previous = OffsetAt(start, &scratch);
  for (time_t t = start; t < end; t += kSecondsPerDay) {
    const time_t next = t + kSecondsPerDay;
    const long offset = OffsetAt(next, &scratch);
    if (offset == previous) continue;
    const Transition change{FindChange(t, next), previous, offset};
    if (offset > previous && !foundUp) {
      zone.toDaylight = change;
      foundUp = true;
    } else if (offset < previous && !foundDown) {
      zone.toStandard = change;
      foundDown = true;
    }
    previous = offset;
  }
  zone.hasDaylight = foundUp && foundDown;
  if (zone.hasDaylight) {
    zone.standardOffset = zone.toStandard.offsetAfter;
    zone.daylightOffset = zone.toDaylight.offsetAfter;
    zone.standardName = ZoneNameAt(zone.toStandard.at);
    zone.daylightName = ZoneNameAt(zone.toDaylight.at);
  } else {
    zone.standardOffset = OffsetAt(now, &scratch);
    zone.standardName = ZoneNameAt(now);
    zone.daylightName = zone.standardName;
  }
  return zone;
}

// Scanning a year takes a few hundred conversions, so the last description is
// kept for as long as the zone (as the C library sees it after tzset) and the
// year stay the same.
struct ZoneKey {
  std::string tz;
  std::string names[2];
  long standardOffset = 0;
  int year = 0;

  bool operator==(const ZoneKey& other) const {
    return tz == other.tz && names[0] == other.names[0] && names[1] == other.names[1] &&
           standardOffset == other.standardOffset && year == other.year;
  }
};

ZoneKey CurrentZoneKey(int year) {
  ZoneKey key;
  const char* tz = std::getenv("TZ");
  key.tz = tz ? std::string("=") + tz : std::string();
  key.names[0] = tzname[0] ? tzname[0] : "";
  key.names[1] = tzname[1] ? tzname[1] : "";
  key.standardOffset = timezone;
  key.year = year;
  return key;
}

ZoneYear DescribeYearCached(int year, time_t now) {
  static std::mutex mutex;
  static ZoneKey cachedKey;
  static ZoneYear cached;
  static bool valid = false;
  const ZoneKey key = CurrentZoneKey(year);
  std::lock_guard<std::mutex> lock(mutex);
  if (!valid || !(key == cachedKey)) {
    cached = DescribeYear(year, now);
    cachedKey = key;
    valid = true;
  }
  return cached;
}

void CopyName(const std::string& name, WCHAR (&target)[32]) {
  size_t i = 0;
  for (; i < name.size() && i + 1 < 32; ++i) target[i] = static_cast<unsigned char>(name[i]);
  target[i] = 0;
}

// The change as a rule: the local time shown just before it, with the day
// written as the n-th (or last) such weekday of the month.
SYSTEMTIME RuleFromTransition(const Transition& change) {
  const int64_t wall = int64_t{change.at} + change.offsetBefore;
  const int64_t days = FloorDiv(wall, kSecondsPerDay);
  const int64_t secondOfDay = wall - days * kSecondsPerDay;
  int64_t year = 0;
  unsigned month = 0;
  unsigned day = 0;
  CivilFromDays(days, &year, &month, &day);
  SYSTEMTIME rule{};
  rule.wMonth = static_cast<WORD>(month);
  rule.wDayOfWeek = static_cast<WORD>(DayOfWeek(days));
  rule.wDay = day + 7 > DaysInMonth(year, month) ? kLastOccurrence : static_cast<WORD>((day - 1) / 7 + 1);
  rule.wHour = static_cast<WORD>(secondOfDay / 3600);
  rule.wMinute = static_cast<WORD>(secondOfDay / 60 % 60);
  rule.wSecond = static_cast<WORD>(secondOfDay % 60);
  return rule;
}

// The wall-clock moment (seconds from 1970, as if it were UTC) at which a
// rule fires in the given year, or false for a malformed rule.
bool RuleMoment(const SYSTEMTIME& rule, int64_t year, int64_t* moment) {
  if (rule.wMonth < 1 || rule.wMonth > 12) return false;
  const unsigned monthDays = DaysInMonth(year, rule.wMonth);
  int64_t day = rule.wDay;
  if (rule.wYear != 0) {
    // An absolute date: that day of that month.
    if (day < 1 || day > monthDays) return false;
  } else {
    if (day < 1 || day > kLastOccurrence || rule.wDayOfWeek > 6) return false;
    const unsigned firstWeekday = DayOfWeek(DaysFromCivil(year, rule.wMonth, 1));
    day = 1 + (rule.wDayOfWeek + 7 - firstWeekday) % 7 + 7 * (day - 1);
    while (day > monthDays) day -= 7;
  }
  const int64_t days = DaysFromCivil(year, rule.wMonth, static_cast<unsigned>(day));
  *moment = days * kSecondsPerDay + rule.wHour * 3600 + rule.wMinute * 60 + rule.wSecond;
  return true;
}

// Whether daylight saving time applies at utc (seconds from 1970) under the
// zone's rules for that year.
bool IsDaylightTime(const TIME_ZONE_INFORMATION& tz, int64_t utc, bool* daylight) {
  const int64_t standardShift = int64_t{tz.Bias + tz.StandardBias} * 60;
  const int64_t daylightShift = int64_t{tz.Bias + tz.DaylightBias} * 60;
  int64_t year = 0;
  unsigned month = 0;
  unsigned day = 0;
  CivilFromDays(FloorDiv(utc - standardShift, kSecondsPerDay), &year, &month, &day);
  int64_t daylightStart = 0;
  int64_t standardStart = 0;
  if (!RuleMoment(tz.DaylightDate, year, &daylightStart) || !RuleMoment(tz.StandardDate, year, &standardStart))
    return false;
  // Each rule is written in the local time in force just before it.
  daylightStart += standardShift;
  standardStart += daylightShift;
  if (daylightStart < standardStart)
    *daylight = utc >= daylightStart && utc < standardStart;
  else  // southern hemisphere: daylight time spans the turn of the year
    *daylight = utc < standardStart || utc >= daylightStart;
  return true;
}

}  // namespace

DWORD GetTimeZoneInformation(LPTIME_ZONE_INFORMATION lpTimeZoneInformation) {
  if (!lpTimeZoneInformation) return TIME_ZONE_ID_INVALID;
  // The C library caches the zone; TZ is read afresh at every call.
  tzset();
  const time_t now = time(nullptr);
  tm local{};
  localtime_r(&now, &local);
  const ZoneYear zone = DescribeYearCached(local.tm_year + 1900, now);
  TIME_ZONE_INFORMATION& tz = *lpTimeZoneInformation;
  std::memset(&tz, 0, sizeof(tz));
  tz.Bias = static_cast<LONG>(-zone.standardOffset / 60);
  CopyName(zone.standardName, tz.StandardName);
  CopyName(zone.daylightName, tz.DaylightName);
  if (!zone.hasDaylight) return TIME_ZONE_ID_UNKNOWN;
  tz.DaylightBias = static_cast<LONG>(-(zone.daylightOffset - zone.standardOffset) / 60);
  tz.StandardDate = RuleFromTransition(zone.toStandard);
  tz.DaylightDate = RuleFromTransition(zone.toDaylight);
  return local.tm_gmtoff == zone.daylightOffset ? TIME_ZONE_ID_DAYLIGHT : TIME_ZONE_ID_STANDARD;
}

BOOL SystemTimeToTzSpecificLocalTime(const TIME_ZONE_INFORMATION* lpTimeZoneInformation,
                                     const SYSTEMTIME* lpUniversalTime, LPSYSTEMTIME lpLocalTime) {
  if (!lpUniversalTime || !lpLocalTime) return FALSE;
  TIME_ZONE_INFORMATION current;
  if (!lpTimeZoneInformation) {
    if (GetTimeZoneInformation(&current) == TIME_ZONE_ID_INVALID) return FALSE;
    lpTimeZoneInformation = &current;
  }
  const TIME_ZONE_INFORMATION& tz = *lpTimeZoneInformation;
  FILETIME universal;
  if (!SystemTimeToFileTime(lpUniversalTime, &universal)) return FALSE;
  const int64_t ticks = static_cast<int64_t>((uint64_t{universal.dwHighDateTime} << 32) | universal.dwLowDateTime);
  int64_t bias = tz.Bias;
  // Without both rules the zone has no daylight saving time, and only Bias counts.
  if (tz.DaylightDate.wMonth != 0 && tz.StandardDate.wMonth != 0) {
    bool daylight = false;
    if (!IsDaylightTime(tz, ticks / kTicksPerSecond - kSecondsFrom1601, &daylight)) return FALSE;
    bias += daylight ? tz.DaylightBias : tz.StandardBias;
  }
  const int64_t localTicks = ticks - bias * 60 * kTicksPerSecond;
  if (localTicks < 0) return FALSE;
  FILETIME local;
  local.dwLowDateTime = static_cast<DWORD>(localTicks);
  local.dwHighDateTime = static_cast<DWORD>(static_cast<uint64_t>(localTicks) >> 32);
  return FileTimeToSystemTime(&local, lpLocalTime);
}
