// QARString: the framework's 8-bit text. It holds bytes as given; the
// framework treats them as UTF-8 where a character set matters (log lines,
// message catalogue files).
#pragma once

#include <string>

#include "VEMDcnExport.h"

class VEMDCN_EXPORT QARString {
 public:
  QARString() = default;
  QARString(const char* text);  // NOLINT: plain C strings convert implicitly
  QARString(const char* text, int length);

  // NUL-terminated bytes, valid until the string changes.
  const char* ConvertToChar() const { return _Text.c_str(); }
  int GetLengthInChar() const { return static_cast<int>(_Text.size()); }
  bool IsEmpty() const { return _Text.empty(); }

  QARString& Append(const QARString& other);
  QARString& operator+=(const QARString& other) { return Append(other); }

  friend QARString operator+(const QARString& left, const QARString& right) {
    QARString result(left);
    return result.Append(right);
  }
  friend bool operator==(const QARString& left, const QARString& right) { return left._Text == right._Text; }
  friend bool operator!=(const QARString& left, const QARString& right) { return left._Text != right._Text; }

 private:
  std::string _Text;
};
