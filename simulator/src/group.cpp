// The group object: identity, IOPCGroupStateMgt and how completions leave it.
#include "objects.h"

namespace opcsim {

namespace {

bool NameTaken(const ServerState& server, wide_view name, const Group* except) {
  for (const com_ptr<Group>& g : server.groups)
    if (g.get() != except && g->settings.name == name) return true;
  return false;
}

wide_string GeneratedName(const ServerState& server, OPCHANDLE handle) {
  wide_string name = comown::to_wide("Group" + std::to_string(handle));
  for (unsigned n = 1; NameTaken(server, name, nullptr); ++n)
    name = comown::to_wide("Group" + std::to_string(handle) + "_" + std::to_string(n));
  return name;
}


}  // namespace

HRESULT CreateGroup(const std::shared_ptr<Core>& core, const std::shared_ptr<ServerState>& server,
                    GroupSettings settings, com_ptr<Group>* group) {
  if (!settings.name.empty() && NameTaken(*server, settings.name, nullptr)) return OPC_E_DUPLICATENAME;
  OPCHANDLE handle = server->nextGroupHandle++;
  if (settings.name.empty()) settings.name = GeneratedName(*server, handle);
  *group = MakeObject<Group>(core, server, std::move(settings), handle);
  server->groups.push_back(*group);
  return S_OK;
}

void DropCreatedGroup(Core& core, ServerState& server, const Group* group) {
  // Declared before the lock, so the last reference goes after it is released.
  com_ptr<Group> removed;
  std::lock_guard<std::mutex> lock(core.mutex);
  for (auto it = server.groups.begin(); it != server.groups.end(); ++it)
    if (it->get() == group) {
      removed = *it;
      server.groups.erase(it);
      break;
    }
}

Group::Group(std::shared_ptr<Core> core, std::weak_ptr<ServerState> server, GroupSettings s, OPCHANDLE h)
    : settings(std::move(s)), handle(h), core_(std::move(core)), server_(std::move(server)) {
  EnableFreeThreadedMarshaler(static_cast<IOPCItemMgt*>(this));
  CreatePoint();
}

Group::~Group() {
  sinks.clear();
  DestroyPoint();
}

MethodCall Group::Begin(const char* method) {
  MethodCall call(*core_, method);
  call.Num("group", handle);
  return call;
}

GroupItem* Group::FindItem(OPCHANDLE hServer) {
  auto it = itemIndex.find(hServer);
  return it == itemIndex.end() ? nullptr : &items[it->second];
}

std::optional<HRESULT> Group::Refusal(const MethodCall& call, const GroupItem& item, DWORD right) const {
  if (auto refused = call.Refused(item.itemId)) return refused;
  if (!(core_->space->LeafAccess(item.leaf) & right)) return OPC_E_BADRIGHTS;
  return std::nullopt;
}

void Group::Reindex() {
  itemIndex.clear();
  for (std::size_t i = 0; i < items.size(); ++i) itemIndex[items[i].hServer] = i;
}

HRESULT Group::QueryInterface(REFIID riid, void** ppv) {
  MethodCall call = Begin("IUnknown::QueryInterface");
  call.Arg("object", "group").Iid("iid", riid).Begin();
  if (!ppv) return call.Return(E_POINTER);
  *ppv = nullptr;
  if (call.ShortCircuit()) return call.FaultResult();
  if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IOPCItemMgt)) {
    *ppv = static_cast<IOPCItemMgt*>(this);
  } else if (IsEqualIID(riid, IID_IOPCSyncIO)) {
    *ppv = static_cast<IOPCSyncIO*>(this);
  } else if (IsEqualIID(riid, IID_IOPCAsyncIO2)) {
    *ppv = static_cast<IOPCAsyncIO2*>(this);
  } else if (IsEqualIID(riid, IID_IOPCGroupStateMgt)) {
    *ppv = static_cast<IOPCGroupStateMgt*>(this);
  } else if (IsEqualIID(riid, IID_IConnectionPointContainer)) {
    *ppv = static_cast<IConnectionPointContainer*>(this);
  } else if (QueryMarshaler(riid, ppv)) {
    return call.Return(S_OK);
  } else {
    return call.Return(E_NOINTERFACE);
  }
  AddRef();
  return call.Return(S_OK);
}

void Group::Complete(DWORD cancelId, std::function<void()> deliver, std::function<void()> cancel) {
  if (core_->options.asyncDelivery == AsyncDelivery::Immediate) {
    deliver();
    return;
  }
  PendingCompletion p;
  p.cancelId = cancelId;
  p.group = this;
  p.deliver = std::move(deliver);
  p.cancel = std::move(cancel);
  std::lock_guard<std::mutex> lock(core_->mutex);
  core_->pending.push_back(std::move(p));
}

// ---- IOPCGroupStateMgt -------------------------------------------------------------

