#include "errors.h"

#include <cstdio>
#include <iostream>

#include "QARError.h"
#include "comown.h"
#include "text.h"

namespace opcclient {

namespace {

// The platform's text for a code, for failures that come without an error
// object (a null pointer, a server without the interface a call needs).
std::string SystemText(long hr) {
  comown::local_mem<WCHAR> buffer;
  const DWORD flags = FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS;
  const DWORD length = FormatMessageW(flags, nullptr, static_cast<DWORD>(hr), MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
                                      reinterpret_cast<LPWSTR>(buffer.put()), 0, nullptr);
  if (length == 0 || !buffer) return std::string();
  std::string text = comown::to_utf8(comown::wide_view(buffer.get(), length));
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ')) text.pop_back();
  return text;
}

comown::com_ptr<QARError> LastError(long hr) {
  return comown::com_ptr<QARError>(QARError::QARGetLastError(hr, nullptr), comown::attach);
}

}  // namespace

std::string ErrorMessage(long hr) {
  const comown::com_ptr<QARError> error = LastError(hr);
  return error ? Utf8(error->GetNLSMessage()) : std::string();
}

std::string ErrorKey(long hr) {
  const comown::com_ptr<QARError> error = LastError(hr);
  return error && error->GetMsgId() != nullptr ? std::string(error->GetMsgId()) : std::string();
}

int ReportFailure(Console& console, const std::string& what, long hr) {
  char code[16];
  std::snprintf(code, sizeof code, "0x%08X", static_cast<unsigned>(hr));
  std::string message = ErrorMessage(hr);
  QARError::QARCleanLastError();
  if (message.empty()) message = SystemText(hr);
  console.err << "opcclient: " << what << " failed (" << code << ")";
  if (!message.empty()) {
    // A chained error holds one failure a line: the first stays on the
    // summary's line, the others follow, indented.
    console.err << ": ";
    for (char c : message) {
      if (c == '\n')
        console.err << "\n  ";
      else if (c != '\r')
        console.err << c;
    }
  }
  console.err << "\n";
  return kFailed;
}

ErrorLogFilter::ErrorLogFilter(bool show) : show_(show) { previous_ = QARSetErrorLogSink(this); }

ErrorLogFilter::~ErrorLogFilter() { QARSetErrorLogSink(previous_); }

long ErrorLogFilter::WriteLine(int, const QARString& line) {
  if (show_) std::cerr << line.ConvertToChar() << "\n";
  return S_OK;
}

}  // namespace opcclient
