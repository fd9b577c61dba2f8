// Factories of the values the simulator and its tests use.
#include "opcsim/variant.h"

namespace opcsim::variant {

namespace {

Variant Typed(VARTYPE vt) {
  Variant v;
  v.put()->vt = vt;
  return v;
}

template <class T>
Variant Array(VARTYPE vt, const T* values, ULONG count) {
  comown::com_safearray array(SafeArrayCreateVector(vt, 0, count));
  void* data = nullptr;
  if (!array || FAILED(SafeArrayAccessData(array.get(), &data))) return Variant();
  for (ULONG i = 0; i < count; ++i) static_cast<T*>(data)[i] = values[i];
  SafeArrayUnaccessData(array.get());
  Variant v = Typed(static_cast<VARTYPE>(VT_ARRAY | vt));
  v.get()->parray = array.release();
  return v;
}

}  // namespace

#define OPCSIM_SCALAR(Name, Type, VT, Field) \
  Variant Name(Type value) {                 \
    Variant v = Typed(VT);                   \
    v.get()->Field = value;                  \
    return v;                                \
  }
OPCSIM_SCALAR(I1, signed char, VT_I1, cVal)
OPCSIM_SCALAR(UI1, unsigned char, VT_UI1, bVal)
OPCSIM_SCALAR(I2, short, VT_I2, iVal)
OPCSIM_SCALAR(UI2, unsigned short, VT_UI2, uiVal)
OPCSIM_SCALAR(I4, LONG, VT_I4, lVal)
OPCSIM_SCALAR(UI4, ULONG, VT_UI4, ulVal)
OPCSIM_SCALAR(I8, LONGLONG, VT_I8, llVal)
OPCSIM_SCALAR(R4, float, VT_R4, fltVal)
OPCSIM_SCALAR(R8, double, VT_R8, dblVal)
OPCSIM_SCALAR(Date, DATE, VT_DATE, date)
OPCSIM_SCALAR(Cy, LONGLONG, VT_CY, cyVal.int64)
#undef OPCSIM_SCALAR

Variant Bool(bool value) {
  Variant v = Typed(VT_BOOL);
  v.get()->boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
  return v;
}

Variant Str(const std::string& utf8) {
  comown::com_bstr text = comown::bstr_copy(comown::to_wide(utf8));
  if (!text) return Variant();
  Variant v = Typed(VT_BSTR);
  v.get()->bstrVal = text.release();
  return v;
}

Variant R8Array(const double* values, ULONG count) { return Array(VT_R8, values, count); }
Variant I4Array(const LONG* values, ULONG count) { return Array(VT_I4, values, count); }

std::string Text(const VARIANT& value) {
  if (value.vt & VT_ARRAY) return std::string();
  Variant text;
  // Windows declares the source non-const.
  if (FAILED(VariantChangeType(text.put(), const_cast<VARIANT*>(&value), 0, VT_BSTR))) return std::string();
  return comown::to_utf8(text.get()->bstrVal);
}

}  // namespace opcsim::variant