HRESULT Group::GetState(DWORD* pUpdateRate, BOOL* pActive, LPWSTR* ppName, LONG* pTimeBias, FLOAT* pPercentDeadband,
                        DWORD* pLCID, OPCHANDLE* phClientGroup, OPCHANDLE* phServerGroup) {
  MethodCall call = Begin("IOPCGroupStateMgt::GetState");
  call.Begin();
  if (ppName) *ppName = nullptr;
  if (call.ShortCircuit()) return call.FaultResult();
  if (!pUpdateRate || !pActive || !ppName || !pTimeBias || !pPercentDeadband || !pLCID || !phClientGroup ||
      !phServerGroup)
    return call.Return(E_INVALIDARG);
  std::lock_guard<std::mutex> lock(core_->mutex);
  *ppName = comown::task_copy(settings.name).release();
  if (!*ppName) return call.Return(E_OUTOFMEMORY);
  *pUpdateRate = settings.updateRate;
  *pActive = settings.active ? TRUE : FALSE;
  *pTimeBias = settings.timeBias;
  *pPercentDeadband = settings.deadband;
  *pLCID = settings.lcid;
  *phClientGroup = settings.hClientGroup;
  *phServerGroup = handle;
  return call.Return(S_OK);
}

HRESULT Group::SetState(DWORD* pRequestedUpdateRate, DWORD* pRevisedUpdateRate, BOOL* pActive, LONG* pTimeBias,
                        FLOAT* pPercentDeadband, DWORD* pLCID, OPCHANDLE* phClientGroup) {
  MethodCall call = Begin("IOPCGroupStateMgt::SetState");
  call.Optional("updateRate", pRequestedUpdateRate)
      .OptionalFlag("active", pActive)
      .Optional("timeBias", pTimeBias)
      .Optional("deadband", pPercentDeadband)
      .Optional("lcid", pLCID)
      .Optional("clientGroup", phClientGroup)
      .Begin();
  if (call.ShortCircuit()) return call.FaultResult();
  if (pPercentDeadband && (*pPercentDeadband < 0.0f || *pPercentDeadband > 100.0f)) return call.Return(E_INVALIDARG);
  std::lock_guard<std::mutex> lock(core_->mutex);
  HRESULT result = S_OK;
  if (pRequestedUpdateRate) {
    settings.updateRate = std::max(*pRequestedUpdateRate, core_->options.minUpdateRate);
    if (settings.updateRate != *pRequestedUpdateRate) result = OPC_S_UNSUPPORTEDRATE;
  }
  if (pRevisedUpdateRate) *pRevisedUpdateRate = settings.updateRate;
  if (pActive) settings.active = *pActive != FALSE;
  if (pTimeBias) settings.timeBias = *pTimeBias;
  if (pPercentDeadband) settings.deadband = *pPercentDeadband;
  if (pLCID) settings.lcid = *pLCID;
  if (phClientGroup) settings.hClientGroup = *phClientGroup;
  return call.Return(result);
}

HRESULT Group::SetName(LPCWSTR szName) {
  MethodCall call = Begin("IOPCGroupStateMgt::SetName");
  call.Arg("name", szName).Begin();
  if (call.ShortCircuit()) return call.FaultResult();
  if (!szName || !*szName) return call.Return(E_INVALIDARG);
  std::shared_ptr<ServerState> server = server_.lock();
  std::lock_guard<std::mutex> lock(core_->mutex);
  if (server && NameTaken(*server, comown::view(szName), this)) return call.Return(OPC_E_DUPLICATENAME);
  settings.name = szName;
  return call.Return(S_OK);
}

HRESULT Group::CloneGroup(LPCWSTR szName, REFIID riid, LPUNKNOWN* ppUnk) {
  MethodCall call = Begin("IOPCGroupStateMgt::CloneGroup");
  call.Arg("name", szName).Iid("iid", riid).Begin();
  if (ppUnk) *ppUnk = nullptr;
  if (call.ShortCircuit()) return call.FaultResult();
  if (!ppUnk) return call.Return(E_INVALIDARG);
  std::shared_ptr<ServerState> server = server_.lock();
  if (!server) return call.Return(E_FAIL);  // the server object is gone
  com_ptr<Group> clone;
  {
    std::lock_guard<std::mutex> lock(core_->mutex);
    GroupSettings copy = settings;
    copy.name = wide_string(comown::view(szName));
    copy.active = false;  // a clone starts inactive
    HRESULT hr = CreateGroup(core_, server, copy, &clone);
    if (FAILED(hr)) return call.Return(hr);
    clone->items = items;
    for (GroupItem& item : clone->items) {
      item.hServer = core_->nextItemHandle++;
      item.notified = false;
    }
    clone->Reindex();
  }
  HRESULT hr = clone->QueryInterface(riid, reinterpret_cast<void**>(ppUnk));
  if (FAILED(hr)) DropCreatedGroup(*core_, *server, clone.get());
  return call.Return(hr);
}

}  // namespace opcsim
