// Proleptic Gregorian calendar arithmetic shared by the date and time sources.
#pragma once

#include <windef.h>

#include <cstdint>

namespace oleaut {

// Days from 1970-01-01 to the given date; month may be 1..12 only.
int64_t DaysFromCivil(int64_t year, unsigned month, unsigned day);
// The date of the given day count from 1970-01-01.
void CivilFromDays(int64_t days, int64_t* year, unsigned* month, unsigned* day);
// 0 = Sunday ... 6 = Saturday, as SYSTEMTIME counts.
unsigned DayOfWeek(int64_t daysSince1970);
unsigned DaysInMonth(int64_t year, unsigned month);

// Two-digit years name 1950..2049, as OLE Automation reads them.
int64_t ExpandTwoDigitYear(int64_t year);
// The OLE date of a day (counted from 1970-01-01) and a time of day in
// seconds (0..86399).
double OleDateFromParts(int64_t daysSince1970, int64_t secondOfDay);
// The calendar date, weekday and time of a day (counted from 1970-01-01) and
// a time of day in seconds (0..86399); milliseconds are left at zero.
SYSTEMTIME SystemTimeFromParts(int64_t daysSince1970, int64_t secondOfDay);

}  // namespace oleaut
