// VariantChangeType: converts a VARIANT among the empty, integer, floating,
// currency, date, boolean, text and decimal types as OLE Automation does:
// floats round half to even into integers, out-of-range values give
// DISP_E_OVERFLOW, impossible conversions DISP_E_TYPEMISMATCH, and the
// destination is only touched on success.
#include <cfloat>
#include <cstring>
#include <cmath>

#include "comown.h"
#include "variant_basic.h"
#include "variant_change_type.h"

namespace {

using namespace oleaut;

// 1 January 100 and 31 December 9999; a DATE may reach a fraction past either.
constexpr double kFirstDate = -657434.0;
constexpr double kLastDate = 2958465.0;
constexpr int64_t kCurrencyScale = 10000;
// The largest whole number of currency units; Windows refuses it and its negative too.
constexpr uint64_t kCurrencyUnitsLimit = 922337203685477;
constexpr double kTwoTo63 = 9223372036854775808.0;
constexpr double kTwoTo64 = 18446744073709551616.0;

// A whole number of any integer type, kept exactly.
struct ExactInteger {
  bool negative = false;
  uint64_t magnitude = 0;
};

ExactInteger FromSigned(int64_t value) {
  return {value < 0, value < 0 ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value)};
}

ExactInteger FromUnsigned(uint64_t value) { return {false, value}; }

uint64_t TwosComplement(const ExactInteger& value) { return value.negative ? 0 - value.magnitude : value.magnitude; }

struct IntegerType {
  unsigned bits;
  bool isSigned;
};

bool IntegerTypeOf(VARTYPE vt, IntegerType* type) {
  switch (vt) {
    case VT_I1:
      *type = {8, true};
      return true;
    case VT_UI1:
      *type = {8, false};
      return true;
    case VT_I2:
      *type = {16, true};
      return true;
    case VT_UI2:
      *type = {16, false};
      return true;
    case VT_I4:
    case VT_INT:
      *type = {32, true};
      return true;
    case VT_UI4:
    case VT_UINT:
      *type = {32, false};
      return true;
    case VT_I8:
      *type = {64, true};
      return true;
    case VT_UI8:
      *type = {64, false};
      return true;
    default:
      return false;
  }
}

ExactInteger ReadIntegerMember(const VARIANT& v) {
  switch (v.vt) {
    case VT_I1:
      return FromSigned(static_cast<signed char>(v.cVal));
    case VT_I2:
      return FromSigned(v.iVal);
    case VT_I4:
      return FromSigned(v.lVal);
    case VT_INT:
      return FromSigned(v.intVal);
    case VT_I8:
      return FromSigned(v.llVal);
    case VT_UI1:
      return FromUnsigned(v.bVal);
    case VT_UI2:
      return FromUnsigned(v.uiVal);
    case VT_UI4:
      return FromUnsigned(v.ulVal);
    case VT_UINT:
      return FromUnsigned(v.uintVal);
    default:
      return FromUnsigned(v.ullVal);
  }
}

bool Fits(const ExactInteger& value, const IntegerType& type) {
  if (value.magnitude == 0) return true;
  const unsigned valueBits = type.isSigned ? type.bits - 1 : type.bits;
  const uint64_t limit = valueBits == 64 ? UINT64_MAX : (uint64_t{1} << valueBits) - 1;
  if (value.negative) return type.isSigned && value.magnitude <= limit + 1;
  return value.magnitude <= limit;
}

void StoreInteger(VARIANT* out, VARTYPE vt, uint64_t bits) {
  switch (vt) {
    case VT_I1:
    case VT_UI1:
      out->bVal = static_cast<BYTE>(bits);
      break;
    case VT_I2:
    case VT_UI2:
      out->uiVal = static_cast<USHORT>(bits);
      break;
    case VT_I4:
    case VT_UI4:
    case VT_INT:
    case VT_UINT:
      out->ulVal = static_cast<ULONG>(bits);
      break;
    default:
      out->ullVal = bits;
      break;
  }
}

HRESULT ExactFromDecimal(const DecimalNumber& number, ExactInteger* out) {
  if (!RoundToInteger(number, &out->negative, &out->magnitude)) return DISP_E_OVERFLOW;
  return S_OK;
}

