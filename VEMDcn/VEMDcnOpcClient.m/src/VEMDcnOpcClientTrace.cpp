// The trace log: time-stamped lines in the framework's error log.
#include <cstdio>
#include <mutex>

#include "QARSysLog.h"
#include "QARTime.h"
#include "VEMDcnOpcClient.h"
#include "VEMDcnOpcClientInternal.h"

namespace {

// Every client of the process shares the trace text and the tick rate:
// clients on several threads assign and write them one line at a time.
std::mutex& TraceLock() {
  static std::mutex lock;
  return lock;
}

}  // namespace

long VEMDcnOpcClient::_LogTrace(QARUnicodeString& line) const {
  QARTimeValue now = {0, 0};
  QARGetCurrentTime(&now, nullptr);
  const QARTime time(now.Seconds);
  char stamp[1024];
  std::snprintf(stamp, sizeof stamp, "%d.%d.%d %d:%d:%d,%d\t", time.GetYear(), time.GetMonth(), time.GetDay(),
                time.GetHour(), time.GetMinute(), time.GetSecond(), static_cast<int>(now.Microseconds / 1000));
  return QARSysErrorLog(stamp, 3, nullptr, &line);
}

// A fixed line (created, deleted) through the shared text.
long VEMDcnOpcClient::_TraceLine(const char* line) const {
  const std::lock_guard<std::mutex> lock(TraceLock());
  _TraceText = line;
  return _LogTrace(_TraceText);
}

void VEMDcnOpcClient::_MeasureTicksPerMicrosecond() {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  const std::lock_guard<std::mutex> lock(TraceLock());
  _TicksPerMicrosecond = static_cast<ULONGLONG>(frequency.QuadPart) / 1000000u;
}

// One duration line: prefix, microseconds since startTicks, " µs for ", count, " items".
void VEMDcnOpcClient::_LogDuration(const char* prefix, LONGLONG startTicks, unsigned int count,
                                   const char* countFormat) const {
  LARGE_INTEGER end;
  QueryPerformanceCounter(&end);
  const ULONGLONG elapsed = static_cast<ULONGLONG>(end.QuadPart - startTicks);
  QARUnicodeString counted;
  counted.BuildFromNum(count, countFormat);
  const std::lock_guard<std::mutex> lock(TraceLock());
  // A counter slower than 1 MHz has no ticks per microsecond: report raw ticks.
  const ULONGLONG micros = _TicksPerMicrosecond == 0 ? elapsed : elapsed / _TicksPerMicrosecond;
  QARUnicodeString duration;
  duration.BuildFromNum(static_cast<unsigned int>(micros & 0xFFFFFFFFu), "%d");
  _TraceText = QARUnicodeString(prefix) + duration + QARUnicodeString(" \xB5s for ") + counted +
               QARUnicodeString(" items");
  _LogTrace(_TraceText);
}
