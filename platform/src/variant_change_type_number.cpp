// Exact decimal numbers: the common ground of text, currency and DECIMAL
// values, so that their conversions round exactly rather than through a double.
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "variant_change_type.h"

namespace oleaut {

namespace {

constexpr int kMaxDecimalScale = 28;

}  // namespace

void Normalise(DecimalNumber* number) {
  size_t first = number->digits.find_first_not_of('0');
  if (first == std::string::npos) {
    *number = DecimalNumber{};
    return;
  }
  number->digits.erase(0, first);
  size_t last = number->digits.find_last_not_of('0');
  number->exponent += static_cast<int>(number->digits.size() - 1 - last);
  number->digits.erase(last + 1);
}

namespace {

// Rounds the digit string to keep only `keep` leading digits, half to even;
// the exponent grows by the number of digits dropped.
DecimalNumber RoundToDigits(const DecimalNumber& number, int keep) {
  const int drop = static_cast<int>(number.digits.size()) - keep;
  if (drop <= 0) return number;
  DecimalNumber out = number;
  out.exponent += drop;
  if (keep < 0) {
    out.digits.clear();
    Normalise(&out);
    return out;
  }
  std::string kept = number.digits.substr(0, static_cast<size_t>(keep));
  const char first = number.digits[static_cast<size_t>(keep)];
  const bool restNonZero = number.digits.find_first_not_of('0', static_cast<size_t>(keep) + 1) != std::string::npos;
  const bool lastOdd = !kept.empty() && ((kept.back() - '0') % 2 == 1);
  const bool up = first > '5' || (first == '5' && (restNonZero || lastOdd));
  if (up) {
    int i = static_cast<int>(kept.size()) - 1;
    for (; i >= 0 && kept[static_cast<size_t>(i)] == '9'; --i) kept[static_cast<size_t>(i)] = '0';
    if (i < 0)
      kept.insert(kept.begin(), '1');
    else
      ++kept[static_cast<size_t>(i)];
  }
  out.digits = kept;
  Normalise(&out);
  return out;
}

// The integer value of digits followed by `zeros` zeros, if it fits 128 bits.
bool ToWide(const std::string& digits, int zeros, unsigned __int128* out) {
  if (digits.size() + static_cast<size_t>(zeros) > 38) return false;
  unsigned __int128 value = 0;
  for (char c : digits) value = value * 10 + static_cast<unsigned>(c - '0');
  for (int i = 0; i < zeros; ++i) value *= 10;
  *out = value;
  return true;
}

}  // namespace

DecimalNumber DecimalFromInteger(bool negative, uint64_t magnitude, int exponent) {
  DecimalNumber number;
  number.negative = negative;
  number.digits = std::to_string(magnitude);
  number.exponent = exponent;
  Normalise(&number);
  return number;
}

DecimalNumber DecimalFromDouble(double value, int significantDigits) {
  DecimalNumber number;
  if (value == 0 || !std::isfinite(value)) return number;
  char text[64];
  std::snprintf(text, sizeof(text), "%.*e", significantDigits - 1, std::fabs(value));
  // text is d.ddddde±x
  number.negative = value < 0;
  const char* p = text;
  for (; *p && *p != 'e'; ++p)
    if (*p >= '0' && *p <= '9') number.digits.push_back(*p);
  number.exponent = std::atoi(p + 1) - (significantDigits - 1);
  Normalise(&number);
  return number;
}

bool DecimalFromStruct(const DECIMAL& value, DecimalNumber* out) {
  if (value.scale > kMaxDecimalScale) return false;
  unsigned __int128 mantissa = (static_cast<unsigned __int128>(value.Hi32) << 64) | value.Lo64;
  std::string reversed;
  while (mantissa != 0) {
    reversed.push_back(static_cast<char>('0' + static_cast<int>(mantissa % 10)));
    mantissa /= 10;
  }
  DecimalNumber number;
  number.negative = (value.sign & 0x80) != 0;
  number.digits.assign(reversed.rbegin(), reversed.rend());
  number.exponent = -static_cast<int>(value.scale);
  Normalise(&number);
  *out = number;
  return true;
}

HRESULT StructFromDecimal(const DecimalNumber& number, DECIMAL* out) {
  constexpr unsigned __int128 kMax96 = (static_cast<unsigned __int128>(1) << 96) - 1;
  DecimalNumber fitted = number;
  // At most 28 places after the point, and no more digits than 96 bits hold.
  if (fitted.exponent < -kMaxDecimalScale)
    fitted = RoundToDigits(fitted, static_cast<int>(fitted.digits.size()) + fitted.exponent + kMaxDecimalScale);
  unsigned __int128 mantissa = 0;
  for (;;) {
    const int zeros = fitted.exponent > 0 ? fitted.exponent : 0;
    if (ToWide(fitted.digits, zeros, &mantissa) && mantissa <= kMax96) break;
    if (fitted.exponent >= 0) return DISP_E_OVERFLOW;
    fitted = RoundToDigits(fitted, static_cast<int>(fitted.digits.size()) - 1);
  }
  DECIMAL result{};
  result.scale = static_cast<BYTE>(fitted.exponent < 0 ? -fitted.exponent : 0);
  result.sign = (fitted.negative && mantissa != 0) ? 0x80 : 0;
  result.Hi32 = static_cast<ULONG>(mantissa >> 64);
  result.Lo64 = static_cast<ULONGLONG>(mantissa);
  *out = result;
  return S_OK;
}

bool RoundToInteger(const DecimalNumber& number, bool* negative, uint64_t* magnitude) {
  DecimalNumber whole = number;
  if (whole.exponent < 0) whole = RoundToDigits(whole, static_cast<int>(whole.digits.size()) + whole.exponent);
  unsigned __int128 value = 0;
  if (!ToWide(whole.digits, whole.exponent, &value) || value > UINT64_MAX) return false;
  *magnitude = static_cast<uint64_t>(value);
  *negative = whole.negative && value != 0;
  return true;
}

HRESULT DoubleFromDecimal(const DecimalNumber& number, double* out) {
  if (number.digits.empty()) {
    *out = 0;
    return S_OK;
  }
  // Far beyond a double's range either way; spares from_chars absurd exponents.
  const long magnitude = static_cast<long>(number.digits.size()) + number.exponent;
  if (magnitude > 400) return DISP_E_OVERFLOW;
  if (magnitude < -400) {
    *out = 0;
    return S_OK;
  }
  const std::string text = number.digits + "e" + std::to_string(number.exponent);
  double value = 0;
  const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
  if (result.ec == std::errc::result_out_of_range) {
    if (magnitude > 0) return DISP_E_OVERFLOW;
    value = 0;
  }
  *out = number.negative ? -value : value;
  return S_OK;
}

bool IsZero(const DecimalNumber& number) { return number.digits.empty(); }

double RoundHalfEven(double value) {
  const double below = std::floor(value);
  const double fraction = value - below;
  if (fraction > 0.5 || (fraction == 0.5 && std::fmod(below, 2.0) != 0)) return below + 1;
  return below;
}

}  // namespace oleaut
