// The system clock and FILETIME: 100-nanosecond ticks since 1601-01-01 00:00 UTC.
#include <windows.h>

#include <ctime>

#include "variant_time.h"

namespace {

using namespace oleaut;

constexpr int64_t kTicksPerSecond = 10000000;
constexpr int64_t kTicksPerMillisecond = 10000;
constexpr int64_t kSecondsPerDay = 86400;
// Days and seconds from 1601-01-01 to the Unix epoch.
constexpr int64_t kDaysFrom1601 = 134774;
constexpr int64_t kSecondsFrom1601 = kDaysFrom1601 * kSecondsPerDay;

FILETIME FileTimeFromTicks(uint64_t ticks) {
  FILETIME ft;
  ft.dwLowDateTime = static_cast<DWORD>(ticks);
  ft.dwHighDateTime = static_cast<DWORD>(ticks >> 32);
  return ft;
}

bool IsValidSystemTime(const SYSTEMTIME& st) {
  // The years a FILETIME can hold without reaching its sign bit.
  if (st.wYear < 1601 || st.wYear > 30827) return false;
  if (st.wMonth < 1 || st.wMonth > 12) return false;
  if (st.wDay < 1 || st.wDay > DaysInMonth(st.wYear, st.wMonth)) return false;
  return st.wHour < 24 && st.wMinute < 60 && st.wSecond < 60 && st.wMilliseconds < 1000;
}

}  // namespace

void GetSystemTimeAsFileTime(LPFILETIME lpSystemTimeAsFileTime) {
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  const int64_t ticks = (int64_t{now.tv_sec} + kSecondsFrom1601) * kTicksPerSecond + now.tv_nsec / 100;
  *lpSystemTimeAsFileTime = FileTimeFromTicks(static_cast<uint64_t>(ticks));
}

void GetSystemTime(LPSYSTEMTIME lpSystemTime) {
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  FileTimeToSystemTime(&now, lpSystemTime);
}

void GetLocalTime(LPSYSTEMTIME lpSystemTime) {
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  // The C library caches the zone; TZ may have changed since the last call.
  tzset();
  tm local{};
  localtime_r(&now.tv_sec, &local);
  lpSystemTime->wYear = static_cast<WORD>(local.tm_year + 1900);
  lpSystemTime->wMonth = static_cast<WORD>(local.tm_mon + 1);
  lpSystemTime->wDay = static_cast<WORD>(local.tm_mday);
  lpSystemTime->wDayOfWeek = static_cast<WORD>(local.tm_wday);
  lpSystemTime->wHour = static_cast<WORD>(local.tm_hour);
  lpSystemTime->wMinute = static_cast<WORD>(local.tm_min);
  lpSystemTime->wSecond = static_cast<WORD>(local.tm_sec);
  lpSystemTime->wMilliseconds = static_cast<WORD>(now.tv_nsec / 1000000);
}

BOOL SystemTimeToFileTime(const SYSTEMTIME* lpSystemTime, LPFILETIME lpFileTime) {
  if (!lpSystemTime || !lpFileTime || !IsValidSystemTime(*lpSystemTime)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  const SYSTEMTIME& st = *lpSystemTime;
  const int64_t days = DaysFromCivil(st.wYear, st.wMonth, st.wDay) + kDaysFrom1601;
  const int64_t seconds = days * kSecondsPerDay + st.wHour * 3600 + st.wMinute * 60 + st.wSecond;
  const int64_t ticks = seconds * kTicksPerSecond + st.wMilliseconds * kTicksPerMillisecond;
  *lpFileTime = FileTimeFromTicks(static_cast<uint64_t>(ticks));
  return TRUE;
}

BOOL FileTimeToSystemTime(const FILETIME* lpFileTime, LPSYSTEMTIME lpSystemTime) {
  if (!lpFileTime || !lpSystemTime) return FALSE;
  const uint64_t ticks = (uint64_t{lpFileTime->dwHighDateTime} << 32) | lpFileTime->dwLowDateTime;
  if (ticks > uint64_t{INT64_MAX}) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  const int64_t totalSeconds = static_cast<int64_t>(ticks / kTicksPerSecond);
  const int64_t days = totalSeconds / kSecondsPerDay - kDaysFrom1601;
  const int64_t secondOfDay = totalSeconds % kSecondsPerDay;
  *lpSystemTime = SystemTimeFromParts(days, secondOfDay);
  lpSystemTime->wMilliseconds = static_cast<WORD>(ticks % kTicksPerSecond / kTicksPerMillisecond);
  return TRUE;
}
