#include "value_text.h"

#include <cctype>
#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

#include "VEMDcnOpcItem.h"
#include "text.h"

namespace opcclient {

namespace {

const char kArrayPrefix[] = "ARRAY OF ";

// from_chars takes no plus sign: one is skipped, when a number follows it.
bool SkipPlus(const char*& first, const char* last) {
  if (first == last || *first != '+') return first != last;
  ++first;
  return first != last && *first != '+' && *first != '-';
}

// The whole text as an integer: an optional sign, decimal digits, nothing else.
template <class Integer>
bool ParseInteger(const std::string& text, Integer& out) {
  const char* first = text.data();
  const char* last = first + text.size();
  if (!SkipPlus(first, last)) return false;
  const auto [end, error] = std::from_chars(first, last, out);
  return error == std::errc() && end == last;
}

template <class Integer>
bool ParseIntegerIn(const std::string& text, long long low, unsigned long long high, Integer& out) {
  if (low < 0) {
    long long value = 0;
    if (!ParseInteger(text, value) || value < low || value > static_cast<long long>(high)) return false;
    out = static_cast<Integer>(value);
  } else {
    unsigned long long value = 0;
    if (!ParseInteger(text, value) || value > high) return false;
    out = static_cast<Integer>(value);
  }
  return true;
}

bool ParseReal(const std::string& text, double& out) {
  const char* first = text.data();
  const char* last = first + text.size();
  if (!SkipPlus(first, last)) return false;
  const auto [end, error] = std::from_chars(first, last, out);
  return error == std::errc() && end == last;
}

bool ParseBool(const std::string& text, VARIANT_BOOL& out) {
  std::string word;
  for (char c : text) word += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (word == "true" || word == "1") {
    out = VARIANT_TRUE;
  } else if (word == "false" || word == "0") {
    out = VARIANT_FALSE;
  } else {
    return false;
  }
  return true;
}

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(int year, int month) {
  static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

// Digits at [at, at + count) of the text as a number; -1 when not all digits.
int Digits(const std::string& text, size_t at, size_t count) {
  if (at + count > text.size()) return -1;
  int number = 0;
  for (size_t i = at; i < at + count; ++i) {
    if (!std::isdigit(static_cast<unsigned char>(text[i]))) return -1;
    number = number * 10 + (text[i] - '0');
  }
  return number;
}

// YYYY-MM-DD, then optionally a blank or T and hh:mm[:ss], then optionally Z.
bool ParseDate(std::string text, DATE& out) {
  if (!text.empty() && (text.back() == 'Z' || text.back() == 'z')) text.pop_back();
  const bool hasTime = text.size() == 16 || text.size() == 19;
  if (!(text.size() == 10 || hasTime) || text[4] != '-' || text[7] != '-') return false;
  const int year = Digits(text, 0, 4), month = Digits(text, 5, 2), day = Digits(text, 8, 2);
  int hour = 0, minute = 0, second = 0;
  if (hasTime) {
    if ((text[10] != ' ' && text[10] != 'T' && text[10] != 't') || text[13] != ':') return false;
    hour = Digits(text, 11, 2);
    minute = Digits(text, 14, 2);
    if (text.size() == 19 && text[16] != ':') return false;
    if (text.size() == 19) second = Digits(text, 17, 2);
  }
  if (year < 100 || month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month) || hour < 0 ||
      hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59)
    return false;
  SYSTEMTIME time = {};
  time.wYear = static_cast<WORD>(year);
  time.wMonth = static_cast<WORD>(month);
  time.wDay = static_cast<WORD>(day);
  time.wHour = static_cast<WORD>(hour);
  time.wMinute = static_cast<WORD>(minute);
  time.wSecond = static_cast<WORD>(second);
  return SystemTimeToVariantTime(&time, &out) != FALSE;
}

// Currency: a decimal number with up to four decimals, kept as ten-thousandths.
bool ParseCurrency(const std::string& text, LONGLONG& out) {
  const size_t point = text.find('.');
  const std::string whole = text.substr(0, point);
  std::string fraction = point == std::string::npos ? std::string() : text.substr(point + 1);
  if (fraction.size() > 4 || fraction.find_first_not_of("0123456789") != std::string::npos) return false;
  if (point != std::string::npos && fraction.empty()) return false;
  fraction.resize(4, '0');
  long long units = 0;
  long long tenThousandths = 0;
  if (!ParseInteger(whole, units) || !ParseInteger(fraction, tenThousandths)) return false;
  const long long limit = std::numeric_limits<long long>::max() / 10000 - 1;
  if (units > limit || units < -limit) return false;
  const bool negative = !whole.empty() && whole[0] == '-';
  out = units * 10000 + (negative ? -tenThousandths : tenThousandths);
  return true;
}

bool ParseScalar(const std::string& text, VARTYPE type, VARIANT& v) {
  switch (type) {
    case VT_I1:
      return ParseIntegerIn(text, INT8_MIN, INT8_MAX, V_I1(&v));
    case VT_UI1:
      return ParseIntegerIn(text, 0, UINT8_MAX, V_UI1(&v));
    case VT_I2:
      return ParseIntegerIn(text, INT16_MIN, INT16_MAX, V_I2(&v));
    case VT_UI2:
      return ParseIntegerIn(text, 0, UINT16_MAX, V_UI2(&v));
    case VT_I4:
      return ParseIntegerIn(text, INT32_MIN, INT32_MAX, V_I4(&v));
    case VT_UI4:
      return ParseIntegerIn(text, 0, UINT32_MAX, V_UI4(&v));
    case VT_I8:
      return ParseIntegerIn(text, INT64_MIN, INT64_MAX, V_I8(&v));
    case VT_UI8:
      return ParseIntegerIn(text, 0, UINT64_MAX, V_UI8(&v));
    case VT_R4: {
      double real = 0;
      // Out of a float's range is refused; infinities and NaN are values.
      if (!ParseReal(text, real) || (std::isfinite(real) && std::fabs(real) > FLT_MAX)) return false;
      V_R4(&v) = static_cast<float>(real);
      return true;
    }
    case VT_R8:
      return ParseReal(text, V_R8(&v));
    case VT_BOOL:
      return ParseBool(text, V_BOOL(&v));
    case VT_DATE:
      return ParseDate(text, V_DATE(&v));
    case VT_CY:
      return ParseCurrency(text, V_CY(&v).int64);
    default:
      return false;
  }
}

std::vector<std::string> ArrayElements(const std::string& text) {
  std::vector<std::string> elements;
  std::string element;
  for (char c : text + " ") {
    if (c == ' ' || c == ',' || c == ';' || c == '\t') {
      if (!element.empty()) elements.push_back(element);
      element.clear();
    } else {
      element += c;
    }
  }
  return elements;
}

bool ParseArray(const std::string& text, VARTYPE element, comown::com_variant& value) {
  if (element == VT_BSTR) return false;  // blanks and commas could not be told from separators
  const std::vector<std::string> elements = ArrayElements(text);
  comown::com_safearray array(SafeArrayCreateVector(element, 0, static_cast<ULONG>(elements.size())));
  if (!array) return false;
  for (size_t i = 0; i < elements.size(); ++i) {
    VARIANT scalar;
    VariantInit(&scalar);
    if (!ParseScalar(elements[i], element, scalar)) return false;
    LONG index = static_cast<LONG>(i);
    // Every scalar of the union starts at its first byte.
    if (FAILED(SafeArrayPutElement(array.get(), &index, &V_UI1(&scalar)))) return false;
  }
  VARIANT* out = value.put();
  V_VT(out) = static_cast<VARTYPE>(VT_ARRAY | element);
  V_ARRAY(out) = array.release();
  return true;
}

}  // namespace

VARTYPE TypeOfOpcName(const std::string& name) {
  const size_t prefix = sizeof kArrayPrefix - 1;
  const bool array = name.compare(0, prefix, kArrayPrefix) == 0;
  const std::string scalar = array ? name.substr(prefix) : name;
  if (scalar == "*") return VT_EMPTY;
  const VARTYPE type = VEMDcnOpcItem::GetOpcType(Text(scalar));
  if (type == VT_EMPTY) return VT_EMPTY;
  return array ? static_cast<VARTYPE>(VT_ARRAY | type) : type;
}

bool ParseValue(const std::string& text, VARTYPE type, comown::com_variant& value) {
  if (type & VT_ARRAY) return ParseArray(text, static_cast<VARTYPE>(type & ~VT_ARRAY), value);
  if (type == VT_BSTR) {
    comown::com_bstr string = comown::bstr_copy(comown::to_wide(text));
    if (!string) return false;
    VARIANT* out = value.put();
    V_VT(out) = VT_BSTR;
    V_BSTR(out) = string.release();
    return true;
  }
  VARIANT scalar;
  VariantInit(&scalar);
  if (!ParseScalar(text, type, scalar)) return false;
  V_VT(&scalar) = type;
  *value.put() = scalar;  // a scalar owns nothing
  return true;
}

}  // namespace opcclient
