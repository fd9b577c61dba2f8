// Helpers shared by the framework tests.
#pragma once

#include <cstdlib>
#include <ostream>
#include <string>

#include "QARError.h"
#include "QARString.h"
#include "QARUnicodeString.h"
#include "comown.h"

using comown::com_ptr;

// Readable failure messages for framework texts.
inline void PrintTo(const QARUnicodeString& text, std::ostream* out) {
  *out << '"' << text.ConvertToChar().ConvertToChar() << '"';
}
inline void PrintTo(const QARString& text, std::ostream* out) { *out << '"' << text.ConvertToChar() << '"'; }

inline std::string Utf8(const QARUnicodeString& text) { return text.ConvertToChar().ConvertToChar(); }

// The thread's last error for hr (and object), held; empty when there is none.
inline com_ptr<QARError> LastError(HRESULT hr, IUnknown* object = nullptr) {
  return com_ptr<QARError>(QARError::QARGetLastError(hr, object), comown::attach);
}

// Sets an environment variable for the test's duration and restores it.
class ScopedEnvironment {
 public:
  ScopedEnvironment(const char* name, const char* value) : _Name(name) {
    const char* previous = std::getenv(name);
    _HadValue = previous != nullptr;
    if (_HadValue) _Previous = previous;
    Set(value);
  }
  ~ScopedEnvironment() { Set(_HadValue ? _Previous.c_str() : nullptr); }
  ScopedEnvironment(const ScopedEnvironment&) = delete;
  ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

 private:
  void Set(const char* value) {
#if defined(_WIN32)
    _putenv_s(_Name.c_str(), value != nullptr ? value : "");
#else
    if (value != nullptr) {
      setenv(_Name.c_str(), value, 1);
    } else {
      unsetenv(_Name.c_str());
    }
#endif
  }

  std::string _Name;
  std::string _Previous;
  bool _HadValue = false;
};
