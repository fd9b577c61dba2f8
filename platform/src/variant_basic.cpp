// VARIANT life cycle: initialise, clear, copy and copy through a reference.
#include "variant_basic.h"

#include <cstring>

namespace oleaut {

namespace {

constexpr VARTYPE kFlagBits = VT_VECTOR | VT_ARRAY | VT_BYREF | VT_RESERVED;

bool IsKnownBaseType(VARTYPE base) {
  // 15 is a hole in the numbering; VT_VOID and above are type-description
  // codes, except records.
  return (base < VT_VOID && base != 15) || base == VT_RECORD;
}

}  // namespace

HRESULT ValidateClearableType(VARTYPE vt) {
  const VARTYPE flags = vt & kFlagBits;
  const VARTYPE base = vt & VT_TYPEMASK;
  if (flags & (VT_VECTOR | VT_RESERVED)) return DISP_E_BADVARTYPE;
  if (!IsKnownBaseType(base) && base != VT_CLSID) return DISP_E_BADVARTYPE;
  // A reference to nothing, or an array of nothing, has no meaning.
  if ((flags & (VT_BYREF | VT_ARRAY)) && base <= VT_NULL) return DISP_E_BADVARTYPE;
  return S_OK;
}

HRESULT ValidateCopyableType(VARTYPE vt) {
  if ((vt & VT_TYPEMASK) == VT_CLSID) return DISP_E_BADVARTYPE;
  return ValidateClearableType(vt);
}

ULONG ValueSize(VARTYPE vt) {
  switch (vt) {
    case VT_I1:
    case VT_UI1:
      return 1;
    case VT_I2:
    case VT_UI2:
    case VT_BOOL:
      return 2;
    case VT_I4:
    case VT_UI4:
    case VT_R4:
    case VT_ERROR:
    case VT_INT:
    case VT_UINT:
      return 4;
    case VT_R8:
    case VT_I8:
    case VT_UI8:
    case VT_CY:
    case VT_DATE:
      return 8;
    case VT_BSTR:
    case VT_UNKNOWN:
    case VT_DISPATCH:
      return sizeof(void*);
    case VT_DECIMAL:
      return sizeof(DECIMAL);
    case VT_VARIANT:
      return sizeof(VARIANT);
    default:
      return 0;
  }
}

}  // namespace oleaut

