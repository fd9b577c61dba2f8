// Internals shared by the OLE Automation sources: which variant types exist,
// how large their values are, and scoped owners for VARIANT, BSTR and SAFEARRAY.
#pragma once

#include <oleauto.h>

#include <utility>

namespace oleaut {

inline constexpr IID kIidDispatch = {0x00020400, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
inline constexpr IID kIidUnknown = {0x00000000, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};

// DISP_E_BADVARTYPE unless a VARIANT may carry vt; VariantClear's rule.
HRESULT ValidateClearableType(VARTYPE vt);
// VariantCopy and VariantChangeType also refuse VT_CLSID, which VariantClear lets pass.
HRESULT ValidateCopyableType(VARTYPE vt);

// Size of one value of the base type vt (no flag bits) as a SAFEARRAY element
// or behind a VT_BYREF pointer; 0 for types that cannot be stored that way.
ULONG ValueSize(VARTYPE vt);

// IDispatch is only declared here, but every dispatch interface starts with
// IUnknown's methods, so it can be counted through them.
inline IUnknown* AsUnknown(IDispatch* dispatch) { return reinterpret_cast<IUnknown*>(dispatch); }

// Owns a VARIANT and clears it when it goes out of scope.
class ScopedVariant {
 public:
  ScopedVariant() { VariantInit(&value_); }
  ~ScopedVariant() { VariantClear(&value_); }
  ScopedVariant(const ScopedVariant&) = delete;
  ScopedVariant& operator=(const ScopedVariant&) = delete;

  VARIANT* get() { return &value_; }
  const VARIANT* get() const { return &value_; }
  VARIANT* operator->() { return &value_; }
  // Hands the contents over; this owner is left empty.
  VARIANT release() {
    VARIANT out = value_;
    VariantInit(&value_);
    return out;
  }

 private:
  VARIANT value_;
};

// Owns a BSTR and frees it when it goes out of scope.
class ScopedBstr {
 public:
  explicit ScopedBstr(BSTR text = nullptr) : text_(text) {}
  ~ScopedBstr() { SysFreeString(text_); }
  ScopedBstr(const ScopedBstr&) = delete;
  ScopedBstr& operator=(const ScopedBstr&) = delete;

  BSTR get() const { return text_; }
  BSTR release() { return std::exchange(text_, nullptr); }

 private:
  BSTR text_;
};

// Owns a SAFEARRAY and destroys it when it goes out of scope.
class ScopedSafeArray {
 public:
  explicit ScopedSafeArray(SAFEARRAY* array = nullptr) : array_(array) {}
  ~ScopedSafeArray() { SafeArrayDestroy(array_); }
  ScopedSafeArray(const ScopedSafeArray&) = delete;
  ScopedSafeArray& operator=(const ScopedSafeArray&) = delete;

  SAFEARRAY* get() const { return array_; }
  SAFEARRAY* release() { return std::exchange(array_, nullptr); }

 private:
  SAFEARRAY* array_;
};

}  // namespace oleaut
