// Internal: sprintf-style formatting of one number, type-safe whatever the
// caller's value type. Not part of the framework's interface.
#pragma once

#include <string>

namespace qar_detail {

struct NumberArgument {
  enum Kind { Signed, Unsigned, Floating } kind;
  long long signedValue;
  unsigned long long unsignedValue;
  double floatingValue;

  static NumberArgument FromSigned(long long value) { return {Signed, value, 0, 0.0}; }
  static NumberArgument FromUnsigned(unsigned long long value) { return {Unsigned, 0, value, 0.0}; }
  static NumberArgument FromFloating(double value) { return {Floating, 0, 0, value}; }
};

// Formats the number with a format holding at most one numeric conversion.
// Returns false (and leaves out alone) for a format it cannot honour.
bool FormatNumber(const char* format, const NumberArgument& value, std::string& out);

}  // namespace qar_detail
