// Type checks and conversions between an item's canonical type and the
// types clients ask for.
#include <cstdio>
#include <cstring>

#include "objects.h"

namespace opcsim {

static bool IsScalarType(VARTYPE vt) {
  switch (vt) {
    case VT_I1: case VT_UI1: case VT_I2: case VT_UI2: case VT_I4: case VT_UI4: case VT_I8: case VT_UI8:
    case VT_R4: case VT_R8: case VT_BOOL: case VT_BSTR: case VT_DATE: case VT_CY: case VT_INT: case VT_UINT:
      return true;
    default:
      return false;
  }
}

bool IsSupportedType(VARTYPE vt) {
  if (vt & VT_ARRAY) return (vt & ~VT_ARRAY & 0xF000) == 0 && IsScalarType(static_cast<VARTYPE>(vt & VT_TYPEMASK));
  return IsScalarType(vt);
}

HRESULT ConvertValue(const VARIANT& in, VARTYPE vt, VARIANT* out) {
  VariantInit(out);
  if (vt == VT_EMPTY || vt == in.vt) return VariantCopy(out, const_cast<VARIANT*>(&in));  // Windows declares the source non-const
  if (!IsSupportedType(vt)) return DISP_E_BADVARTYPE;
  // Arrays travel only in their own type: element-wise conversion is not offered.
  if ((vt & VT_ARRAY) || (in.vt & VT_ARRAY)) return DISP_E_TYPEMISMATCH;
  return VariantChangeType(out, const_cast<VARIANT*>(&in), 0, vt);
}

bool CanConvert(const VARIANT& sample, VARTYPE vt) {
  Variant out;
  return SUCCEEDED(ConvertValue(sample, vt, out.put()));
}

DATE FileTimeToDate(const FILETIME& ft) {
  SYSTEMTIME st;
  DATE d = 0;
  if (FileTimeToSystemTime(&ft, &st)) SystemTimeToVariantTime(&st, &d);
  return d;
}

std::string VarTypeText(VARTYPE vt) { return std::to_string(vt); }

namespace {

// A value of any type with a zero payload; an array type holds two zero elements.
void ForeignValue(VARTYPE vt, Variant* value) {
  value->clear();
  VARIANT* out = value->put();
  std::memset(out, 0, sizeof *out);  // VariantInit leaves the payload as it was
  out->vt = vt;
  if (vt & VT_ARRAY) out->parray = SafeArrayCreateVector(static_cast<VARTYPE>(vt & VT_TYPEMASK), 0, 2);
}

void ShapeText(Options::TextShape shape, Variant* value) {
  if (shape == Options::TextShape::Terminated || value->vt() != VT_BSTR) return;
  const BSTR text = value->get()->bstrVal;
  wide_string units(text, SysStringLen(text));
  if (shape == Options::TextShape::EmbeddedNul) units += wide_string(1, 0) + comown::to_wide("tail");
  BSTR shaped = SysAllocStringLen(units.c_str(), static_cast<UINT>(units.size()));
  if (shaped == nullptr) return;
  if (shape == Options::TextShape::Unterminated) shaped[units.size()] = 'X';
  value->clear();
  value->put()->vt = VT_BSTR;
  value->get()->bstrVal = shaped;
}

}  // namespace

void MakeHostile(const Options& options, Variant* value) {
  if (options.foreignValueType != VT_EMPTY) ForeignValue(options.foreignValueType, value);
  ShapeText(options.textShape, value);
}

}  // namespace opcsim
