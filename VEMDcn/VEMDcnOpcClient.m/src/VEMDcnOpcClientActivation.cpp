// COM start-up, activation of the server (local or remote) and the dispatch of
// its interfaces into the client's connection.
#include <memory>
#include <new>
#include <utility>

#include "VEMDcnOpcClient.h"
#include "VEMDcnOpcClientConnection.h"
#include "VEMDcnOpcClientInternal.h"

using vemdcn::ErrorSlot;

namespace {

const IID* const kDispatchedInterfaces[4] = {&IID_IOPCServer, &IID_IOPCCommon, &IID_IOPCBrowseServerAddressSpace,
                                             &IID_IOPCItemProperties};

// What the activation said of one requested interface. The reference the
// entry holds is taken over at once, typed as the interface asked for; the
// entry is left clear, without a release.
template <class Interface>
struct Answer {
  explicit Answer(MULTI_QI& entry) noexcept
      : hr(entry.hr),
        // A success without its pointer, or a failure with one: the server
        // broke the activation contract.
        contradicts(SUCCEEDED(entry.hr) ? entry.pItf == nullptr : entry.pItf != nullptr),
        pointer(static_cast<Interface*>(std::exchange(entry.pItf, nullptr)), comown::attach) {
    entry.hr = 0;
    // A stray pointer that came with a failure is given back at once.
    if (FAILED(hr)) pointer.reset();
  }
  // The fault is reported where the dispatch meets the entry.
  void Check(int line) const {
    if (contradicts) vemdcn::AssertionFailed(line);
  }
  bool Usable() const noexcept { return SUCCEEDED(hr) && pointer; }

  HRESULT hr;
  bool contradicts;
  comown::com_ptr<Interface> pointer;
};

}  // namespace

long VEMDcnOpcClient::_InitializeCOMLibrary() {
  const HRESULT hr = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  if (FAILED(hr)) {
    return vemdcn::ReturnError(_GetError(hr, "CoInitializeEx(COINIT_APARTMENTTHREADED)", nullptr), hr, __LINE__);
  }
  _ComInitialized = true;
  _ComThreadId = GetCurrentThreadId();
  return hr;
}

long VEMDcnOpcClient::_UnitializeCOMLibrary() {
  if (!_ComInitialized) return E_FAIL;
  _ComInitialized = false;
  CoUninitialize();
  return S_OK;
}

long VEMDcnOpcClient::_BuildServerInfoStruct(const QARUnicodeString& hostName, COSERVERINFO* serverInfo) const {
  if (serverInfo == nullptr || hostName.GetLengthInChar() == 0) return E_FAIL;
  WCHAR* name = new (std::nothrow) WCHAR[static_cast<size_t>(hostName.GetLengthInChar()) + 1];
  if (name == nullptr) {
    vemdcn::AssertionFailed(__LINE__);
    return E_FAIL;
  }
  hostName.ConvertToWChar(name);
  serverInfo->pwszName = name;
  return S_OK;
}

void VEMDcnOpcClient::_InitializeMultiQIarray(unsigned char setIdentifiers) {
  for (int i = 0; i < 4; ++i) {
    _MultiQI[i].pItf = nullptr;
    _MultiQI[i].hr = 0;
    if (setIdentifiers) _MultiQI[i].pIID = kDispatchedInterfaces[i];
  }
}

long VEMDcnOpcClient::_CreateLocalOrRemoteServer(const QARUnicodeString& hostName, const GUID& clsid,
                                                 MULTI_QI* multiQI, int count) {
  COSERVERINFO serverInfo = {};
  COSERVERINFO* remote = nullptr;
  std::unique_ptr<WCHAR[]> remoteName;  // the wide copy lives as long as the call
  if (hostName != "localhost" && hostName.GetLengthInChar() != 0 &&
      SUCCEEDED(_BuildServerInfoStruct(hostName, &serverInfo))) {
    remoteName.reset(serverInfo.pwszName);
    remote = &serverInfo;
  }
  _InitializeMultiQIarray(false);

  const HRESULT hr = CoCreateInstanceEx(clsid, nullptr, CLSCTX_SERVER, remote, static_cast<DWORD>(count), multiQI);
  ErrorSlot error;
  if (FAILED(hr)) error.reset(_GetError(hr, "CoCreateInstanceEx", nullptr));
  return error.Return(hr, __LINE__);
}

