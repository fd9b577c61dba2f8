#include "QARUnicodeString.h"

#include <functional>

#include "QARNumberFormat.h"
#include "comown.h"

namespace {

typedef std::basic_string<WCHAR> WideText;

WideText FromLatin1(const char* text, size_t length) {
  WideText wide;
  wide.reserve(length);
  for (size_t i = 0; i < length; ++i) wide += static_cast<WCHAR>(static_cast<unsigned char>(text[i]));
  return wide;
}

HRESULT FormatInto(WideText& text, const char* format, const qar_detail::NumberArgument& value) {
  if (format == nullptr) return E_POINTER;
  std::string formatted;
  if (!qar_detail::FormatNumber(format, value, formatted)) return E_INVALIDARG;
  text = FromLatin1(formatted.data(), formatted.size());
  return S_OK;
}

qar_detail::NumberArgument Signed(long long value) { return qar_detail::NumberArgument::FromSigned(value); }
qar_detail::NumberArgument Unsigned(unsigned long long value) {
  return qar_detail::NumberArgument::FromUnsigned(value);
}
qar_detail::NumberArgument Floating(double value) { return qar_detail::NumberArgument::FromFloating(value); }

}  // namespace

QARUnicodeString::QARUnicodeString(const char* latin1) {
  if (latin1 != nullptr) _Text = FromLatin1(latin1, std::char_traits<char>::length(latin1));
}

QARUnicodeString::QARUnicodeString(const char* latin1, int length) {
  if (latin1 != nullptr && length > 0) _Text = FromLatin1(latin1, static_cast<size_t>(length));
}

QARUnicodeString::QARUnicodeString(const QARString& latin1)
    : QARUnicodeString(latin1.ConvertToChar(), latin1.GetLengthInChar()) {}

// Built in place: listings make texts from every name and ID a server hands out.
QARUnicodeString::QARUnicodeString(const WCHAR* text) : _Text(text == nullptr ? WideText() : WideText(text)) {}

QARUnicodeString::QARUnicodeString(const WCHAR* text, int length) { BuildFromWChar(text, length); }

HRESULT QARUnicodeString::BuildFromWChar(const WCHAR* text) {
  if (text == nullptr) {
    _Text.clear();
  } else {
    WideText(text).swap(_Text);  // a fresh string is made faster than one is replaced
  }
  return S_OK;
}

HRESULT QARUnicodeString::BuildFromWChar(const WCHAR* text, int length) {
  if (text == nullptr || length <= 0) {
    _Text.clear();
  } else {
    _Text.assign(text, static_cast<size_t>(length));
  }
  return S_OK;
}

HRESULT QARUnicodeString::BuildFromUTF8(const char* text) {
  if (text == nullptr) {
    _Text.clear();
  } else {
    _Text = comown::to_wide(text);
  }
  return S_OK;
}

HRESULT QARUnicodeString::BuildFromNum(char value, const char* format) {
  return FormatInto(_Text, format, Signed(value));
}
HRESULT QARUnicodeString::BuildFromNum(signed char value, const char* format) {
  return FormatInto(_Text, format, Signed(value));
}
HRESULT QARUnicodeString::BuildFromNum(unsigned char value, const char* format) {
  return FormatInto(_Text, format, Unsigned(value));
}
HRESULT QARUnicodeString::BuildFromNum(short value, const char* format) {
  return FormatInto(_Text, format, Signed(value));
}
HRESULT QARUnicodeString::BuildFromNum(unsigned short value, const char* format) {
  return FormatInto(_Text, format, Unsigned(value));
}
HRESULT QARUnicodeString::BuildFromNum(int value, const char* format) {
  return FormatInto(_Text, format, Signed(value));
}
HRESULT QARUnicodeString::BuildFromNum(unsigned int value, const char* format) {
  return FormatInto(_Text, format, Unsigned(value));
}
HRESULT QARUnicodeString::BuildFromNum(long value, const char* format) {
  return FormatInto(_Text, format, Signed(value));
}
HRESULT QARUnicodeString::BuildFromNum(unsigned long value, const char* format) {
  return FormatInto(_Text, format, Unsigned(value));
}
HRESULT QARUnicodeString::BuildFromNum(long long value, const char* format) {
  return FormatInto(_Text, format, Signed(value));
}
HRESULT QARUnicodeString::BuildFromNum(unsigned long long value, const char* format) {
  return FormatInto(_Text, format, Unsigned(value));
}
HRESULT QARUnicodeString::BuildFromNum(float value, const char* format) {
  return FormatInto(_Text, format, Floating(value));
}
HRESULT QARUnicodeString::BuildFromNum(double value, const char* format) {
  return FormatInto(_Text, format, Floating(value));
}

HRESULT QARUnicodeString::ConvertToWChar(WCHAR* buffer) const {
  if (buffer == nullptr) return E_POINTER;
  _Text.copy(buffer, _Text.size());
  buffer[_Text.size()] = 0;
  return S_OK;
}

QARString QARUnicodeString::ConvertToChar() const {
  const std::string utf8 = comown::to_utf8(comown::wide_view(_Text));
  return QARString(utf8.data(), static_cast<int>(utf8.size()));
}

QARUnicodeString& QARUnicodeString::Append(const QARUnicodeString& other) {
  _Text += other._Text;
  return *this;
}

QARUnicodeString& QARUnicodeString::Insert(int position, const QARUnicodeString& other) {
  size_t at = position < 0 ? 0 : static_cast<size_t>(position);
  if (at > _Text.size()) at = _Text.size();
  _Text.insert(at, other._Text);
  return *this;
}

QARUnicodeString QARUnicodeString::SubString(int start, int length) const {
  QARUnicodeString part;
  if (length <= 0) return part;
  const long long size = static_cast<long long>(_Text.size());
  long long first = start;
  long long end = first + length;
  if (first < 0) first = 0;
  if (end > size) end = size;
  if (first < end) part._Text = _Text.substr(static_cast<size_t>(first), static_cast<size_t>(end - first));
  return part;
}

int QARUnicodeString::SearchSubString(const QARUnicodeString& what, int start, int mode) const {
  const size_t from = start < 0 ? 0 : static_cast<size_t>(start);
  if (from > _Text.size()) return -1;
  size_t found = WideText::npos;
  if (mode == FirstOccurrence) {
    found = _Text.find(what._Text, from);
  } else if (mode == LastOccurrence) {
    found = _Text.rfind(what._Text);
    if (found != WideText::npos && found < from) found = WideText::npos;
  }
  return found == WideText::npos ? -1 : static_cast<int>(found);
}

QARUnicodeString& QARUnicodeString::Strip(int mode, WCHAR character) {
  if (mode == StripTrailing || mode == StripBoth) {
    const size_t last = _Text.find_last_not_of(character);
    _Text.erase(last == WideText::npos ? 0 : last + 1);
  }
  if (mode == StripLeading || mode == StripBoth) {
    _Text.erase(0, _Text.find_first_not_of(character));
  }
  return *this;
}

size_t QARUnicodeString::HashCode() const { return std::hash<WideText>()(_Text); }
