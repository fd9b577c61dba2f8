// The trace log: time-stamped lines in the framework's error log.
#include <cstdio>

#include "QARSysLog.h"
#include "QARTime.h"
#include "VEMDcnOpcClient.h"
#include "VEMDcnOpcClientInternal.h"

long VEMDcnOpcClient::_LogTrace(QARUnicodeString& line) const {
  QARTimeValue now = {0, 0};
  QARGetCurrentTime(&now, nullptr);
  const QARTime time(now.Seconds);
  char stamp[1024];
  std::snprintf(stamp, sizeof stamp, "%d.%d.%d %d:%d:%d,%d\t", time.GetYear(), time.GetMonth(), time.GetDay(),
                time.GetHour(), time.GetMinute(), time.GetSecond(), static_cast<int>(now.Microseconds / 1000));
  return QARSysErrorLog(stamp, 3, nullptr, &line);
}

// One duration line: prefix, microseconds since startTicks, " µs for ", count, " items".
void VEMDcnOpcClient::_LogDuration(const char* prefix, LONGLONG startTicks, unsigned int count,
                                   const char* countFormat) const {
  LARGE_INTEGER end;
  QueryPerformanceCounter(&end);
  const ULONGLONG elapsed = static_cast<ULONGLONG>(end.QuadPart - startTicks);
  // A counter slower than 1 MHz has no ticks per microsecond: report raw ticks.
  const ULONGLONG micros = _TicksPerMicrosecond == 0 ? elapsed : elapsed / _TicksPerMicrosecond;
  QARUnicodeString duration;
  duration.BuildFromNum(static_cast<unsigned int>(micros & 0xFFFFFFFFu), "%d");
  QARUnicodeString counted;
  counted.BuildFromNum(count, countFormat);
  _TraceText = QARUnicodeString(prefix) + duration + QARUnicodeString(" \xB5s for ") + counted +
               QARUnicodeString(" items");
  _LogTrace(_TraceText);
}
