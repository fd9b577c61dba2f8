// IOPCItemMgt: adding, validating and changing the items of a group.
#include <algorithm>

#include "objects.h"

namespace opcsim {

namespace {

// Logs the item definitions, one list per field.
void Describe(MethodCall& call, const OPCITEMDEF* defs, DWORD count) {
  auto each = [defs, count](auto field) {
    return [defs, count, field] {
      std::vector<std::string> texts;
      for (DWORD i = 0; defs && i < count; ++i) texts.push_back(field(defs[i]));
      return texts;
    };
  };
  call.List("items", each([](const OPCITEMDEF& d) { return comown::to_utf8(d.szItemID); }))
      .List("accessPaths", each([](const OPCITEMDEF& d) { return comown::to_utf8(d.szAccessPath); }))
      .List("clientHandles", each([](const OPCITEMDEF& d) { return std::to_string(d.hClient); }))
      .List("dataTypes", each([](const OPCITEMDEF& d) { return std::to_string(d.vtRequestedDataType); }))
      .List("active", each([](const OPCITEMDEF& d) { return Bool(d.bActive); }));
}

// The per-item check shared by AddItems and ValidateItems (core locked).
HRESULT CheckItem(const AddressSpace& space, const MethodCall& call, const OPCITEMDEF& def, std::uint32_t* leaf) {
  const wide_view id = comown::view(def.szItemID);
  if (auto refused = call.Refused(id)) return *refused;
  if (!space.IsWellFormed(id)) return OPC_E_INVALIDITEMID;
  *leaf = space.FindLeaf(id);
  if (*leaf == AddressSpace::kNone) return OPC_E_UNKNOWNITEMID;
  const wide_view path = comown::view(def.szAccessPath);
  if (!path.empty()) {
    std::vector<wide_string> known = space.AccessPaths(*leaf);
    if (std::find(known.begin(), known.end(), path) == known.end()) return OPC_E_UNKNOWNPATH;
  }
  VARTYPE vt = def.vtRequestedDataType;
  if (vt != VT_EMPTY && vt != space.LeafType(*leaf)) {
    if (!IsSupportedType(vt) || !CanConvert(*space.Current(*leaf).value, vt)) return OPC_E_BADTYPE;
  }
  return S_OK;
}

}  // namespace

HRESULT Group::AddOrValidate(bool add, DWORD dwCount, OPCITEMDEF* pItemArray, OPCITEMRESULT** ppResults,
                             HRESULT** ppErrors) {
  MethodCall call = Begin(add ? "IOPCItemMgt::AddItems" : "IOPCItemMgt::ValidateItems");
  call.Num("count", dwCount);
  Describe(call, pItemArray, dwCount);
  call.Begin();
  if (ppResults) *ppResults = nullptr;
  if (ppErrors) *ppErrors = nullptr;
  if (call.ShortCircuit()) return call.FaultResult();
  if (dwCount == 0 || !pItemArray || !ppResults || !ppErrors) return call.Return(E_INVALIDARG);
  auto results = comown::task_item_results::allocate(dwCount);
  auto errors = comown::task_values<HRESULT>::allocate(dwCount);
  if (!results || !errors) return call.Return(E_OUTOFMEMORY);
  bool someFailed = false;
  {
    std::lock_guard<std::mutex> lock(core_->mutex);
    const AddressSpace& space = *core_->space;
    for (DWORD i = 0; i < dwCount; ++i) {
      const OPCITEMDEF& def = pItemArray[i];
      std::uint32_t leaf = AddressSpace::kNone;
      HRESULT hr = CheckItem(space, call, def, &leaf);
      errors[i] = hr;
      if (FAILED(hr)) {
        someFailed = true;
        continue;
      }
      OPCITEMRESULT& r = results[i];
      const VARTYPE foreign = core_->options.foreignValueType;
      r.vtCanonicalDataType = foreign != VT_EMPTY ? foreign : space.LeafType(leaf);
      r.dwAccessRights = space.LeafAccess(leaf);
      if (!add) continue;
      GroupItem item;
      item.hServer = core_->nextItemHandle++;
      item.hClient = def.hClient;
      item.leaf = leaf;
      item.itemId = comown::view(def.szItemID);
      item.accessPath = comown::view(def.szAccessPath);
      item.requested = def.vtRequestedDataType;
      item.active = def.bActive != FALSE;
      r.hServer = item.hServer;
      itemIndex[item.hServer] = items.size();
      items.push_back(std::move(item));
    }
  }
  *ppResults = results.release();
  *ppErrors = errors.release();
  return call.Return(someFailed ? S_FALSE : S_OK);
}

HRESULT Group::AddItems(DWORD dwCount, OPCITEMDEF* pItemArray, OPCITEMRESULT** ppAddResults, HRESULT** ppErrors) {
  return AddOrValidate(true, dwCount, pItemArray, ppAddResults, ppErrors);
}

HRESULT Group::ValidateItems(DWORD dwCount, OPCITEMDEF* pItemArray, BOOL, OPCITEMRESULT** ppValidationResults,
                             HRESULT** ppErrors) {
  return AddOrValidate(false, dwCount, pItemArray, ppValidationResults, ppErrors);
}

// Runs `change` on every item named by a handle; unknown handles fail with
// OPC_E_INVALIDHANDLE. Shared by the four handle-based methods.
template <class Change>
static HRESULT ForEachHandle(Group& group, MethodCall& call, DWORD count, const OPCHANDLE* handles,
                             HRESULT** ppErrors, Change change) {
  if (ppErrors) *ppErrors = nullptr;
  if (call.ShortCircuit()) return call.FaultResult();
  if (count == 0 || !handles || !ppErrors) return call.Return(E_INVALIDARG);
  auto errors = comown::task_values<HRESULT>::allocate(count);
  if (!errors) return call.Return(E_OUTOFMEMORY);
  bool someFailed = false;
  {
    std::lock_guard<std::mutex> lock(group.core()->mutex);
    for (DWORD i = 0; i < count; ++i) {
      GroupItem* item = group.FindItem(handles[i]);
      errors[i] = item ? change(i, *item) : OPC_E_INVALIDHANDLE;
      someFailed = someFailed || FAILED(errors[i]);
    }
  }
  *ppErrors = errors.release();
  return call.Return(someFailed ? S_FALSE : S_OK);
}

HRESULT Group::RemoveItems(DWORD dwCount, OPCHANDLE* phServer, HRESULT** ppErrors) {
  MethodCall call = Begin("IOPCItemMgt::RemoveItems");
  call.Num("count", dwCount).Handles("handles", phServer, dwCount).Begin();
  bool removedAny = false;
  HRESULT hr = ForEachHandle(*this, call, dwCount, phServer, ppErrors, [&](DWORD, GroupItem& item) {
    item.hServer = 0;  // marked here, dropped below so that later handles still resolve
    removedAny = true;
    return S_OK;
  });
  if (removedAny) {
    std::lock_guard<std::mutex> lock(core_->mutex);
    items.erase(std::remove_if(items.begin(), items.end(), [](const GroupItem& i) { return i.hServer == 0; }),
                items.end());
    Reindex();
  }
  return hr;
}

HRESULT Group::SetActiveState(DWORD dwCount, OPCHANDLE* phServer, BOOL bActive, HRESULT** ppErrors) {
  MethodCall call = Begin("IOPCItemMgt::SetActiveState");
  call.Num("count", dwCount).Handles("handles", phServer, dwCount).Flag("active", bActive).Begin();
  return ForEachHandle(*this, call, dwCount, phServer, ppErrors, [&](DWORD, GroupItem& item) {
    item.active = bActive != FALSE;
    return S_OK;
  });
}

HRESULT Group::SetClientHandles(DWORD dwCount, OPCHANDLE* phServer, OPCHANDLE* phClient, HRESULT** ppErrors) {
  MethodCall call = Begin("IOPCItemMgt::SetClientHandles");
  call.Num("count", dwCount)
      .Handles("handles", phServer, dwCount)
      .Handles("clientHandles", phClient, dwCount)
      .Begin();
  if (!phClient && !call.ShortCircuit()) {
    if (ppErrors) *ppErrors = nullptr;
    return call.Return(E_INVALIDARG);
  }
  return ForEachHandle(*this, call, dwCount, phServer, ppErrors, [&](DWORD i, GroupItem& item) {
    item.hClient = phClient[i];
    return S_OK;
  });
}

HRESULT Group::SetDatatypes(DWORD dwCount, OPCHANDLE* phServer, VARTYPE* pRequestedDatatypes, HRESULT** ppErrors) {
  MethodCall call = Begin("IOPCItemMgt::SetDatatypes");
  call.Num("count", dwCount).Handles("handles", phServer, dwCount).List("dataTypes", [&] {
    std::vector<std::string> types;
    for (DWORD i = 0; pRequestedDatatypes && i < dwCount; ++i) types.push_back(std::to_string(pRequestedDatatypes[i]));
    return types;
  });
  call.Begin();
  if (!pRequestedDatatypes && !call.ShortCircuit()) {
    if (ppErrors) *ppErrors = nullptr;
    return call.Return(E_INVALIDARG);
  }
  const AddressSpace& space = *core_->space;
  return ForEachHandle(*this, call, dwCount, phServer, ppErrors, [&](DWORD i, GroupItem& item) {
    VARTYPE vt = pRequestedDatatypes[i];
    if (vt != VT_EMPTY && vt != space.LeafType(item.leaf) &&
        (!IsSupportedType(vt) || !CanConvert(*space.Current(item.leaf).value, vt)))
      return OPC_E_BADTYPE;
    item.requested = vt;
    return S_OK;
  });
}

HRESULT Group::CreateEnumerator(REFIID riid, LPUNKNOWN* ppUnk) {
  MethodCall call = Begin("IOPCItemMgt::CreateEnumerator");
  call.Iid("iid", riid).Begin();
  if (ppUnk) *ppUnk = nullptr;
  if (!ppUnk) return call.Return(E_INVALIDARG);
  bool empty = call.WantsEmpty();
  if (!empty && call.ShortCircuit()) return call.FaultResult();
  if (!IsEqualIID(riid, IID_IEnumOPCItemAttributes)) return call.Return(E_NOINTERFACE);
  std::vector<ItemAttributes> attributes;
  if (!empty) {
    std::lock_guard<std::mutex> lock(core_->mutex);
    const AddressSpace& space = *core_->space;
    for (const GroupItem& item : items) {
      ItemAttributes a;
      a.accessPath = item.accessPath;
      a.itemId = item.itemId;
      a.active = item.active ? TRUE : FALSE;
      a.hClient = item.hClient;
      a.hServer = item.hServer;
      a.access = space.LeafAccess(item.leaf);
      a.requested = item.requested;
      a.canonical = space.LeafType(item.leaf);
      attributes.push_back(std::move(a));
    }
  }
  bool none = attributes.empty();
  *ppUnk = NewItemAttributesEnumerator(core_, std::move(attributes)).detach();
  if (empty) return call.FaultResult();
  return call.Return(none ? S_FALSE : S_OK);
}

}  // namespace opcsim
