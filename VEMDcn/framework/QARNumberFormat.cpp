// The caller's format is parsed into its single conversion, the value is
// converted to the type that conversion expects on this platform (so the
// result is what sprintf gives when handed that type), and the conversion is
// re-issued with a length modifier that matches the converted value.
// Length modifiers have their Windows sizes on every target: "l" is 32 bits,
// so "%lX" of a negative HRESULT prints eight digits natively too.
#include "QARNumberFormat.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <vector>

namespace qar_detail {
namespace {

enum class Length { None, Char, Short, Long, LongLong, Max, Size, PtrDiff, LongDouble };

struct Conversion {
  std::string prefix;       // text before the '%'
  std::string flagsWidth;   // flags, width and precision
  Length length = Length::None;
  char specifier = 0;       // 0 when the format holds no conversion
  std::string suffix;       // text after the conversion
};

bool IsFlag(char c) { return c == '-' || c == '+' || c == ' ' || c == '#' || c == '0'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Copies literal text up to the next conversion, turning "%%" into "%%" kept
// verbatim (snprintf will print one '%'). Returns the position of the
// conversion's '%' or npos.
size_t ScanLiteral(const std::string& format, size_t from, std::string& literal) {
  size_t i = from;
  while (i < format.size()) {
    if (format[i] == '%') {
      if (i + 1 < format.size() && format[i + 1] == '%') {
        literal += "%%";
        i += 2;
        continue;
      }
      return i;
    }
    literal += format[i++];
  }
  return std::string::npos;
}

Length ParseLength(const std::string& format, size_t& i) {
  auto next = [&](char c) { return i < format.size() && format[i] == c; };
  if (next('h')) {
    ++i;
    if (next('h')) { ++i; return Length::Char; }
    return Length::Short;
  }
  if (next('l')) {
    ++i;
    if (next('l')) { ++i; return Length::LongLong; }
    return Length::Long;
  }
  if (next('j')) { ++i; return Length::Max; }
  if (next('z')) { ++i; return Length::Size; }
  if (next('t')) { ++i; return Length::PtrDiff; }
  if (next('L')) { ++i; return Length::LongDouble; }
  return Length::None;
}

bool ParseConversion(const char* text, Conversion& conversion) {
  const std::string format(text);
  size_t percent = ScanLiteral(format, 0, conversion.prefix);
  if (percent == std::string::npos) return true;  // plain text, no conversion
  size_t i = percent + 1;
  while (i < format.size() && IsFlag(format[i])) conversion.flagsWidth += format[i++];
  while (i < format.size() && IsDigit(format[i])) conversion.flagsWidth += format[i++];
  if (i < format.size() && format[i] == '.') {
    conversion.flagsWidth += format[i++];
    while (i < format.size() && IsDigit(format[i])) conversion.flagsWidth += format[i++];
  }
  conversion.length = ParseLength(format, i);
  if (i >= format.size()) return false;
  conversion.specifier = format[i++];
  if (std::strchr("diouxXcfFeEgGaA", conversion.specifier) == nullptr) return false;
  return ScanLiteral(format, i, conversion.suffix) == std::string::npos;  // a second conversion is refused
}

long long ClampToLongLong(double value) {
  if (std::isnan(value)) return 0;
  if (value >= 9223372036854775807.0) return std::numeric_limits<long long>::max();
  if (value <= -9223372036854775808.0) return std::numeric_limits<long long>::min();
  return static_cast<long long>(value);
}

unsigned long long AsUnsigned(const NumberArgument& value) {
  switch (value.kind) {
    case NumberArgument::Signed: return static_cast<unsigned long long>(value.signedValue);
    case NumberArgument::Unsigned: return value.unsignedValue;
    case NumberArgument::Floating:
      if (value.floatingValue >= 18446744073709551615.0) return std::numeric_limits<unsigned long long>::max();
      if (value.floatingValue >= 0) return static_cast<unsigned long long>(value.floatingValue);
      return static_cast<unsigned long long>(ClampToLongLong(value.floatingValue));
  }
  return 0;
}

long long AsSigned(const NumberArgument& value) {
  if (value.kind == NumberArgument::Floating) return ClampToLongLong(value.floatingValue);
  if (value.kind == NumberArgument::Signed) return value.signedValue;
  return static_cast<long long>(value.unsignedValue);
}

double AsDouble(const NumberArgument& value) {
  switch (value.kind) {
    case NumberArgument::Signed: return static_cast<double>(value.signedValue);
    case NumberArgument::Unsigned: return static_cast<double>(value.unsignedValue);
    case NumberArgument::Floating: return value.floatingValue;
  }
  return 0.0;
}

// Truncates to the signed type that a conversion with this length expects.
long long NarrowSigned(long long value, Length length) {
  switch (length) {
    case Length::Char: return static_cast<signed char>(value);
    case Length::Short: return static_cast<short>(value);
    case Length::None: return static_cast<int>(value);
    case Length::Long: return static_cast<int32_t>(value);  // long has its Windows size
    case Length::Size:
    case Length::PtrDiff: return static_cast<std::ptrdiff_t>(value);
    default: return value;
  }
}

unsigned long long NarrowUnsigned(unsigned long long value, Length length) {
  switch (length) {
    case Length::Char: return static_cast<unsigned char>(value);
    case Length::Short: return static_cast<unsigned short>(value);
    case Length::None: return static_cast<unsigned int>(value);
    case Length::Long: return static_cast<uint32_t>(value);
    case Length::Size:
    case Length::PtrDiff: return static_cast<std::size_t>(value);
    default: return value;
  }
}

template <typename T>
std::string Print(const std::string& format, T value) {
  int size = std::snprintf(nullptr, 0, format.c_str(), value);
  if (size < 0) return std::string();
  std::vector<char> buffer(static_cast<size_t>(size) + 1);
  std::snprintf(buffer.data(), buffer.size(), format.c_str(), value);
  return std::string(buffer.data(), static_cast<size_t>(size));
}

// The literal holds "%%" pairs, which stand for one '%'.
std::string PrintLiteral(const std::string& literal) {
  std::string text;
  for (size_t i = 0; i < literal.size(); ++i) {
    text += literal[i];
    if (literal[i] == '%') ++i;
  }
  return text;
}

}  // namespace

bool FormatNumber(const char* format, const NumberArgument& value, std::string& out) {
  Conversion conversion;
  if (format == nullptr || !ParseConversion(format, conversion)) return false;
  if (conversion.specifier == 0) {
    out = PrintLiteral(conversion.prefix);
    return true;
  }
  const std::string head = conversion.prefix + "%" + conversion.flagsWidth;
  const std::string tail = conversion.suffix;
  const char specifier = conversion.specifier;
  if (specifier == 'd' || specifier == 'i') {
    out = Print(head + "ll" + specifier + tail, NarrowSigned(AsSigned(value), conversion.length));
  } else if (std::strchr("ouxX", specifier) != nullptr) {
    out = Print(head + "ll" + specifier + tail, NarrowUnsigned(AsUnsigned(value), conversion.length));
  } else if (specifier == 'c') {
    out = Print(head + "c" + tail, static_cast<int>(static_cast<unsigned char>(AsUnsigned(value))));
  } else {
    out = Print(head + specifier + tail, AsDouble(value));
  }
  return true;
}

}  // namespace qar_detail