HRESULT ExactFromDouble(double value, ExactInteger* out) {
  if (std::isnan(value)) return DISP_E_OVERFLOW;
  const double rounded = RoundHalfEven(value);
  if (std::fabs(rounded) >= kTwoTo64) return DISP_E_OVERFLOW;
  *out = {rounded < 0, static_cast<uint64_t>(std::fabs(rounded))};
  return S_OK;
}

HRESULT ReadDecimalStruct(const VARIANT& v, DecimalNumber* out) {
  return DecimalFromStruct(v.decVal, out) ? S_OK : E_INVALIDARG;
}

HRESULT ReadText(const VARIANT& v, DecimalNumber* out) { return ParseNumber(NarrowText(v.bstrVal), out); }

// Decimals and text convert through the exact decimal number; no other type
// left after the direct cases converts.
HRESULT ReadDecimalOrText(const VARIANT& v, DecimalNumber* out) {
  if (v.vt == VT_DECIMAL) return ReadDecimalStruct(v, out);
  if (v.vt == VT_BSTR) return ReadText(v, out);
  return DISP_E_TYPEMISMATCH;
}

DecimalNumber CurrencyAsDecimal(const CY& cy) {
  const ExactInteger units = FromSigned(cy.int64);
  return DecimalFromInteger(units.negative, units.magnitude, -4);
}

// The value of src as a whole number, rounded half to even.
HRESULT ReadExactInteger(const VARIANT& src, ExactInteger* out) {
  IntegerType type{};
  if (IntegerTypeOf(src.vt, &type)) {
    *out = ReadIntegerMember(src);
    return S_OK;
  }
  switch (src.vt) {
    case VT_EMPTY:
      *out = {};
      return S_OK;
    case VT_BOOL:
      *out = FromSigned(src.boolVal);
      return S_OK;
    case VT_R4:
      return ExactFromDouble(src.fltVal, out);
    case VT_R8:
    case VT_DATE:
      return ExactFromDouble(src.dblVal, out);
    case VT_CY:
      return ExactFromDecimal(CurrencyAsDecimal(src.cyVal), out);
    default:
      break;
  }
  DecimalNumber number;
  const HRESULT hr = ReadDecimalOrText(src, &number);
  return FAILED(hr) ? hr : ExactFromDecimal(number, out);
}

HRESULT ToInteger(const VARIANT& src, VARTYPE vt, VARIANT* out) {
  IntegerType target{};
  IntegerTypeOf(vt, &target);
  IntegerType source{};
  // Booleans, and integers of the same width but the other signedness, are
  // taken bit for bit (VARIANT_TRUE becomes 255 as VT_UI1, -1 as VT_I4
  // becomes 4294967295 as VT_UI4) rather than range-checked.
  const bool sameWidth = IntegerTypeOf(src.vt, &source) && source.bits == target.bits;
  if (src.vt == VT_BOOL || sameWidth) {
    StoreInteger(out, vt, TwosComplement(src.vt == VT_BOOL ? FromSigned(src.boolVal) : ReadIntegerMember(src)));
    return S_OK;
  }
  ExactInteger value;
  const HRESULT hr = ReadExactInteger(src, &value);
  if (FAILED(hr)) return hr;
  if (!Fits(value, target)) return DISP_E_OVERFLOW;
  StoreInteger(out, vt, TwosComplement(value));
  return S_OK;
}

// The value of src as a double, without range checks of the target.
HRESULT ReadDouble(const VARIANT& src, double* out) {
  IntegerType type{};
  if (IntegerTypeOf(src.vt, &type)) {
    const ExactInteger value = ReadIntegerMember(src);
    const auto magnitude = static_cast<double>(value.magnitude);
    *out = value.negative ? -magnitude : magnitude;
    return S_OK;
  }
  switch (src.vt) {
    case VT_EMPTY:
      *out = 0;
      return S_OK;
    case VT_BOOL:
      *out = src.boolVal;
      return S_OK;
    case VT_R4:
      *out = src.fltVal;
      return S_OK;
    case VT_R8:
    case VT_DATE:
      *out = src.dblVal;
      return S_OK;
    case VT_CY:
      *out = static_cast<double>(src.cyVal.int64) / kCurrencyScale;
      return S_OK;
    default:
      break;
  }
  DecimalNumber number;
  const HRESULT hr = ReadDecimalOrText(src, &number);
  return FAILED(hr) ? hr : DoubleFromDecimal(number, out);
}

