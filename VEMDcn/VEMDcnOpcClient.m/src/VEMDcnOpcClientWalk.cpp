// The walks' shared parts: bounded enumerations and item records.
#include "VEMDcnOpcClientWalk.h"

#include <cstdio>

QARUnicodeString vemdcn::BoundContext(const char* call, unsigned int limit, const char* what) {
  char text[256];
  std::snprintf(text, sizeof text, "%s: more than %u %s", call, limit, what);
  return QARUnicodeString(text);
}

HRESULT vemdcn::NameEnumeration::Next() noexcept {
  _Name.reset();
  LPOLESTR raw = nullptr;
  ULONG fetched = 0;
  const HRESULT hr = _Enumerator->Next(1, &raw, &fetched);
  // On failure the server hands out nothing it could still own.
  if (FAILED(hr)) return hr;
  comown::task_string name(raw);
  if (fetched == 0) return hr;  // the end, whatever the code says
  if (!name) return E_POINTER;
  if (++_Count > _EnumerationLimit) {
    _Bound = Bound::Enumeration;
    return E_FAIL;
  }
  if (++_WalkNames > _WalkLimit) {
    _Bound = Bound::Walk;
    return E_FAIL;
  }
  _Name = std::move(name);
  return hr;
}

QARUnicodeString vemdcn::NameEnumeration::Context(const char* callContext) const {
  switch (_Bound) {
    case Bound::Enumeration:
      return BoundContext("IEnumString::Next()", _EnumerationLimit, "names in one enumeration");
    case Bound::Walk:
      return BoundContext("IEnumString::Next()", _WalkLimit, "names in one walk");
    case Bound::None:
      break;
  }
  return QARUnicodeString(callContext);
}

std::unique_ptr<VEMDcnOpcItem> vemdcn::NewItemRecord(const WCHAR* name, const WCHAR* itemId, VARTYPE dataType,
                                                     DWORD accessRights) {
  std::unique_ptr<VEMDcnOpcItem> item(new (std::nothrow) VEMDcnOpcItem());
  if (!item) return item;
  item->_Name.BuildFromWChar(name);
  item->_ItemID.BuildFromWChar(itemId);
  // The path ends one unit (the separator) before the browse name.
  const int position = item->_ItemID.SearchSubString(item->_Name, 0, QARUnicodeString::LastOccurrence);
  if (position >= 0) item->_Path = item->_ItemID.SubString(0, position - 1);
  item->_AccessRights = accessRights;
  item->_CanonicalDataType = dataType;
  return item;
}
