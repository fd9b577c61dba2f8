// Hooks for tests of code built on the framework: capture the error log,
// refuse object allocations, and fix the clock.
#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "QARSysLog.h"
#include "QARTime.h"
#include "VEMDcnExport.h"

// Makes the next count allocations of framework objects (QARBaseUnknown and
// derived classes) on the calling thread fail; 0 ends the simulation.
VEMDCN_EXPORT void QARSimulateAllocationFailures(int count);

// Replaces the clock of QARGetCurrentTime (null restores the system clock);
// returns the previous replacement.
typedef HRESULT (*QARClockFunction)(QARTimeValue* now);
VEMDCN_EXPORT QARClockFunction QARSetClock(QARClockFunction clock);

// Captures the error log's lines while it exists: it installs itself as the
// sink on construction and restores the previous sink on destruction.
class VEMDCN_EXPORT QARErrorLogCapture : public QARErrorLogSink {
 public:
  QARErrorLogCapture();
  ~QARErrorLogCapture() override;
  QARErrorLogCapture(const QARErrorLogCapture&) = delete;
  QARErrorLogCapture& operator=(const QARErrorLogCapture&) = delete;

  long WriteLine(int severity, const QARString& line) override;

  // The lines written so far, in UTF-8, and their severities.
  std::vector<std::string> Lines() const;
  std::vector<int> Severities() const;
  void Clear();
  // From now on every write fails with result (and is not recorded); S_OK
  // makes writes succeed again.
  void FailWrites(long result);

 private:
  mutable std::mutex _Mutex;
  std::vector<std::string> _Lines;
  std::vector<int> _Severities;
  long _Result;
  QARErrorLogSink* _Previous;
};