HRESULT ToDouble(const VARIANT& src, VARIANT* out) { return ReadDouble(src, &out->dblVal); }

HRESULT ToFloat(const VARIANT& src, VARIANT* out) {
  double value = 0;
  const HRESULT hr = ReadDouble(src, &value);
  if (FAILED(hr)) return hr;
  if (std::fabs(value) > FLT_MAX) return DISP_E_OVERFLOW;
  out->fltVal = static_cast<float>(value);
  return S_OK;
}

HRESULT ToDate(const VARIANT& src, VARIANT* out) {
  if (src.vt == VT_BSTR) return ParseDate(NarrowText(src.bstrVal), &out->date);
  double value = 0;
  const HRESULT hr = ReadDouble(src, &value);
  if (FAILED(hr)) return hr;
  if (!(value > kFirstDate - 1.0 && value < kLastDate + 1.0)) return DISP_E_OVERFLOW;
  out->date = value;
  return S_OK;
}

HRESULT CurrencyFromDecimal(DecimalNumber number, CY* out) {
  if (!IsZero(number)) number.exponent += 4;
  ExactInteger units;
  if (!RoundToInteger(number, &units.negative, &units.magnitude)) return DISP_E_OVERFLOW;
  if (!Fits(units, IntegerType{64, true})) return DISP_E_OVERFLOW;
  out->int64 = static_cast<LONGLONG>(TwosComplement(units));
  return S_OK;
}

HRESULT ToCurrency(const VARIANT& src, VARIANT* out) {
  IntegerType type{};
  if (IntegerTypeOf(src.vt, &type) || src.vt == VT_BOOL || src.vt == VT_EMPTY) {
    ExactInteger value;
    ReadExactInteger(src, &value);
    if (value.magnitude >= kCurrencyUnitsLimit) return DISP_E_OVERFLOW;
    const auto units = static_cast<int64_t>(value.magnitude) * kCurrencyScale;
    out->cyVal.int64 = value.negative ? -units : units;
    return S_OK;
  }
  switch (src.vt) {
    case VT_R4:
    case VT_R8:
    case VT_DATE: {
      const double value = src.vt == VT_R4 ? src.fltVal : src.dblVal;
      const double units = RoundHalfEven(value * kCurrencyScale);
      if (!(units >= -kTwoTo63 && units < kTwoTo63)) return DISP_E_OVERFLOW;
      out->cyVal.int64 = static_cast<LONGLONG>(units);
      return S_OK;
    }
    default:
      break;
  }
  DecimalNumber number;
  const HRESULT hr = ReadDecimalOrText(src, &number);
  return FAILED(hr) ? hr : CurrencyFromDecimal(number, &out->cyVal);
}

HRESULT ToBool(const VARIANT& src, VARIANT* out) {
  bool value = false;
  IntegerType type{};
  if (IntegerTypeOf(src.vt, &type)) {
    value = ReadIntegerMember(src).magnitude != 0;
  } else {
    DecimalNumber number;
    HRESULT hr = S_OK;
    switch (src.vt) {
      case VT_EMPTY:
        break;
      case VT_R4:
        value = src.fltVal != 0;
        break;
      case VT_R8:
      case VT_DATE:
        value = src.dblVal != 0;
        break;
      case VT_CY:
        value = src.cyVal.int64 != 0;
        break;
      case VT_DECIMAL:
        hr = ReadDecimalStruct(src, &number);
        value = !IsZero(number);
        break;
      case VT_BSTR:
        if (!ParseBooleanWord(NarrowText(src.bstrVal), &value)) {
          hr = ReadText(src, &number);
          value = !IsZero(number);
        }
        break;
      default:
        return DISP_E_TYPEMISMATCH;
    }
    if (FAILED(hr)) return hr;
  }
  out->boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
  return S_OK;
}

