#include "QARUnicodeString.h"

#include <functional>

#include "QARNumberFormat.h"

namespace {

typedef std::basic_string<WCHAR> WideText;

const WCHAR kReplacementCharacter = static_cast<WCHAR>(0xFFFD);

bool IsHighSurrogate(unsigned unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowSurrogate(unsigned unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

WideText FromLatin1(const char* text, size_t length) {
  WideText wide;
  wide.reserve(length);
  for (size_t i = 0; i < length; ++i) wide += static_cast<WCHAR>(static_cast<unsigned char>(text[i]));
  return wide;
}

void AppendUtf8(std::string& out, unsigned codePoint) {
  if (codePoint < 0x80) {
    out += static_cast<char>(codePoint);
  } else if (codePoint < 0x800) {
    out += static_cast<char>(0xC0 | (codePoint >> 6));
    out += static_cast<char>(0x80 | (codePoint & 0x3F));
  } else if (codePoint < 0x10000) {
    out += static_cast<char>(0xE0 | (codePoint >> 12));
    out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (codePoint & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (codePoint >> 18));
    out += static_cast<char>(0x80 | ((codePoint >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (codePoint & 0x3F));
  }
}

void AppendUtf16(WideText& out, unsigned codePoint) {
  if (codePoint < 0x10000) {
    out += static_cast<WCHAR>(codePoint);
  } else {
    codePoint -= 0x10000;
    out += static_cast<WCHAR>(0xD800 + (codePoint >> 10));
    out += static_cast<WCHAR>(0xDC00 + (codePoint & 0x3FF));
  }
}

// Decodes one UTF-8 sequence at text[i]; returns its length, or 0 when the
// bytes there do not start a valid, shortest-form sequence.
size_t DecodeUtf8(const unsigned char* text, size_t length, size_t i, unsigned& codePoint) {
  const unsigned lead = text[i];
  size_t count;
  unsigned minimum;
  if (lead < 0x80) {
    codePoint = lead;
    return 1;
  } else if (lead >= 0xC2 && lead <= 0xDF) {
    count = 2, minimum = 0x80, codePoint = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    count = 3, minimum = 0x800, codePoint = lead & 0x0F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    count = 4, minimum = 0x10000, codePoint = lead & 0x07;
  } else {
    return 0;
  }
  if (i + count > length) return 0;
  for (size_t k = 1; k < count; ++k) {
    const unsigned next = text[i + k];
    if ((next & 0xC0) != 0x80) return 0;
    codePoint = (codePoint << 6) | (next & 0x3F);
  }
  if (codePoint < minimum || codePoint > 0x10FFFF || (codePoint >= 0xD800 && codePoint <= 0xDFFF)) return 0;
  return count;
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

QARUnicodeString::QARUnicodeString(const WCHAR* text) { BuildFromWChar(text); }

QARUnicodeString::QARUnicodeString(const WCHAR* text, int length) { BuildFromWChar(text, length); }

HRESULT QARUnicodeString::BuildFromWChar(const WCHAR* text) {
  if (text == nullptr) {
    _Text.clear();
  } else {
    _Text = text;
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
  _Text.clear();
  if (text == nullptr) return S_OK;
  const unsigned char* bytes = reinterpret_cast<const unsigned char*>(text);
  const size_t length = std::char_traits<char>::length(text);
  for (size_t i = 0; i < length;) {
    unsigned codePoint = 0;
    const size_t used = DecodeUtf8(bytes, length, i, codePoint);
    if (used == 0) {
      _Text += kReplacementCharacter;
      ++i;
    } else {
      AppendUtf16(_Text, codePoint);
      i += used;
    }
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
  std::string utf8;
  utf8.reserve(_Text.size());
  for (size_t i = 0; i < _Text.size(); ++i) {
    const unsigned unit = static_cast<unsigned>(_Text[i]) & 0xFFFF;
    if (IsHighSurrogate(unit) && i + 1 < _Text.size() && IsLowSurrogate(_Text[i + 1] & 0xFFFF)) {
      const unsigned low = static_cast<unsigned>(_Text[++i]) & 0xFFFF;
      AppendUtf8(utf8, 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00));
    } else if (IsHighSurrogate(unit) || IsLowSurrogate(unit)) {
      AppendUtf8(utf8, 0xFFFD);
    } else {
      AppendUtf8(utf8, unit);
    }
  }
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
