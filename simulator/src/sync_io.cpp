// IOPCSyncIO: reads from cache or device and writes, with per-item results.
#include "objects.h"

namespace opcsim {

namespace {

unsigned long long Ticks(const FILETIME& f) {
  return (static_cast<unsigned long long>(f.dwHighDateTime) << 32) | f.dwLowDateTime;
}

}  // namespace

HRESULT StoreConverted(AddressSpace& space, std::uint32_t leaf, const VARIANT& value) {
  if (value.vt == VT_EMPTY) return OPC_E_BADTYPE;
  Variant converted;
  HRESULT hr = ConvertValue(value, space.LeafType(leaf), converted.put());
  if (hr == DISP_E_OVERFLOW) return OPC_E_RANGE;
  if (FAILED(hr)) return OPC_E_BADTYPE;
  space.Store(leaf, std::move(converted));
  return S_OK;
}

HRESULT ReadItem(Core& core, const Group& group, const GroupItem& item, OPCDATASOURCE source, ItemState* state) {
  AddressSpace& space = *core.space;
  if (source == OPC_DS_DEVICE) {
    *state = space.Sample(item.leaf);
  } else {
    // The cache is refreshed at the group's rate, as a scanning server would.
    *state = space.Current(item.leaf);
    unsigned long long age = Ticks(Now()) - Ticks(state->time);
    if (age >= static_cast<unsigned long long>(group.settings.updateRate) * 10000ull) *state = space.Sample(item.leaf);
    if (!group.settings.active || !item.active) state->quality = OPC_QUALITY_OUT_OF_SERVICE;
  }
  if (item.requested != VT_EMPTY && item.requested != state->value.vt()) {
    Variant converted;
    HRESULT hr = ConvertValue(*state->value, item.requested, converted.put());
    if (FAILED(hr)) {
      state->value.clear();
      state->quality = OPC_QUALITY_BAD;
      return hr;
    }
    state->value = std::move(converted);
  }
  MakeHostile(core.options, &state->value);
  return S_OK;
}

HRESULT Group::Read(OPCDATASOURCE dwSource, DWORD dwCount, OPCHANDLE* phServer, OPCITEMSTATE** ppItemValues,
                    HRESULT** ppErrors) {
  MethodCall call = Begin("IOPCSyncIO::Read");
  call.Arg("source", dwSource == OPC_DS_CACHE ? "cache" : dwSource == OPC_DS_DEVICE ? "device" : "invalid")
      .Num("count", dwCount)
      .Handles("handles", phServer, dwCount)
      .Begin();
  if (ppItemValues) *ppItemValues = nullptr;
  if (ppErrors) *ppErrors = nullptr;
  if (call.ShortCircuit()) return call.FaultResult();
  if (dwCount == 0 || !phServer || !ppItemValues || !ppErrors) return call.Return(E_INVALIDARG);
  if (dwSource != OPC_DS_CACHE && dwSource != OPC_DS_DEVICE) return call.Return(E_INVALIDARG);
  auto states = comown::task_item_states::allocate(dwCount);
  auto errors = comown::task_values<HRESULT>::allocate(dwCount);
  if (!states || !errors) return call.Return(E_OUTOFMEMORY);
  bool someFailed = false;
  {
    std::lock_guard<std::mutex> lock(core_->mutex);
    for (DWORD i = 0; i < dwCount; ++i) {
      OPCITEMSTATE& out = states[i];
      out.wQuality = OPC_QUALITY_BAD;
      GroupItem* item = FindItem(phServer[i]);
      HRESULT hr = S_OK;
      if (!item) {
        hr = OPC_E_INVALIDHANDLE;
      } else {
        out.hClient = item->hClient;
        if (auto refused = Refusal(call, *item, OPC_READABLE)) {
          hr = *refused;
        } else {
          ItemState state;
          hr = ReadItem(*core_, *this, *item, dwSource, &state);
          out.ftTimeStamp = state.time;
          out.wQuality = state.quality;
          out.vDataValue = state.value.release();
        }
      }
      errors[i] = hr;
      someFailed = someFailed || FAILED(hr);
    }
  }
  *ppItemValues = states.release();
  *ppErrors = errors.release();
  return call.Return(someFailed ? S_FALSE : S_OK);
}

HRESULT Group::Write(DWORD dwCount, OPCHANDLE* phServer, VARIANT* pItemValues, HRESULT** ppErrors) {
  MethodCall call = Begin("IOPCSyncIO::Write");
  call.Num("count", dwCount)
      .Handles("handles", phServer, dwCount)
      .Types("types", pItemValues, dwCount)
      .Begin();
  if (ppErrors) *ppErrors = nullptr;
  if (call.ShortCircuit()) return call.FaultResult();
  if (dwCount == 0 || !phServer || !pItemValues || !ppErrors) return call.Return(E_INVALIDARG);
  auto errors = comown::task_values<HRESULT>::allocate(dwCount);
  if (!errors) return call.Return(E_OUTOFMEMORY);
  bool someFailed = false;
  {
    std::lock_guard<std::mutex> lock(core_->mutex);
    for (DWORD i = 0; i < dwCount; ++i) {
      GroupItem* item = FindItem(phServer[i]);
      HRESULT hr;
      if (!item) {
        hr = OPC_E_INVALIDHANDLE;
      } else if (auto refused = Refusal(call, *item, OPC_WRITEABLE)) {
        hr = *refused;
      } else {
        hr = StoreConverted(*core_->space, item->leaf, pItemValues[i]);
      }
      errors[i] = hr;
      someFailed = someFailed || FAILED(hr);
    }
  }
  *ppErrors = errors.release();
  return call.Return(someFailed ? S_FALSE : S_OK);
}

}  // namespace opcsim
