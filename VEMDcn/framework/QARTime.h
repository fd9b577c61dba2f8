// Time: the current time as seconds and microseconds since 1970-01-01 UTC,
// and its local calendar fields.
#pragma once

#include <windows.h>

#include "VEMDcnExport.h"

struct QARTimeValue {
  ULONG Seconds;       // since 1970-01-01 00:00:00 UTC
  ULONG Microseconds;  // 0 to 999999
};

// Fills now; reserved must be null. E_POINTER when now is null.
VEMDCN_EXPORT HRESULT QARGetCurrentTime(QARTimeValue* now, void* reserved);

// The local calendar fields of a moment, in the time zone of the process.
class VEMDCN_EXPORT QARTime {
 public:
  explicit QARTime(long long secondsSince1970);

  int GetYear() const { return _Year; }      // e.g. 2009
  int GetMonth() const { return _Month; }    // 1 to 12
  int GetDay() const { return _Day; }        // 1 to 31
  int GetHour() const { return _Hour; }      // 0 to 23
  int GetMinute() const { return _Minute; }  // 0 to 59
  int GetSecond() const { return _Second; }  // 0 to 60

 private:
  int _Year;
  int _Month;
  int _Day;
  int _Hour;
  int _Minute;
  int _Second;
};
