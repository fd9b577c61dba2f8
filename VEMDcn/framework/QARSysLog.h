// The framework's error log: one line per call, written to standard error,
// or appended to the file named by the environment variable QAR_ERROR_LOG
// when it is set, or handed to a sink the host (or a test) installs.
// Lines reach the file in UTF-8, each followed by a line feed.
#pragma once

#include "QARString.h"
#include "QARUnicodeString.h"
#include "VEMDcnExport.h"

enum QARLogSeverity { QARLogFatal = 0, QARLogError = 1, QARLogWarning = 2, QARLogInformation = 3 };

// Writes timeStamp, text1 and text2, each only when given, as one line; text1
// and text2 are separated by one blank. Returns S_OK, or the failure of the
// sink (a log file that cannot be opened gives E_FAIL).
VEMDCN_EXPORT long QARSysErrorLog(const char* timeStamp, int severity, const QARUnicodeString* text1,
                                  const QARUnicodeString* text2);
// Writes the text as one line of severity QARLogError.
VEMDCN_EXPORT long QARSysLogError(const char* text);
VEMDCN_EXPORT long QARSysLogError(const QARUnicodeString& text);

// Reports a broken assertion: logs the message, the further texts that are
// given, and the source position as
//   <message> <text2> <text3> <text4> (<file>, line <line>)
// then calls the handler the host installed, if any, and returns.
VEMDCN_EXPORT void QARFatalError(const char* message, const char* text2, const char* text3, const char* text4,
                                 const char* file, int line);

typedef void (*QARFatalErrorHandler)(const char* message, const char* file, int line);
// Installs a handler (null removes it); returns the previous one. A handler
// may end the process; if it returns, QARFatalError returns to its caller.
VEMDCN_EXPORT QARFatalErrorHandler QARSetFatalErrorHandler(QARFatalErrorHandler handler);

// Receives the error log's lines instead of the default destination.
class VEMDCN_EXPORT QARErrorLogSink {
 public:
  virtual ~QARErrorLogSink();
  // One line in UTF-8, without terminator. Returns S_OK or a failure code,
  // which the logging call returns to its caller. Calls are serialised.
  virtual long WriteLine(int severity, const QARString& line) = 0;
};

// Installs a sink (null restores the default destination); returns the
// previous sink. The caller keeps ownership of the sink.
VEMDCN_EXPORT QARErrorLogSink* QARSetErrorLogSink(QARErrorLogSink* sink);
