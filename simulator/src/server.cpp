// The DA server object: IUnknown, IOPCServer and IOPCCommon.
#include <algorithm>

#include "objects.h"

namespace opcsim {

namespace {

LONG LocalTimeBias() {
  TIME_ZONE_INFORMATION tz;
  return GetTimeZoneInformation(&tz) == TIME_ZONE_ID_INVALID ? 0 : tz.Bias;
}


}  // namespace

Server::Server(std::shared_ptr<Core> core, std::size_t classIndex)
    : core_(std::move(core)), state_(std::make_shared<ServerState>()) {
  state_->classIndex = classIndex;
  state_->start = Now();
  state_->lastUpdate = state_->start;
  EnableFreeThreadedMarshaler(static_cast<IOPCServer*>(this));
}

HRESULT Server::Create(std::shared_ptr<Core> core, std::size_t classIndex, REFIID riid, void** ppv) {
  com_ptr<Server> server(new Server(core, classIndex), comown::add_ref);
  {
    std::lock_guard<std::mutex> lock(core->mutex);
    server->state_->serial = core->nextServerSerial++;
    auto& servers = core->servers;
    servers.erase(std::remove_if(servers.begin(), servers.end(), [](const auto& s) { return s.expired(); }),
                  servers.end());
    servers.push_back(server->state_);
  }
  // Asked for an interface it lacks, the server goes again with its holder.
  return server->QueryInterface(riid, ppv);
}

Server::~Server() {
  std::vector<com_ptr<Group>> groups;
  {
    std::lock_guard<std::mutex> lock(core_->mutex);
    groups.swap(state_->groups);
  }
  groups.clear();  // outside the lock: a group may release client sinks
}

MethodCall Server::Begin(const char* method) {
  MethodCall call(*core_, method);
  call.Num("server", state_->serial);
  return call;
}

HRESULT Server::QueryInterface(REFIID riid, void** ppv) {
  MethodCall call = Begin("IUnknown::QueryInterface");
  call.Arg("object", "server").Iid("iid", riid).Begin();
  if (!ppv) return call.Return(E_POINTER);
  *ppv = nullptr;
  if (call.ShortCircuit()) return call.FaultResult();
  const ServerClass& cls = core_->Class(state_->classIndex);
  if (IsEqualIID(riid, IID_IUnknown) || (IsEqualIID(riid, IID_IOPCServer) && cls.server)) {
    *ppv = static_cast<IOPCServer*>(this);
  } else if (IsEqualIID(riid, IID_IOPCCommon) && cls.common) {
    *ppv = static_cast<IOPCCommon*>(this);
  } else if (IsEqualIID(riid, IID_IOPCBrowseServerAddressSpace) && cls.browse) {
    *ppv = static_cast<IOPCBrowseServerAddressSpace*>(this);
  } else if (IsEqualIID(riid, IID_IOPCItemProperties) && cls.properties) {
    *ppv = static_cast<IOPCItemProperties*>(this);
  } else if (QueryMarshaler(riid, ppv)) {
    return call.Return(S_OK);
  } else {
    return call.Return(E_NOINTERFACE);
  }
  AddRef();
  return call.Return(S_OK);
}

// ---- IOPCServer ------------------------------------------------------------------

HRESULT Server::AddGroup(LPCWSTR szName, BOOL bActive, DWORD dwRequestedUpdateRate, OPCHANDLE hClientGroup,
                         LONG* pTimeBias, FLOAT* pPercentDeadband, DWORD dwLCID, OPCHANDLE* phServerGroup,
                         DWORD* pRevisedUpdateRate, REFIID riid, LPUNKNOWN* ppUnk) {
  MethodCall call = Begin("IOPCServer::AddGroup");
  call.Arg("name", szName)
      .Flag("active", bActive)
      .Num("updateRate", dwRequestedUpdateRate)
      .Num("clientGroup", hClientGroup)
      .Optional("timeBias", pTimeBias)
      .Optional("deadband", pPercentDeadband)
      .Num("lcid", dwLCID)
      .Iid("iid", riid)
      .Begin();
  if (phServerGroup) *phServerGroup = 0;
  if (pRevisedUpdateRate) *pRevisedUpdateRate = 0;
  if (ppUnk) *ppUnk = nullptr;
  if (call.ShortCircuit()) return call.FaultResult();
  if (!phServerGroup || !pRevisedUpdateRate || !ppUnk) return call.Return(E_INVALIDARG);
  if (pPercentDeadband && (*pPercentDeadband < 0.0f || *pPercentDeadband > 100.0f)) return call.Return(E_INVALIDARG);

  GroupSettings settings;
  settings.name = wide_string(comown::view(szName));
  settings.active = bActive != FALSE;
  settings.updateRate = std::max(dwRequestedUpdateRate, core_->options.minUpdateRate);
  settings.hClientGroup = hClientGroup;
  settings.timeBias = pTimeBias ? *pTimeBias : LocalTimeBias();
  settings.deadband = pPercentDeadband ? *pPercentDeadband : 0.0f;
  settings.lcid = dwLCID;
  com_ptr<Group> group;
  {
    std::lock_guard<std::mutex> lock(core_->mutex);
    HRESULT hr = CreateGroup(core_, state_, settings, &group);
    if (FAILED(hr)) return call.Return(hr);
  }
  HRESULT hr = group->QueryInterface(riid, reinterpret_cast<void**>(ppUnk));
  if (FAILED(hr)) {
    DropCreatedGroup(*core_, *state_, group.get());
    return call.Return(hr);
  }
  *phServerGroup = group->handle;
  *pRevisedUpdateRate = group->settings.updateRate;
  return call.Return(group->settings.updateRate != dwRequestedUpdateRate ? OPC_S_UNSUPPORTEDRATE : S_OK);
}

HRESULT Server::ErrorStringFor(MethodCall& call, HRESULT code, LPWSTR* ppString) {
  wide_string text;
  if (FAILED(ErrorText(code, &text))) return call.Return(E_INVALIDARG);
  *ppString = comown::task_copy(text).release();
  return call.Return(*ppString ? S_OK : E_OUTOFMEMORY);
}

HRESULT Server::GetErrorString(HRESULT dwError, LCID dwLocale, LPWSTR* ppString) {
  MethodCall call = Begin("IOPCServer::GetErrorString");
  call.Hex("error", dwError).Num("lcid", dwLocale).Begin();
  if (ppString) *ppString = nullptr;
  if (call.ShortCircuit()) return call.FaultResult();
  if (!ppString || !IsSupportedLocale(dwLocale)) return call.Return(E_INVALIDARG);
  return ErrorStringFor(call, dwError, ppString);
}

HRESULT Server::GetGroupByName(LPCWSTR szName, REFIID riid, LPUNKNOWN* ppUnk) {
  MethodCall call = Begin("IOPCServer::GetGroupByName");
  call.Arg("name", szName).Iid("iid", riid).Begin();
  if (ppUnk) *ppUnk = nullptr;
  if (call.ShortCircuit()) return call.FaultResult();
  if (!szName || !ppUnk) return call.Return(E_INVALIDARG);
  com_ptr<Group> found;
  {
    std::lock_guard<std::mutex> lock(core_->mutex);
    for (const com_ptr<Group>& g : state_->groups)
      if (g->settings.name == comown::view(szName)) found = g;
  }
  if (!found) return call.Return(E_INVALIDARG);
  return call.Return(found->QueryInterface(riid, reinterpret_cast<void**>(ppUnk)));
}

HRESULT Server::GetStatus(OPCSERVERSTATUS** ppServerStatus) {
  MethodCall call = Begin("IOPCServer::GetStatus");
  call.Begin();
  if (ppServerStatus) *ppServerStatus = nullptr;
  if (call.ShortCircuit()) return call.FaultResult();
  if (!ppServerStatus) return call.Return(E_INVALIDARG);
  comown::task_server_status status(comown::task_mem<OPCSERVERSTATUS>::allocate().release());
  if (!status) return call.Return(E_OUTOFMEMORY);
  OPCSERVERSTATUS& out = *status.get();
  std::lock_guard<std::mutex> lock(core_->mutex);
  const ServerClass& cls = core_->Class(state_->classIndex);
  out.ftStartTime = state_->start;
  out.ftCurrentTime = Now();
  out.ftLastUpdateTime = state_->lastUpdate;
  out.dwServerState = static_cast<OPCSERVERSTATE>(cls.state);
  out.dwGroupCount = static_cast<DWORD>(state_->groups.size());
  out.dwBandWidth = 0xFFFFFFFF;  // unknown, as the standard allows
  out.wMajorVersion = cls.majorVersion;
  out.wMinorVersion = cls.minorVersion;
  out.wBuildNumber = cls.buildNumber;
  out.szVendorInfo = comown::task_copy(comown::to_wide(cls.vendor)).release();
  if (!out.szVendorInfo) return call.Return(E_OUTOFMEMORY);
  *ppServerStatus = status.release();
  return call.Return(S_OK);
}

HRESULT Server::RemoveGroup(OPCHANDLE hServerGroup, BOOL bForce) {
  MethodCall call = Begin("IOPCServer::RemoveGroup");
  call.Num("handle", hServerGroup).Flag("force", bForce).Begin();
  if (call.ShortCircuit()) return call.FaultResult();
  com_ptr<Group> removed;
  {
    std::lock_guard<std::mutex> lock(core_->mutex);
    for (auto it = state_->groups.begin(); it != state_->groups.end(); ++it)
      if ((*it)->handle == hServerGroup) {
        removed = std::move(*it);
        state_->groups.erase(it);
        break;
      }
  }
  if (!removed) return call.Return(E_INVALIDARG);
  // Our list held one reference and `removed` holds it now: any more belong to a client.
  bool inUse = removed->RefCount() > 1;
  removed.reset();
  return call.Return(inUse && !bForce ? OPC_S_INUSE : S_OK);
}

HRESULT Server::CreateGroupEnumerator(OPCENUMSCOPE dwScope, REFIID riid, LPUNKNOWN* ppUnk) {
  MethodCall call = Begin("IOPCServer::CreateGroupEnumerator");
  call.Num("scope", dwScope).Iid("iid", riid).Begin();
  if (ppUnk) *ppUnk = nullptr;
  if (!ppUnk || dwScope < OPC_ENUM_PRIVATE_CONNECTIONS || dwScope > OPC_ENUM_ALL) return call.Return(E_INVALIDARG);
  bool empty = call.WantsEmpty();
  if (!empty && call.ShortCircuit()) return call.FaultResult();
  bool string = IsEqualIID(riid, IID_IEnumString);
  if (!string && !IsEqualIID(riid, IID_IEnumUnknown)) return call.Return(E_NOINTERFACE);
  // Every group is private: the public scopes see none.
  bool publicOnly = dwScope == OPC_ENUM_PUBLIC_CONNECTIONS || dwScope == OPC_ENUM_PUBLIC;
  std::vector<wide_string> names;
  std::vector<com_ptr<IUnknown>> groups;
  if (!empty && !publicOnly) {
    std::lock_guard<std::mutex> lock(core_->mutex);
    for (const com_ptr<Group>& g : state_->groups) {
      names.push_back(g->settings.name);
      groups.emplace_back(static_cast<IOPCItemMgt*>(g.get()), comown::add_ref);
    }
  }
  bool none = names.empty();
  if (string)
    *ppUnk = NewStringEnumerator(core_, std::make_shared<StringList>(std::move(names))).detach();
  else
    *ppUnk = NewUnknownEnumerator(core_, std::move(groups)).detach();
  if (empty) return call.FaultResult();
  return call.Return(none ? S_FALSE : S_OK);
}

// ---- IOPCCommon ------------------------------------------------------------------

HRESULT Server::SetLocaleID(LCID dwLcid) {
  MethodCall call = Begin("IOPCCommon::SetLocaleID");
  call.Num("lcid", dwLcid).Begin();
  if (call.ShortCircuit()) return call.FaultResult();
  if (!IsSupportedLocale(dwLcid)) return call.Return(E_INVALIDARG);
  std::lock_guard<std::mutex> lock(core_->mutex);
  state_->locale = dwLcid;
  return call.Return(S_OK);
}

HRESULT Server::GetLocaleID(LCID* pdwLcid) {
  MethodCall call = Begin("IOPCCommon::GetLocaleID");
  call.Begin();
  if (pdwLcid) *pdwLcid = 0;
  if (call.ShortCircuit()) return call.FaultResult();
  if (!pdwLcid) return call.Return(E_INVALIDARG);
  std::lock_guard<std::mutex> lock(core_->mutex);
  *pdwLcid = state_->locale;
  return call.Return(S_OK);
}

HRESULT Server::QueryAvailableLocaleIDs(DWORD* pdwCount, LCID** pdwLcid) {
  MethodCall call = Begin("IOPCCommon::QueryAvailableLocaleIDs");
  call.Begin();
  if (pdwCount) *pdwCount = 0;
  if (pdwLcid) *pdwLcid = nullptr;
  if (call.ShortCircuit()) return call.FaultResult();
  if (!pdwCount || !pdwLcid) return call.Return(E_INVALIDARG);
  auto ids = comown::task_values<LCID>::allocate(1);
  if (!ids) return call.Return(E_OUTOFMEMORY);
  ids[0] = 0x0409;  // English (United States): the only language of our texts
  *pdwLcid = ids.release();
  *pdwCount = 1;
  return call.Return(S_OK);
}

HRESULT Server::GetErrorString(HRESULT dwError, LPWSTR* ppString) {
  MethodCall call = Begin("IOPCCommon::GetErrorString");
  call.Hex("error", dwError).Begin();
  if (ppString) *ppString = nullptr;
  if (call.ShortCircuit()) return call.FaultResult();
  if (!ppString) return call.Return(E_INVALIDARG);
  return ErrorStringFor(call, dwError, ppString);
}

HRESULT Server::SetClientName(LPCWSTR szName) {
  MethodCall call = Begin("IOPCCommon::SetClientName");
  call.Arg("name", szName).Begin();
  if (call.ShortCircuit()) return call.FaultResult();
  if (!szName) return call.Return(E_INVALIDARG);
  std::lock_guard<std::mutex> lock(core_->mutex);
  state_->clientName = comown::to_utf8(szName);
  return call.Return(S_OK);
}

}  // namespace opcsim
