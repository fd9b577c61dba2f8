// Internals shared by the OLE Automation sources: which variant types exist,
// and how large their values are.
#pragma once

#include <oleauto.h>


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

}  // namespace oleaut
