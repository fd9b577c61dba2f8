// IOPCItemProperties: the standard properties 1 to 6 of every leaf, and the
// description (101) where the item has one.
#include "objects.h"

namespace opcsim {

namespace {

constexpr DWORD kDescription = 101;

struct Property {
  DWORD id;
  const char* description;
  VARTYPE type;
};

const Property kProperties[] = {
    {OPC_PROP_CDT, "Item Canonical DataType", VT_I2},
    {OPC_PROP_VALUE, "Item Value", VT_VARIANT},
    {OPC_PROP_QUALITY, "Item Quality", VT_I2},
    {OPC_PROP_TIME, "Item Timestamp", VT_DATE},
    {OPC_PROP_RIGHTS, "Item Access Rights", VT_I4},
    {OPC_PROP_SCANRATE, "Server Scan Rate", VT_R4},
    {kDescription, "Item Description", VT_BSTR},
};

std::vector<std::string> IdList(const DWORD* ids, DWORD count) {
  std::vector<std::string> out;
  for (DWORD i = 0; ids && i < count; ++i) out.push_back(std::to_string(ids[i]));
  return out;
}

}  // namespace

HRESULT Server::QueryAvailableProperties(LPWSTR szItemID, DWORD* pdwCount, DWORD** ppPropertyIDs,
                                         LPWSTR** ppDescriptions, VARTYPE** ppvtDataTypes) {
  MethodCall call = Begin("IOPCItemProperties::QueryAvailableProperties");
  call.Arg("item", szItemID).Begin();
  if (pdwCount) *pdwCount = 0;
  if (ppPropertyIDs) *ppPropertyIDs = nullptr;
  if (ppDescriptions) *ppDescriptions = nullptr;
  if (ppvtDataTypes) *ppvtDataTypes = nullptr;
  if (call.ShortCircuit()) return call.FaultResult();
  if (!pdwCount || !ppPropertyIDs || !ppDescriptions || !ppvtDataTypes) return call.Return(E_INVALIDARG);
  if (auto refused = call.Refused(comown::view(szItemID))) return call.Return(*refused);
  bool described;
  {
    std::lock_guard<std::mutex> lock(core_->mutex);
    HRESULT error;
    std::uint32_t leaf = ResolveLeaf(szItemID, &error);
    if (leaf == AddressSpace::kNone) return call.Return(error);
    described = !core_->space->Description(leaf).empty();
  }
  DWORD n = described ? 7 : 6;
  auto ids = comown::task_values<DWORD>::allocate(n);
  auto texts = comown::task_strings::allocate(n);
  auto types = comown::task_values<VARTYPE>::allocate(n);
  if (!ids || !texts || !types) return call.Return(E_OUTOFMEMORY);
  for (DWORD i = 0; i < n; ++i) {
    ids[i] = kProperties[i].id;
    texts[i] = comown::task_copy(comown::to_wide(kProperties[i].description)).release();
    if (!texts[i]) return call.Return(E_OUTOFMEMORY);
    types[i] = kProperties[i].type;
  }
  *pdwCount = n;
  *ppPropertyIDs = ids.release();
  *ppDescriptions = texts.release();
  *ppvtDataTypes = types.release();
  return call.Return(S_OK);
}

HRESULT Server::GetItemProperties(LPWSTR szItemID, DWORD dwCount, DWORD* pdwPropertyIDs, VARIANT** ppvData,
                                  HRESULT** ppErrors) {
  MethodCall call = Begin("IOPCItemProperties::GetItemProperties");
  call.Arg("item", szItemID).Num("count", dwCount).List("properties", [&] { return IdList(pdwPropertyIDs, dwCount); }).Begin();
  if (ppvData) *ppvData = nullptr;
  if (ppErrors) *ppErrors = nullptr;
  if (call.ShortCircuit()) return call.FaultResult();
  if (dwCount == 0 || !pdwPropertyIDs || !ppvData || !ppErrors) return call.Return(E_INVALIDARG);
  if (auto refused = call.Refused(comown::view(szItemID))) return call.Return(*refused);
  auto data = comown::task_variants::allocate(dwCount);
  auto errors = comown::task_values<HRESULT>::allocate(dwCount);
  if (!data || !errors) return call.Return(E_OUTOFMEMORY);
  bool someFailed = false;
  {
    std::lock_guard<std::mutex> lock(core_->mutex);
    HRESULT error;
    std::uint32_t leaf = ResolveLeaf(szItemID, &error);
    if (leaf == AddressSpace::kNone) return call.Return(error);
    AddressSpace& space = *core_->space;
    ItemState state = space.Current(leaf);
    const std::string& description = space.Description(leaf);
    for (DWORD i = 0; i < dwCount; ++i) {
      VARIANT& v = data[i];
      HRESULT hr = S_OK;
      switch (pdwPropertyIDs[i]) {
        case OPC_PROP_CDT:
          v.vt = VT_I2;
          v.iVal = static_cast<SHORT>(space.LeafType(leaf));
          break;
        case OPC_PROP_VALUE:
          if (space.LeafAccess(leaf) & OPC_READABLE)
            hr = VariantCopy(&v, state.value.get());
          else
            hr = OPC_E_BADRIGHTS;
          break;
        case OPC_PROP_QUALITY:
          v.vt = VT_I2;
          v.iVal = static_cast<SHORT>(state.quality);
          break;
        case OPC_PROP_TIME:
          v.vt = VT_DATE;
          v.date = FileTimeToDate(state.time);
          break;
        case OPC_PROP_RIGHTS:
          v.vt = VT_I4;
          v.lVal = static_cast<LONG>(space.LeafAccess(leaf));
          break;
        case OPC_PROP_SCANRATE:
          v.vt = VT_R4;
          v.fltVal = static_cast<FLOAT>(core_->options.minUpdateRate);
          break;
        case kDescription:
          if (description.empty()) {
            hr = OPC_E_INVALID_PID;
          } else {
            v.bstrVal = comown::bstr_copy(comown::to_wide(description)).release();
            v.vt = VT_BSTR;
            if (!v.bstrVal) hr = E_OUTOFMEMORY;
          }
          break;
        default:
          hr = OPC_E_INVALID_PID;
      }
      errors[i] = hr;
      someFailed = someFailed || FAILED(hr);
    }
  }
  *ppvData = data.release();
  *ppErrors = errors.release();
  return call.Return(someFailed ? S_FALSE : S_OK);
}

HRESULT Server::LookupItemIDs(LPWSTR szItemID, DWORD dwCount, DWORD* pdwPropertyIDs, LPWSTR** ppszNewItemIDs,
                              HRESULT** ppErrors) {
  MethodCall call = Begin("IOPCItemProperties::LookupItemIDs");
  call.Arg("item", szItemID).Num("count", dwCount).List("properties", [&] { return IdList(pdwPropertyIDs, dwCount); }).Begin();
  if (ppszNewItemIDs) *ppszNewItemIDs = nullptr;
  if (ppErrors) *ppErrors = nullptr;
  if (call.ShortCircuit()) return call.FaultResult();
  if (dwCount == 0 || !pdwPropertyIDs || !ppszNewItemIDs || !ppErrors) return call.Return(E_INVALIDARG);
  if (auto refused = call.Refused(comown::view(szItemID))) return call.Return(*refused);
  {
    std::lock_guard<std::mutex> lock(core_->mutex);
    HRESULT error;
    if (ResolveLeaf(szItemID, &error) == AddressSpace::kNone) return call.Return(error);
  }
  auto ids = comown::task_strings::allocate(dwCount);
  auto errors = comown::task_values<HRESULT>::allocate(dwCount);
  if (!ids || !errors) return call.Return(E_OUTOFMEMORY);
  // No property of ours is an item of its own: the standard ones never are.
  for (DWORD i = 0; i < dwCount; ++i) errors[i] = OPC_E_INVALID_PID;
  *ppszNewItemIDs = ids.release();
  *ppErrors = errors.release();
  return call.Return(S_FALSE);
}

}  // namespace opcsim
