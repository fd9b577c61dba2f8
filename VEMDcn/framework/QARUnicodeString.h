// QARUnicodeString: the framework's Unicode text, held as UTF-16 code units
// (WCHAR), so that it passes to and from COM without conversion.
//
// Conversions from 8-bit text read every byte as the Latin-1 character of the
// same value (the byte 0xB5 is U+00B5 MICRO SIGN); BuildFromUTF8 reads UTF-8
// instead. ConvertToChar writes UTF-8. Positions are 0-based code-unit offsets.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <cstddef>
#include <string>

#include "QARString.h"
#include "VEMDcnExport.h"

class VEMDCN_EXPORT QARUnicodeString {
 public:
  // Mode argument of SearchSubString.
  enum SearchMode { FirstOccurrence = 1, LastOccurrence = 2 };
  // Mode argument of Strip.
  enum StripMode { StripLeading = 0, StripTrailing = 1, StripBoth = 2 };

  QARUnicodeString() = default;
  QARUnicodeString(const char* latin1);  // NOLINT: texts convert implicitly, as in the callers' concatenations
  QARUnicodeString(const char* latin1, int length);
  explicit QARUnicodeString(const QARString& latin1);
  QARUnicodeString(const WCHAR* text);  // NOLINT
  QARUnicodeString(const WCHAR* text, int length);

  // Builders replace the whole text. A null pointer gives the empty text.
  HRESULT BuildFromWChar(const WCHAR* text);
  HRESULT BuildFromWChar(const WCHAR* text, int length);
  HRESULT BuildFromUTF8(const char* text);
  // The whole BSTR, embedded NULs included; a null BSTR is the empty text.
  HRESULT BuildFromBSTR(BSTR text) {
    return BuildFromWChar(text, text == nullptr ? 0 : static_cast<int>(SysStringLen(text)));
  }

  // Formats one number like sprintf with a format holding at most one
  // conversion. The value is converted to the type the conversion expects
  // (so "%d" with a 64-bit value prints its low 32 bits, "%g" with an int
  // prints it as a double). Length modifiers have their Windows sizes: "l"
  // is 32 bits on every target. E_POINTER for a null format, E_INVALIDARG for a
  // format with several conversions or one that is not numeric (%s, %p, %n,
  // '*' widths); the text is then left unchanged.
  HRESULT BuildFromNum(char value, const char* format);
  HRESULT BuildFromNum(signed char value, const char* format);
  HRESULT BuildFromNum(unsigned char value, const char* format);
  HRESULT BuildFromNum(short value, const char* format);
  HRESULT BuildFromNum(unsigned short value, const char* format);
  HRESULT BuildFromNum(int value, const char* format);
  HRESULT BuildFromNum(unsigned int value, const char* format);
  HRESULT BuildFromNum(long value, const char* format);
  HRESULT BuildFromNum(unsigned long value, const char* format);
  HRESULT BuildFromNum(long long value, const char* format);
  HRESULT BuildFromNum(unsigned long long value, const char* format);
  HRESULT BuildFromNum(float value, const char* format);
  HRESULT BuildFromNum(double value, const char* format);

  // Copies GetLengthInChar() + 1 code units (the text and its terminator).
  HRESULT ConvertToWChar(WCHAR* buffer) const;
  // UTF-8; an unpaired surrogate becomes U+FFFD.
  QARString ConvertToChar() const;
  // The NUL-terminated code units, valid until the text changes.
  const WCHAR* GetWChar() const { return _Text.c_str(); }
  int GetLengthInChar() const { return static_cast<int>(_Text.size()); }
  bool IsEmpty() const { return _Text.empty(); }

  QARUnicodeString& Append(const QARUnicodeString& other);
  QARUnicodeString& operator+=(const QARUnicodeString& other) { return Append(other); }
  // Inserts at a code-unit position, clamped to the text.
  QARUnicodeString& Insert(int position, const QARUnicodeString& other);
  // The part of [start, start + length) that lies inside the text; a negative
  // length gives the empty text.
  QARUnicodeString SubString(int start, int length) const;
  // FirstOccurrence: first position at or after start; LastOccurrence: last
  // position at or after start. -1 when absent or for an unknown mode.
  int SearchSubString(const QARUnicodeString& what, int start, int mode) const;
  // Removes every occurrence of one character at the start, the end or both
  // ends (StripMode); other modes change nothing.
  QARUnicodeString& Strip(int mode, WCHAR character);

  size_t HashCode() const;

  friend QARUnicodeString operator+(const QARUnicodeString& left, const QARUnicodeString& right) {
    QARUnicodeString result(left);
    return result.Append(right);
  }
  friend bool operator==(const QARUnicodeString& left, const QARUnicodeString& right) {
    return left._Text == right._Text;
  }
  friend bool operator!=(const QARUnicodeString& left, const QARUnicodeString& right) {
    return left._Text != right._Text;
  }
  friend bool operator<(const QARUnicodeString& left, const QARUnicodeString& right) {
    return left._Text < right._Text;
  }

 private:
  std::basic_string<WCHAR> _Text;
};
