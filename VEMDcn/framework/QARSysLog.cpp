#include "QARSysLog.h"

#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>

namespace {

const char kLogFileVariable[] = "QAR_ERROR_LOG";

struct LogState {
  std::recursive_mutex mutex;  // a sink may log from inside WriteLine
  QARErrorLogSink* sink = nullptr;
  QARFatalErrorHandler fatalHandler = nullptr;
};

LogState& State() {
  static LogState* state = new LogState;  // outlives static destructors that still log
  return *state;
}

long WriteToFile(const char* path, const QARString& line) {
  FILE* file = std::fopen(path, "ab");
  if (file == nullptr) return E_FAIL;
  const bool written = std::fprintf(file, "%s\n", line.ConvertToChar()) >= 0;
  return (std::fclose(file) == 0 && written) ? S_OK : E_FAIL;
}

long WriteToDefault(const QARString& line) {
  const char* path = std::getenv(kLogFileVariable);
  if (path != nullptr && *path != '\0') return WriteToFile(path, line);
  std::fprintf(stderr, "%s\n", line.ConvertToChar());
  std::fflush(stderr);
  return S_OK;
}

long WriteLine(int severity, const QARString& line) {
  LogState& state = State();
  std::lock_guard<std::recursive_mutex> lock(state.mutex);
  if (state.sink != nullptr) return state.sink->WriteLine(severity, line);
  return WriteToDefault(line);
}

}  // namespace

QARErrorLogSink::~QARErrorLogSink() = default;

QARErrorLogSink* QARSetErrorLogSink(QARErrorLogSink* sink) {
  LogState& state = State();
  std::lock_guard<std::recursive_mutex> lock(state.mutex);
  QARErrorLogSink* previous = state.sink;
  state.sink = sink;
  return previous;
}

long QARSysErrorLog(const char* timeStamp, int severity, const QARUnicodeString* text1,
                    const QARUnicodeString* text2) {
  QARUnicodeString line(timeStamp);
  if (text1 != nullptr) line += *text1;
  if (text1 != nullptr && text2 != nullptr) line += " ";
  if (text2 != nullptr) line += *text2;
  return WriteLine(severity, line.ConvertToChar());
}

long QARSysLogError(const char* text) { return QARSysLogError(QARUnicodeString(text)); }

long QARSysLogError(const QARUnicodeString& text) { return WriteLine(QARLogError, text.ConvertToChar()); }

void QARFatalError(const char* message, const char* text2, const char* text3, const char* text4, const char* file,
                   int line) {
  std::string text = message != nullptr ? message : "AssertionFailed";
  for (const char* more : {text2, text3, text4}) {
    if (more != nullptr && *more != '\0') text.append(" ").append(more);
  }
  if (file != nullptr) text.append(" (").append(file).append(", line ").append(std::to_string(line)).append(")");
  WriteLine(QARLogFatal, QARUnicodeString(text.c_str()).ConvertToChar());  // 8-bit texts are Latin-1

  QARFatalErrorHandler handler;
  {
    LogState& state = State();
    std::lock_guard<std::recursive_mutex> lock(state.mutex);
    handler = state.fatalHandler;
  }
  if (handler != nullptr) handler(message, file, line);
}

QARFatalErrorHandler QARSetFatalErrorHandler(QARFatalErrorHandler handler) {
  LogState& state = State();
  std::lock_guard<std::recursive_mutex> lock(state.mutex);
  QARFatalErrorHandler previous = state.fatalHandler;
  state.fatalHandler = handler;
  return previous;
}