HRESULT TextOf(const VARIANT& src, USHORT flags, std::string* text) {
  IntegerType type{};
  if (IntegerTypeOf(src.vt, &type)) {
    const ExactInteger value = ReadIntegerMember(src);
    *text = (value.negative ? "-" : "") + std::to_string(value.magnitude);
    return S_OK;
  }
  DecimalNumber number;
  switch (src.vt) {
    case VT_EMPTY:
      text->clear();
      return S_OK;
    case VT_BOOL:
      // Words only on request; plain conversion writes the numeric value.
      if (flags & (VARIANT_ALPHABOOL | VARIANT_LOCALBOOL))
        *text = src.boolVal ? "True" : "False";
      else
        *text = std::to_string(src.boolVal);
      return S_OK;
    case VT_R4:
      *text = FormatDouble(src.fltVal, 7);
      return S_OK;
    case VT_R8:
      *text = FormatDouble(src.dblVal, 15);
      return S_OK;
    case VT_DATE:
      return FormatDate(src.date, text);
    case VT_CY:
      *text = FormatDecimal(CurrencyAsDecimal(src.cyVal));
      return S_OK;
    case VT_DECIMAL: {
      const HRESULT hr = ReadDecimalStruct(src, &number);
      if (SUCCEEDED(hr)) *text = FormatDecimal(number);
      return hr;
    }
    default:
      return DISP_E_TYPEMISMATCH;
  }
}

HRESULT ToText(const VARIANT& src, USHORT flags, VARIANT* out) {
  if (src.vt == VT_BSTR) {
    // A null BSTR reads as empty text; the copy is never null.
    out->bstrVal = SysAllocStringLen(src.bstrVal, SysStringLen(src.bstrVal));
    return out->bstrVal ? S_OK : E_OUTOFMEMORY;
  }
  std::string text;
  const HRESULT hr = TextOf(src, flags, &text);
  if (FAILED(hr)) return hr;
  out->bstrVal = BstrFromAscii(text);
  return out->bstrVal ? S_OK : E_OUTOFMEMORY;
}

HRESULT ToDecimal(const VARIANT& src, VARIANT* out) {
  DecimalNumber number;
  IntegerType type{};
  HRESULT hr = S_OK;
  if (IntegerTypeOf(src.vt, &type) || src.vt == VT_BOOL || src.vt == VT_EMPTY) {
    ExactInteger value;
    ReadExactInteger(src, &value);
    number = DecimalFromInteger(value.negative, value.magnitude);
  } else {
    switch (src.vt) {
      case VT_R4:
        number = DecimalFromDouble(src.fltVal, 7);
        break;
      case VT_R8:
      case VT_DATE:
        number = DecimalFromDouble(src.dblVal, 15);
        break;
      case VT_CY:
        number = CurrencyAsDecimal(src.cyVal);
        break;
      case VT_BSTR:
        hr = ReadText(src, &number);
        break;
      default:
        return DISP_E_TYPEMISMATCH;
    }
  }
  if (FAILED(hr)) return hr;
  DECIMAL value{};
  hr = StructFromDecimal(number, &value);
  if (FAILED(hr)) return hr;
  // The DECIMAL overlays the type field, which the caller sets afterwards.
  out->decVal = value;
  return S_OK;
}

HRESULT ToUnknown(const VARIANT& src, VARIANT* out) {
  if (src.vt != VT_DISPATCH) return DISP_E_TYPEMISMATCH;
  out->punkVal = nullptr;
  if (!src.pdispVal) return S_OK;
  return AsUnknown(src.pdispVal)->QueryInterface(kIidUnknown, reinterpret_cast<void**>(&out->punkVal));
}

HRESULT ToDispatch(const VARIANT& src, VARIANT* out) {
  if (src.vt != VT_UNKNOWN) return DISP_E_TYPEMISMATCH;
  out->pdispVal = nullptr;
  if (!src.punkVal) return S_OK;
  return src.punkVal->QueryInterface(kIidDispatch, reinterpret_cast<void**>(&out->pdispVal));
}

