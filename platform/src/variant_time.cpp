// OLE dates: a DATE counts days from 30 December 1899 00:00. The integer part
// is the day, and the fraction is the time of day in absolute value even for
// negative dates (-1.25 is 29 December 1899, 06:00).
#include "variant_time.h"

#include <oleauto.h>

#include <cmath>

namespace oleaut {

namespace {
// Days from 1970-01-01 back to the OLE date origin, 1899-12-30.
constexpr int64_t kOleOriginDays = -25569;
}  // namespace

int64_t DaysFromCivil(int64_t year, unsigned month, unsigned day) {
  // Counts in eras of 400 years starting in March, so leap days fall last.
  year -= month <= 2;
  const int64_t era = (year >= 0 ? year : year - 399) / 400;
  const int64_t yearOfEra = year - era * 400;
  const int64_t dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
  const int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + dayOfEra - 719468;
}

void CivilFromDays(int64_t days, int64_t* year, unsigned* month, unsigned* day) {
  days += 719468;
  const int64_t era = (days >= 0 ? days : days - 146096) / 146097;
  const int64_t dayOfEra = days - era * 146097;
  const int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const int64_t monthIndex = (5 * dayOfYear + 2) / 153;
  *day = static_cast<unsigned>(dayOfYear - (153 * monthIndex + 2) / 5 + 1);
  *month = static_cast<unsigned>(monthIndex < 10 ? monthIndex + 3 : monthIndex - 9);
  *year = yearOfEra + era * 400 + (*month <= 2);
}

unsigned DayOfWeek(int64_t daysSince1970) {
  // 1970-01-01 was a Thursday.
  const int64_t weekday = (daysSince1970 + 4) % 7;
  return static_cast<unsigned>(weekday < 0 ? weekday + 7 : weekday);
}

unsigned DaysInMonth(int64_t year, unsigned month) {
  static const unsigned kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return month == 2 && leap ? 29 : kDays[month - 1];
}

int64_t ExpandTwoDigitYear(int64_t year) {
  if (year >= 100) return year;
  return year < 50 ? year + 2000 : year + 1900;
}

double OleDateFromParts(int64_t daysSince1970, int64_t secondOfDay) {
  const auto days = static_cast<double>(daysSince1970 - kOleOriginDays);
  // Hours, minutes and seconds are added one by one, which decides the last
  // bit of the result the same way OLE Automation does.
  const double hours = static_cast<double>(secondOfDay / 3600) / 24.0;
  const double minutes = static_cast<double>(secondOfDay / 60 % 60) / 1440.0;
  const double seconds = static_cast<double>(secondOfDay % 60) / 86400.0;
  if (days < 0) return days - (hours + minutes + seconds);
  return days + hours + minutes + seconds;
}

SYSTEMTIME SystemTimeFromParts(int64_t daysSince1970, int64_t secondOfDay) {
  int64_t year = 0;
  unsigned month = 0;
  unsigned day = 0;
  CivilFromDays(daysSince1970, &year, &month, &day);
  SYSTEMTIME st{};
  st.wYear = static_cast<WORD>(year);
  st.wMonth = static_cast<WORD>(month);
  st.wDay = static_cast<WORD>(day);
  st.wDayOfWeek = static_cast<WORD>(DayOfWeek(daysSince1970));
  st.wHour = static_cast<WORD>(secondOfDay / 3600);
  st.wMinute = static_cast<WORD>(secondOfDay / 60 % 60);
  st.wSecond = static_cast<WORD>(secondOfDay % 60);
  return st;
}

}  // namespace oleaut

namespace {

using namespace oleaut;

constexpr int64_t kSecondsPerDay = 86400;
// 1 January 100 and 31 December 9999, the range of OLE dates.
constexpr double kFirstDate = -657434.0;
constexpr double kLastDate = 2958465.0;

}  // namespace

INT VariantTimeToSystemTime(DOUBLE vtime, LPSYSTEMTIME lpSystemTime) {
  if (!lpSystemTime) return FALSE;
  // A date a fraction below the first day still names that day.
  if (!(vtime > kFirstDate - 1.0 && vtime < kLastDate + 1.0)) return FALSE;
  const double dayPart = std::trunc(vtime);
  const double timePart = std::fabs(vtime - dayPart);
  // Rounded to the second; 23:59:59.6 becomes midnight of the next day.
  const auto seconds = static_cast<int64_t>(std::floor(timePart * kSecondsPerDay + 0.5));
  const int64_t days = static_cast<int64_t>(dayPart) + seconds / kSecondsPerDay + kOleOriginDays;
  const int64_t secondOfDay = seconds % kSecondsPerDay;
  *lpSystemTime = SystemTimeFromParts(days, secondOfDay);
  // The day of the week stays that of the day before rounding, as Wine gives it.
  lpSystemTime->wDayOfWeek = static_cast<WORD>(DayOfWeek(static_cast<int64_t>(dayPart) + kOleOriginDays));
  return TRUE;
}

INT SystemTimeToVariantTime(LPSYSTEMTIME lpSystemTime, DOUBLE* pvtime) {
  if (!lpSystemTime || !pvtime) return FALSE;
  const SYSTEMTIME& st = *lpSystemTime;
  if (st.wMonth > 12 || st.wDay > 31 || st.wYear > 9999) return FALSE;
  // Out-of-range fields roll over (month 0 is December of the year before,
  // day 0 the last day of the month before, 25:00 the next day); milliseconds
  // and the day of the week play no part.
  int64_t year = ExpandTwoDigitYear(st.wYear);
  int monthIndex = st.wMonth - 1;
  if (monthIndex < 0) {
    monthIndex += 12;
    --year;
  }
  int64_t days = DaysFromCivil(year, static_cast<unsigned>(monthIndex + 1), 1) + (int64_t{st.wDay} - 1);
  int64_t seconds = int64_t{st.wHour} * 3600 + int64_t{st.wMinute} * 60 + st.wSecond;
  days += seconds / kSecondsPerDay;
  seconds %= kSecondsPerDay;
  const double date = OleDateFromParts(days, seconds);
  if (date <= kFirstDate - 1.0 || date >= kLastDate + 1.0) return FALSE;
  *pvtime = date;
  return TRUE;
}
