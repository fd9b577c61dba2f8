// Records the broken assertions reported through QARFatalError while it lives,
// and keeps their log lines out of the test output.
#pragma once

#include <string>
#include <vector>

#include "QARSysLog.h"

struct FatalReport {
  std::string message;
  std::string file;
  int line;
};

class FatalErrorRecorder : public QARErrorLogSink {
 public:
  FatalErrorRecorder() {
    Reports().clear();
    _PreviousHandler = QARSetFatalErrorHandler(&Record);
    _PreviousSink = QARSetErrorLogSink(this);
  }
  ~FatalErrorRecorder() override {
    QARSetErrorLogSink(_PreviousSink);
    QARSetFatalErrorHandler(_PreviousHandler);
  }
  FatalErrorRecorder(const FatalErrorRecorder&) = delete;
  FatalErrorRecorder& operator=(const FatalErrorRecorder&) = delete;

  long WriteLine(int, const QARString&) override { return 0; }

  static std::vector<FatalReport>& Reports() {
    static std::vector<FatalReport> reports;
    return reports;
  }

 private:
  static void Record(const char* message, const char* file, int line) {
    Reports().push_back({message ? message : "", file ? file : "", line});
  }

  QARFatalErrorHandler _PreviousHandler;
  QARErrorLogSink* _PreviousSink;
};