long VEMDcnOpcClient::_DispatchInterfaces() {
  // Every reference the activation returned is owned before anything can fail.
  Answer<IOPCServer> server(_MultiQI[0]);
  Answer<IOPCCommon> common(_MultiQI[1]);
  Answer<IOPCBrowseServerAddressSpace> browse(_MultiQI[2]);
  Answer<IOPCItemProperties> properties(_MultiQI[3]);
  _Connection = std::make_unique<Connection>();
  Connection& connection = *_Connection;
  connection.git = _pGIT;

  ErrorSlot error;
  long result = server.hr;
  server.Check(__LINE__);
  if (server.Usable()) {
    connection.server = std::move(server.pointer);
    _Started = true;  // from here on, whatever cuts the dispatch short
  } else {
    // Also a success without a pointer: the start must not look successful
    // when no server is connected.
    if (SUCCEEDED(server.hr)) result = E_FAIL;
    error.reset(_GetError(FAILED(server.hr) ? server.hr : E_FAIL, "Failed to query IOPCServer", nullptr));
  }

  common.Check(__LINE__);
  if (SUCCEEDED(common.hr)) {
    result |= common.hr;
    if (!common.pointer) {
      result |= E_FAIL;
    } else {
      connection.common = std::move(common.pointer);
      result = connection.common->SetClientName(vemdcn::kClientName);
      if (FAILED(result)) error.reset(_GetError(result, "IOPCCommon::SetClientName", nullptr));
    }
  } else {
    error.reset(_GetError(common.hr, "Failed to query IOPCCommon", nullptr));
  }

  browse.Check(__LINE__);
  if (SUCCEEDED(browse.hr)) {
    result |= browse.hr;
    connection.browse = std::move(browse.pointer);
  } else {
    _BrowseAvailable = false;
  }

  properties.Check(__LINE__);
  if (SUCCEEDED(properties.hr)) {
    result |= properties.hr;
    connection.itemProperties = std::move(properties.pointer);
  } else {
    error.reset(_GetError(properties.hr, "Failed to query IOPCItemProperties", nullptr));
  }

  // Without a server there is no connection: what else the server answered
  // goes back to it now.
  _Started = connection.server != nullptr;
  if (!_Started) _Connection.reset();
  return error.Return(result, __LINE__);
}

// The server-list component on _HostName, shared by the class lookup and the
// discovery of servers.
long VEMDcnOpcClient::_ActivateServerList(comown::com_ptr<IOPCServerList>& serverList) {
  serverList.reset();
  if (!_ComInitialized) {
    const long hr = _InitializeCOMLibrary();
    if (FAILED(hr)) return hr;
  }
  MULTI_QI entry = {&IID_IOPCServerList, nullptr, 0};
  const long hr = _CreateLocalOrRemoteServer(_HostName, CLSID_OpcServerList, &entry, 1);
  Answer<IOPCServerList> answer(entry);
  if (FAILED(hr)) return hr;
  if (FAILED(answer.hr)) {
    const QARUnicodeString context = QARUnicodeString("CoCreateIntanceEx - ") + _HostName;
    return vemdcn::ReturnError(_GetError(answer.hr, context, nullptr), answer.hr, __LINE__);
  }
  serverList = std::move(answer.pointer);
  return hr;
}

long VEMDcnOpcClient::GetOpcServerCLSID(unsigned short* progID, GUID& clsid) {
  return vemdcn::Guarded([&]() -> long {
    if (progID == nullptr) return E_FAIL;
    comown::com_ptr<IOPCServerList> serverList;
    const long activated = _ActivateServerList(serverList);
    if (FAILED(activated) || !serverList) return activated;

    GUID found = GUID_NULL;
    const HRESULT hr = serverList->CLSIDFromProgID(reinterpret_cast<LPCOLESTR>(progID), &found);
    if (SUCCEEDED(hr)) clsid = found;
    return hr;
  });
}
