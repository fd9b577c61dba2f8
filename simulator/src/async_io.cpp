// IOPCAsyncIO2 and the callbacks to the group's IOPCDataCallback subscriber.
//
// A request is checked and carried out at once (writes are stored before the
// call returns); its completion goes to the subscriber either from within the
// call, after the out-parameters are filled, or later when the test asks for
// queued completions (AsyncDelivery::Queued), which is what makes Cancel2
// observable. No thread, no timer.
#include "objects.h"

namespace opcsim {

namespace {

// The arrays of one OnDataChange / OnReadComplete / OnWriteComplete call.
struct Batch {
  std::vector<OPCHANDLE> clients;
  comown::task_variants values;  // room for every value the batch may carry
  std::vector<WORD> qualities;
  std::vector<FILETIME> times;
  std::vector<HRESULT> errors;

  // A batch of results only (writes), or of at most `capacity` values; null
  // when out of memory.
  static std::shared_ptr<Batch> Results() { return std::make_shared<Batch>(); }
  static std::shared_ptr<Batch> Values(std::size_t capacity) {
    auto batch = std::make_shared<Batch>();
    batch->values = comown::task_variants::allocate(capacity);
    return batch->values ? batch : nullptr;
  }

  void AddValue(OPCHANDLE client, ItemState state, HRESULT error) {
    values[clients.size()] = state.value.release();
    clients.push_back(client);
    qualities.push_back(state.quality);
    times.push_back(state.time);
    errors.push_back(error);
  }
  void AddResult(OPCHANDLE client, HRESULT error) {
    clients.push_back(client);
    errors.push_back(error);
  }
  DWORD Count() const { return static_cast<DWORD>(clients.size()); }
  HRESULT MasterQuality() const {
    for (WORD q : qualities)
      if ((q & OPC_QUALITY_MASK) != OPC_QUALITY_GOOD) return S_FALSE;
    return S_OK;
  }
  HRESULT MasterError() const {
    for (HRESULT e : errors)
      if (e != S_OK) return S_FALSE;
    return S_OK;
  }
};

using Sinks = std::vector<com_ptr<IOPCDataCallback>>;

Sinks Subscribers(const Group& group) {
  Sinks out;
  for (const auto& s : group.sinks) out.push_back(s.second);
  return out;
}

enum class Kind { DataChange, ReadComplete };

std::function<void()> ValuesCallback(Kind kind, Sinks sinks, DWORD transactionId, OPCHANDLE clientGroup,
                                     std::shared_ptr<Batch> batch) {
  return [kind, sinks = std::move(sinks), transactionId, clientGroup, batch = std::move(batch)] {
    for (const com_ptr<IOPCDataCallback>& sink : sinks) {
      Batch& b = *batch;
      auto call = kind == Kind::DataChange ? &IOPCDataCallback::OnDataChange : &IOPCDataCallback::OnReadComplete;
      (sink.get()->*call)(transactionId, clientGroup, b.MasterQuality(), b.MasterError(), b.Count(), b.clients.data(),
                          b.values.get(), b.qualities.data(), b.times.data(), b.errors.data());
    }
  };
}

std::function<void()> WriteCallback(Sinks sinks, DWORD transactionId, OPCHANDLE clientGroup,
                                    std::shared_ptr<Batch> batch) {
  return [sinks = std::move(sinks), transactionId, clientGroup, batch = std::move(batch)] {
    for (const com_ptr<IOPCDataCallback>& sink : sinks)
      sink->OnWriteComplete(transactionId, clientGroup, batch->MasterError(), batch->Count(), batch->clients.data(),
                            batch->errors.data());
  };
}

std::function<void()> CancelCallback(Sinks sinks, DWORD transactionId, OPCHANDLE clientGroup) {
  return [sinks = std::move(sinks), transactionId, clientGroup] {
    for (const com_ptr<IOPCDataCallback>& sink : sinks) sink->OnCancelComplete(transactionId, clientGroup);
  };
}

const char* SourceText(OPCDATASOURCE s) {
  return s == OPC_DS_CACHE ? "cache" : s == OPC_DS_DEVICE ? "device" : "invalid";
}

}  // namespace

HRESULT Group::Read(DWORD dwCount, OPCHANDLE* phServer, DWORD dwTransactionID, DWORD* pdwCancelID,
                    HRESULT** ppErrors) {
  MethodCall call = Begin("IOPCAsyncIO2::Read");
  call.Num("count", dwCount).Handles("handles", phServer, dwCount).Num("transactionId", dwTransactionID);
  call.Begin();
  if (pdwCancelID) *pdwCancelID = 0;
  if (ppErrors) *ppErrors = nullptr;
  if (call.ShortCircuit()) return call.FaultResult();
  if (dwCount == 0 || !phServer || !pdwCancelID || !ppErrors) return call.Return(E_INVALIDARG);
  auto errors = comown::task_values<HRESULT>::allocate(dwCount);
  auto batch = Batch::Values(dwCount);
  if (!errors || !batch) return call.Return(E_OUTOFMEMORY);
  bool someFailed = false;
  DWORD cancelId = 0;
  Sinks sinks;
  OPCHANDLE clientGroup;
  {
    std::lock_guard<std::mutex> lock(core_->mutex);
    if (sinks = Subscribers(*this); sinks.empty()) return call.Return(CONNECT_E_NOCONNECTION);
    clientGroup = settings.hClientGroup;
    for (DWORD i = 0; i < dwCount; ++i) {
      GroupItem* item = FindItem(phServer[i]);
      HRESULT hr = S_OK;
      if (!item) {
        hr = OPC_E_INVALIDHANDLE;
      } else if (auto refused = Refusal(call, *item, OPC_READABLE)) {
        hr = *refused;
      } else {
        ItemState state;
        HRESULT read = ReadItem(*core_, *this, *item, OPC_DS_DEVICE, &state);
        batch->AddValue(item->hClient, std::move(state), read);
      }
      errors[i] = hr;
      someFailed = someFailed || FAILED(hr);
    }
    if (batch->Count() > 0) cancelId = core_->nextCancelId++;
  }
  *pdwCancelID = cancelId;
  *ppErrors = errors.release();
  if (cancelId != 0)
    Complete(cancelId, ValuesCallback(Kind::ReadComplete, sinks, dwTransactionID, clientGroup, batch),
             CancelCallback(sinks, dwTransactionID, clientGroup));
  return call.Return(someFailed ? S_FALSE : S_OK);
}

HRESULT Group::Write(DWORD dwCount, OPCHANDLE* phServer, VARIANT* pItemValues, DWORD dwTransactionID,
                     DWORD* pdwCancelID, HRESULT** ppErrors) {
  MethodCall call = Begin("IOPCAsyncIO2::Write");
  call.Num("count", dwCount)
      .Handles("handles", phServer, dwCount)
      .Types("types", pItemValues, dwCount)
      .Num("transactionId", dwTransactionID);
  call.Begin();
  if (pdwCancelID) *pdwCancelID = 0;
  if (ppErrors) *ppErrors = nullptr;
  if (call.ShortCircuit()) return call.FaultResult();
  if (dwCount == 0 || !phServer || !pItemValues || !pdwCancelID || !ppErrors) return call.Return(E_INVALIDARG);
  auto errors = comown::task_values<HRESULT>::allocate(dwCount);
  if (!errors) return call.Return(E_OUTOFMEMORY);
  auto batch = Batch::Results();
  bool someFailed = false;
  DWORD cancelId = 0;
  Sinks sinks;
  OPCHANDLE clientGroup;
  {
    std::lock_guard<std::mutex> lock(core_->mutex);
    if (sinks = Subscribers(*this); sinks.empty()) return call.Return(CONNECT_E_NOCONNECTION);
    clientGroup = settings.hClientGroup;
    for (DWORD i = 0; i < dwCount; ++i) {
      GroupItem* item = FindItem(phServer[i]);
      HRESULT hr = S_OK;
      if (!item) {
        hr = OPC_E_INVALIDHANDLE;
      } else if (auto refused = Refusal(call, *item, OPC_WRITEABLE)) {
        hr = *refused;
      } else {
        // Taken and stored now; the outcome travels with the completion.
        batch->AddResult(item->hClient, StoreConverted(*core_->space, item->leaf, pItemValues[i]));
      }
      errors[i] = hr;
      someFailed = someFailed || FAILED(hr);
    }
    if (batch->Count() > 0) cancelId = core_->nextCancelId++;
  }
  *pdwCancelID = cancelId;
  *ppErrors = errors.release();
  if (cancelId != 0)
    Complete(cancelId, WriteCallback(sinks, dwTransactionID, clientGroup, batch),
             CancelCallback(sinks, dwTransactionID, clientGroup));
  return call.Return(someFailed ? S_FALSE : S_OK);
}

HRESULT Group::Refresh2(OPCDATASOURCE dwSource, DWORD dwTransactionID, DWORD* pdwCancelID) {
  MethodCall call = Begin("IOPCAsyncIO2::Refresh2");
  call.Arg("source", SourceText(dwSource)).Num("transactionId", dwTransactionID).Begin();
  if (pdwCancelID) *pdwCancelID = 0;
  if (call.ShortCircuit()) return call.FaultResult();
  if (!pdwCancelID || (dwSource != OPC_DS_CACHE && dwSource != OPC_DS_DEVICE)) return call.Return(E_INVALIDARG);
  std::shared_ptr<Batch> batch;
  DWORD cancelId;
  Sinks sinks;
  OPCHANDLE clientGroup;
  {
    std::lock_guard<std::mutex> lock(core_->mutex);
    if (sinks = Subscribers(*this); sinks.empty()) return call.Return(CONNECT_E_NOCONNECTION);
    clientGroup = settings.hClientGroup;
    if (!settings.active) return call.Return(E_FAIL);
    if (batch = Batch::Values(items.size()); !batch) return call.Return(E_OUTOFMEMORY);
    for (GroupItem& item : items) {
      if (!item.active || !(core_->space->LeafAccess(item.leaf) & OPC_READABLE)) continue;
      ItemState state;
      HRESULT read = ReadItem(*core_, *this, item, dwSource, &state);
      item.notified = true;
      item.lastNotified = state.time;
      batch->AddValue(item.hClient, std::move(state), read);
    }
    if (batch->Count() == 0) return call.Return(E_FAIL);  // no active item to refresh
    cancelId = core_->nextCancelId++;
  }
  *pdwCancelID = cancelId;
  // Refresh results come through OnDataChange, also while notifications are disabled.
  Complete(cancelId, ValuesCallback(Kind::DataChange, sinks, dwTransactionID, clientGroup, batch),
           CancelCallback(sinks, dwTransactionID, clientGroup));
  return call.Return(S_OK);
}

HRESULT Group::Cancel2(DWORD dwCancelID) {
  MethodCall call = Begin("IOPCAsyncIO2::Cancel2");
  call.Num("cancelId", dwCancelID).Begin();
  if (call.ShortCircuit()) return call.FaultResult();
  std::function<void()> cancel;
  {
    std::lock_guard<std::mutex> lock(core_->mutex);
    for (auto it = core_->pending.begin(); it != core_->pending.end(); ++it)
      if (it->cancelId == dwCancelID && it->group == this) {
        cancel = std::move(it->cancel);
        core_->pending.erase(it);
        break;
      }
  }
  // Too late (already delivered) or unknown: the standard's E_FAIL.
  if (!cancel) return call.Return(E_FAIL);
  cancel();
  return call.Return(S_OK);
}

HRESULT Group::SetEnable(BOOL bEnable) {
  MethodCall call = Begin("IOPCAsyncIO2::SetEnable");
  call.Flag("enable", bEnable).Begin();
  if (call.ShortCircuit()) return call.FaultResult();
  std::lock_guard<std::mutex> lock(core_->mutex);
  if (sinks.empty()) return call.Return(CONNECT_E_NOCONNECTION);
  enabled = bEnable != FALSE;
  return call.Return(S_OK);
}

HRESULT Group::GetEnable(BOOL* pbEnable) {
  MethodCall call = Begin("IOPCAsyncIO2::GetEnable");
  call.Begin();
  if (pbEnable) *pbEnable = FALSE;
  if (call.ShortCircuit()) return call.FaultResult();
  if (!pbEnable) return call.Return(E_INVALIDARG);
  std::lock_guard<std::mutex> lock(core_->mutex);
  if (sinks.empty()) return call.Return(CONNECT_E_NOCONNECTION);
  *pbEnable = enabled ? TRUE : FALSE;
  return call.Return(S_OK);
}

int DeliverPendingCompletions(Core& core) {
  std::vector<PendingCompletion> pending;
  {
    std::lock_guard<std::mutex> lock(core.mutex);
    pending.swap(core.pending);
  }
  for (PendingCompletion& p : pending) p.deliver();
  return static_cast<int>(pending.size());
}

int PublishDataChanges(const std::shared_ptr<Core>& core) {
  std::vector<std::function<void()>> callbacks;
  {
    std::lock_guard<std::mutex> lock(core->mutex);
    FILETIME now = Now();
    for (const std::weak_ptr<ServerState>& weak : core->servers) {
      std::shared_ptr<ServerState> server = weak.lock();
      if (!server) continue;
      for (const com_ptr<Group>& group : server->groups) {
        if (!group->settings.active || !group->enabled || group->sinks.empty()) continue;
        auto batch = Batch::Values(group->items.size());
        if (!batch) continue;  // out of memory: this change goes with the next publication
        for (GroupItem& item : group->items) {
          if (!item.active || !(core->space->LeafAccess(item.leaf) & OPC_READABLE)) continue;
          ItemState state;
          HRESULT read = ReadItem(*core, *group, item, OPC_DS_DEVICE, &state);
          bool changed = !item.notified || state.time.dwLowDateTime != item.lastNotified.dwLowDateTime ||
                         state.time.dwHighDateTime != item.lastNotified.dwHighDateTime;
          if (!changed) continue;
          item.notified = true;
          item.lastNotified = state.time;
          batch->AddValue(item.hClient, std::move(state), read);
        }
        if (batch->Count() == 0) continue;
        server->lastUpdate = now;
        callbacks.push_back(
            ValuesCallback(Kind::DataChange, Subscribers(*group), 0, group->settings.hClientGroup, batch));
      }
    }
  }
  for (auto& callback : callbacks) callback();
  return static_cast<int>(callbacks.size());
}

}  // namespace opcsim