namespace {

using namespace oleaut;

// Frees what a VARIANT owns; references own nothing.
HRESULT ReleaseContents(VARIANT* v) {
  if (v->vt & VT_BYREF) return S_OK;
  if (v->vt & VT_ARRAY) return SafeArrayDestroy(v->parray);
  switch (v->vt) {
    case VT_BSTR:
      SysFreeString(v->bstrVal);
      break;
    case VT_UNKNOWN:
      if (v->punkVal) v->punkVal->Release();
      break;
    case VT_DISPATCH:
      if (v->pdispVal) AsUnknown(v->pdispVal)->Release();
      break;
    case VT_RECORD:
      // Without IRecordInfo's methods the record data cannot be cleared;
      // only the reference on its description is given back.
      if (v->pRecInfo) reinterpret_cast<IUnknown*>(v->pRecInfo)->Release();
      break;
    default:
      break;
  }
  return S_OK;
}

// Turns a shallow copy of src (already in out) into one that owns its contents.
HRESULT DeepenCopy(VARIANT* out, const VARIANT* src) {
  if (src->vt & VT_BYREF) return S_OK;
  if (src->vt & VT_ARRAY) return SafeArrayCopy(src->parray, &out->parray);
  switch (src->vt) {
    case VT_BSTR:
      if (src->bstrVal) {
        // Byte length, not text length: embedded NULs and odd sizes survive.
        out->bstrVal = SysAllocStringByteLen(reinterpret_cast<LPCSTR>(src->bstrVal), SysStringByteLen(src->bstrVal));
        if (!out->bstrVal) return E_OUTOFMEMORY;
      }
      return S_OK;
    case VT_UNKNOWN:
      if (src->punkVal) src->punkVal->AddRef();
      return S_OK;
    case VT_DISPATCH:
      if (src->pdispVal) AsUnknown(src->pdispVal)->AddRef();
      return S_OK;
    case VT_RECORD:
      // The copy holds its own reference on the description, which clearing
      // gives back; record data would need IRecordInfo's methods.
      if (src->pvRecord) return E_NOTIMPL;
      if (src->pRecInfo) reinterpret_cast<IUnknown*>(src->pRecInfo)->AddRef();
      return S_OK;
    default:
      return S_OK;
  }
}

// Copies the value a VT_BYREF variant points at into a plain variant.
HRESULT CopyReferencedValue(VARIANT* out, const VARIANT* src) {
  const VARTYPE base = src->vt & ~VT_BYREF;
  if (!src->byref) return E_INVALIDARG;
  if (base == VT_VARIANT) {
    const VARIANT* inner = src->pvarVal;
    // One level of indirection through a VARIANT is all that is allowed.
    if (inner->vt == (VT_VARIANT | VT_BYREF)) return E_INVALIDARG;
    return VariantCopyInd(out, inner);
  }
  VARIANT shallow;
  VariantInit(&shallow);
  if (base & VT_ARRAY) {
    shallow.parray = *src->pparray;
  } else if (base == VT_DECIMAL) {
    // The DECIMAL overlays the whole VARIANT, type field included.
    shallow.decVal = *src->pdecVal;
  } else {
    const ULONG size = ValueSize(base);
    if (size == 0) return DISP_E_BADVARTYPE;
    std::memcpy(&shallow.llVal, src->byref, size);
  }
  shallow.vt = base;
  *out = shallow;
  const HRESULT hr = DeepenCopy(out, &shallow);
  if (FAILED(hr)) out->vt = VT_EMPTY;
  return hr;
}

}  // namespace

void VariantInit(VARIANTARG* pvarg) {
  if (pvarg) pvarg->vt = VT_EMPTY;
}

HRESULT VariantClear(VARIANTARG* pvarg) {
  if (!pvarg) return E_INVALIDARG;
  HRESULT hr = ValidateClearableType(pvarg->vt);
  if (FAILED(hr)) return hr;
  // Even when a locked array refuses to go, the variant is emptied, as Windows does.
  hr = ReleaseContents(pvarg);
  pvarg->vt = VT_EMPTY;
  return hr;
}

HRESULT VariantCopy(VARIANTARG* pvargDest, const VARIANTARG* pvargSrc) {
  if (!pvargDest || !pvargSrc) return E_INVALIDARG;
  HRESULT hr = ValidateCopyableType(pvargSrc->vt);
  if (FAILED(hr)) return hr;
  if (pvargDest == pvargSrc) return S_OK;
  hr = VariantClear(pvargDest);
  if (FAILED(hr)) return hr;
  VARIANT copy = *pvargSrc;
  hr = DeepenCopy(&copy, pvargSrc);
  if (FAILED(hr)) return hr;
  *pvargDest = copy;
  return S_OK;
}

HRESULT VariantCopyInd(VARIANT* pvarDest, const VARIANTARG* pvargSrc) {
  if (!pvarDest || !pvargSrc) return E_INVALIDARG;
  HRESULT hr = ValidateCopyableType(pvargSrc->vt);
  if (FAILED(hr)) return hr;
  if (!(pvargSrc->vt & VT_BYREF)) return VariantCopy(pvarDest, pvargSrc);
  VARIANT value;
  VariantInit(&value);
  hr = CopyReferencedValue(&value, pvargSrc);
  if (FAILED(hr)) return hr;
  // A reference owns nothing, so overwriting the source in place loses nothing.
  if (pvarDest != pvargSrc) {
    hr = VariantClear(pvarDest);
    if (FAILED(hr)) {
      VariantClear(&value);
      return hr;
    }
  }
  *pvarDest = value;
  return S_OK;
}
