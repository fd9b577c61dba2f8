// Failures as a user sees them: the error object the library kept for the
// code it returned, with every failure of its chain on a line of its own.
#pragma once

#include <string>

#include "QARSysLog.h"
#include "console.h"

namespace opcclient {

// Writes "opcclient: <what> failed (0x...): <message>" to err and returns
// kFailed. Without an error object, the message is the system's text for the
// code. The error is taken out of the framework: fetch it before the next
// operation of the library, which starts afresh.
int ReportFailure(Console& console, const std::string& what, long hr);

// The error object's message for hr, or empty; the error stays the last one.
std::string ErrorMessage(long hr);
// Its message key, or empty.
std::string ErrorKey(long hr);

// The framework's error log (trace lines, the library's notes) reaches
// standard error only when asked for: what a user needs comes from the error
// objects.
class ErrorLogFilter : public QARErrorLogSink {
 public:
  explicit ErrorLogFilter(bool show);
  ~ErrorLogFilter() override;
  ErrorLogFilter(const ErrorLogFilter&) = delete;
  ErrorLogFilter& operator=(const ErrorLogFilter&) = delete;
  long WriteLine(int, const QARString& line) override;

 private:
  bool show_;
  QARErrorLogSink* previous_;
};

}  // namespace opcclient