// Converts a scalar; out is empty and receives the value, its type set by the caller.
HRESULT CoerceScalar(const VARIANT& src, USHORT flags, VARTYPE vt, VARIANT* out) {
  if (src.vt == vt && vt != VT_BSTR) return VariantCopy(out, &src);
  IntegerType type{};
  if (IntegerTypeOf(vt, &type)) return ToInteger(src, vt, out);
  switch (vt) {
    case VT_EMPTY:
      return src.vt == VT_NULL || src.vt == VT_ERROR ? DISP_E_TYPEMISMATCH : S_OK;
    case VT_NULL:
      return src.vt == VT_ERROR ? DISP_E_TYPEMISMATCH : S_OK;
    case VT_R4:
      return ToFloat(src, out);
    case VT_R8:
      return ToDouble(src, out);
    case VT_DATE:
      return ToDate(src, out);
    case VT_CY:
      return ToCurrency(src, out);
    case VT_BOOL:
      return ToBool(src, out);
    case VT_BSTR:
      return ToText(src, flags, out);
    case VT_DECIMAL:
      return ToDecimal(src, out);
    case VT_UNKNOWN:
      return ToUnknown(src, out);
    case VT_DISPATCH:
      return ToDispatch(src, out);
    default:
      return DISP_E_TYPEMISMATCH;
  }
}

// Arrays convert only to the same array type, and between text and its bytes.
HRESULT CoerceArray(const VARIANT& src, VARTYPE vt, VARIANT* out) {
  if (src.vt == vt) return VariantCopy(out, &src);
  if (src.vt == (VT_ARRAY | VT_UI1) && vt == VT_BSTR) {
    SAFEARRAY* bytes = src.parray;
    ULONG count = bytes ? 1 : 0;
    for (USHORT i = 0; bytes && i < bytes->cDims; ++i) count *= bytes->rgsabound[i].cElements;
    out->bstrVal = SysAllocStringByteLen(bytes ? static_cast<LPCSTR>(bytes->pvData) : nullptr, count);
    return out->bstrVal ? S_OK : E_OUTOFMEMORY;
  }
  if (src.vt == VT_BSTR && vt == (VT_ARRAY | VT_UI1)) {
    const UINT count = SysStringByteLen(src.bstrVal);
    comown::com_safearray bytes(SafeArrayCreateVector(VT_UI1, 0, count));
    if (!bytes.get()) return E_OUTOFMEMORY;
    if (count) std::memcpy(bytes.get()->pvData, src.bstrVal, count);
    out->parray = bytes.release();
    return S_OK;
  }
  return DISP_E_TYPEMISMATCH;
}

}  // namespace

HRESULT VariantChangeType(VARIANTARG* pvargDest, const VARIANTARG* pvarSrc, USHORT wFlags, VARTYPE vt) {
  return VariantChangeTypeEx(pvargDest, pvarSrc, LOCALE_USER_DEFAULT, wFlags, vt);
}

// The locale is not consulted: text is always written and read the English way.
HRESULT VariantChangeTypeEx(VARIANTARG* pvargDest, const VARIANTARG* pvarSrc, LCID /*lcid*/, USHORT wFlags,
                            VARTYPE vt) {
  if (!pvargDest || !pvarSrc) return E_INVALIDARG;
  HRESULT hr = ValidateCopyableType(pvarSrc->vt);
  if (SUCCEEDED(hr)) hr = ValidateCopyableType(vt);
  if (FAILED(hr)) return hr;
  if ((pvarSrc->vt & VT_BYREF) && !pvarSrc->byref) return DISP_E_TYPEMISMATCH;
  // Working on a dereferenced copy lets the destination be the source itself.
  comown::com_variant value;
  hr = VariantCopyInd(value.get(), pvarSrc);
  if (FAILED(hr)) return hr;
  comown::com_variant result;
  if ((value.vt() & VT_ARRAY) || (vt & VT_ARRAY))
    hr = CoerceArray(*value.get(), vt, result.get());
  else if (vt & VT_BYREF)
    hr = DISP_E_TYPEMISMATCH;
  else
    hr = CoerceScalar(*value.get(), wFlags, vt, result.get());
  if (FAILED(hr)) {
    // The converters may have written into the union; nothing there is owned.
    result.get()->vt = VT_EMPTY;
    return hr;
  }
  result.get()->vt = vt;
  hr = VariantClear(pvargDest);
  if (FAILED(hr)) return hr;
  *pvargDest = result.release();
  return S_OK;
}
