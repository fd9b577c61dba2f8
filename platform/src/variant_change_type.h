// Internals of VariantChangeType: exact decimal numbers and the text forms of
// numbers, dates and booleans (English, as the invariant locale writes them).
#pragma once

#include <oleauto.h>

#include <cstdint>
#include <string>

namespace oleaut {

// An exact decimal number: (negative ? -1 : 1) * digits * 10^exponent. The
// digits carry no leading or trailing zeros; zero has no digits at all.
struct DecimalNumber {
  bool negative = false;
  std::string digits;
  int exponent = 0;
};

// Strips leading and trailing zeros; zero loses its sign.
void Normalise(DecimalNumber* number);
DecimalNumber DecimalFromInteger(bool negative, uint64_t magnitude, int exponent = 0);
// The double written with the given number of significant digits, as its text form shows it.
DecimalNumber DecimalFromDouble(double value, int significantDigits);
// False for a DECIMAL with a scale above 28.
bool DecimalFromStruct(const DECIMAL& value, DecimalNumber* out);
// DISP_E_OVERFLOW when the number needs more than 96 bits at scale 0.
HRESULT StructFromDecimal(const DecimalNumber& number, DECIMAL* out);

// Rounds half to even; false when the magnitude exceeds 64 bits.
bool RoundToInteger(const DecimalNumber& number, bool* negative, uint64_t* magnitude);
// Nearest double; DISP_E_OVERFLOW beyond its range (tiny values become 0).
HRESULT DoubleFromDecimal(const DecimalNumber& number, double* out);
bool IsZero(const DecimalNumber& number);

// Rounds half to even, whatever the floating-point rounding mode is.
double RoundHalfEven(double value);

// Text in, one code unit per char; anything outside ASCII becomes an invalid character.
std::string NarrowText(BSTR text);
BSTR BstrFromAscii(const std::string& text);

// Numbers as OLE Automation reads them: blanks around, a sign in front or
// behind or parentheses, a currency sign, thousands separators, a fraction,
// an exponent, or &H / &O for hexadecimal and octal. DISP_E_TYPEMISMATCH
// for anything else.
HRESULT ParseNumber(const std::string& text, DecimalNumber* out);
// "True"/"False" in any case, bare or between '#'.
bool ParseBooleanWord(const std::string& text, bool* out);
// Dates and times in English forms: 1/2/2000, 2000-01-02, Jan 2 2000,
// 18:00, 6:00:00 PM, or a date followed by a time.
HRESULT ParseDate(const std::string& text, DATE* out);

// %G with the given precision: "3.5", "1E+20", "0.333333333333333".
std::string FormatDouble(double value, int precision);
// Plain decimal text without exponent: "12.34", "-0.0001".
std::string FormatDecimal(const DecimalNumber& number);
// "M/D/YYYY h:mm:ss AM" with the date left out when the day is 30 Dec 1899
// and the time left out at midnight; E_INVALIDARG outside the date range.
HRESULT FormatDate(DATE date, std::string* out);

}  // namespace oleaut
