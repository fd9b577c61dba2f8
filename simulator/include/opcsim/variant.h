// Values of the simulator and its tests. A VARIANT is owned by
// comown::com_variant, which opcsim::Variant names; the factories below build
// the values address spaces and tests need. Text converts with comown's
// to_wide / to_utf8.
#pragma once

#include <string>

#include <comown.h>

namespace opcsim {

using Variant = comown::com_variant;

namespace variant {

Variant I1(signed char v);
Variant UI1(unsigned char v);
Variant I2(short v);
Variant UI2(unsigned short v);
Variant I4(LONG v);
Variant UI4(ULONG v);
Variant I8(LONGLONG v);
Variant R4(float v);
Variant R8(double v);
Variant Bool(bool v);
Variant Str(const std::string& utf8);  // VT_BSTR; VT_EMPTY when out of memory
Variant Date(DATE v);
Variant Cy(LONGLONG scaledBy10000);
// A one-dimensional array of doubles or longs, lower bound 0.
Variant R8Array(const double* values, ULONG count);
Variant I4Array(const LONG* values, ULONG count);

// The value as text (VariantChangeType to VT_BSTR); empty for arrays.
std::string Text(const VARIANT& value);

}  // namespace variant
}  // namespace opcsim
