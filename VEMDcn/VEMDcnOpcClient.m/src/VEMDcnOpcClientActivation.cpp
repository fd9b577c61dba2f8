// COM start-up, activation of the server (local or remote) and the dispatch of
// its interfaces into the client's members.
#include <new>
#include <vector>

#include "ComPtr.h"
#include "VEMDcnOpcClient.h"
#include "VEMDcnOpcClientInternal.h"

using vemdcn::com_ptr;
using vemdcn::ErrorSlot;

namespace {

const IID* const kDispatchedInterfaces[4] = {&IID_IOPCServer, &IID_IOPCCommon, &IID_IOPCBrowseServerAddressSpace,
                                             &IID_IOPCItemProperties};

// A success that comes without its pointer, or a failure that comes with one:
// the server broke the activation contract.
// The fault is reported, and a stray pointer that came with a failure is
// given back so that nothing of the server is held by accident.
void CheckEntry(MULTI_QI& entry, int line) {
  const bool contradicts = SUCCEEDED(entry.hr) ? entry.pItf == nullptr : entry.pItf != nullptr;
  if (!contradicts) return;
  vemdcn::AssertionFailed(line);
  if (FAILED(entry.hr)) {
    entry.pItf->Release();
    entry.pItf = nullptr;
  }
}

}  // namespace

long VEMDcnOpcClient::_InitializeCOMLibrary() {
  const HRESULT hr = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  if (FAILED(hr)) {
    return vemdcn::ReturnError(_GetError(hr, "CoInitializeEx(COINIT_APARTMENTTHREADED)", nullptr), hr, __LINE__);
  }
  _ComInitialized = true;
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
  if (hostName != "localhost" && hostName.GetLengthInChar() != 0) {
    if (SUCCEEDED(_BuildServerInfoStruct(hostName, &serverInfo))) remote = &serverInfo;
  }
  _InitializeMultiQIarray(false);

  const HRESULT hr = CoCreateInstanceEx(clsid, nullptr, CLSCTX_SERVER, remote, static_cast<DWORD>(count), multiQI);
  ErrorSlot error;
  if (FAILED(hr)) error.reset(_GetError(hr, "CoCreateInstanceEx", nullptr));
  delete[] serverInfo.pwszName;
  return error.Return(hr, __LINE__);
}

long VEMDcnOpcClient::_DispatchInterfaces() {
  ErrorSlot error;
  long result = _MultiQI[0].hr;

  CheckEntry(_MultiQI[0], __LINE__);
  if (SUCCEEDED(_MultiQI[0].hr)) {
    _pOPCServer = static_cast<IOPCServer*>(_MultiQI[0].pItf);
    if (_pOPCServer == nullptr) result = E_FAIL;
  } else {
    error.reset(_GetError(_MultiQI[0].hr, "Failed to query IOPCServer", nullptr));
  }

  CheckEntry(_MultiQI[1], __LINE__);
  if (SUCCEEDED(_MultiQI[1].hr)) {
    result |= _MultiQI[1].hr;
    _pOPCCommon = static_cast<IOPCCommon*>(_MultiQI[1].pItf);
    if (_pOPCCommon == nullptr) {
      result |= E_FAIL;
    } else {
      result = _pOPCCommon->SetClientName(vemdcn::kClientName);
      if (FAILED(result)) error.reset(_GetError(result, "IOPCCommon::SetClientName", nullptr));
    }
  } else {
    error.reset(_GetError(_MultiQI[1].hr, "Failed to query IOPCCommon", nullptr));
  }

  CheckEntry(_MultiQI[2], __LINE__);
  if (SUCCEEDED(_MultiQI[2].hr)) {
    result |= _MultiQI[2].hr;
    _pBrowseAddressSpace = static_cast<IOPCBrowseServerAddressSpace*>(_MultiQI[2].pItf);
  } else {
    _BrowseAvailable = false;
  }

  CheckEntry(_MultiQI[3], __LINE__);
  if (SUCCEEDED(_MultiQI[3].hr)) {
    result |= _MultiQI[3].hr;
    _pItemProperties = static_cast<IOPCItemProperties*>(_MultiQI[3].pItf);
  } else {
    error.reset(_GetError(_MultiQI[3].hr, "Failed to query IOPCItemProperties", nullptr));
  }

  _Started = _pOPCServer != nullptr;
  return error.Return(result, __LINE__);
}

// The server-list component on _HostName, shared by the class lookup and the
// discovery of servers.
long VEMDcnOpcClient::_ActivateServerList(IOPCServerList** serverList) {
  *serverList = nullptr;
  if (!_ComInitialized) {
    const long hr = _InitializeCOMLibrary();
    if (FAILED(hr)) return hr;
  }
  MULTI_QI entry = {&IID_IOPCServerList, nullptr, 0};
  const long hr = _CreateLocalOrRemoteServer(_HostName, CLSID_OpcServerList, &entry, 1);
  if (FAILED(hr)) return hr;
  if (FAILED(entry.hr)) {
    if (entry.pItf != nullptr) entry.pItf->Release();
    const QARUnicodeString context = QARUnicodeString("CoCreateIntanceEx - ") + _HostName;
    return vemdcn::ReturnError(_GetError(entry.hr, context, nullptr), entry.hr, __LINE__);
  }
  *serverList = static_cast<IOPCServerList*>(entry.pItf);
  return hr;
}

long VEMDcnOpcClient::GetOpcServerCLSID(unsigned short* progID, GUID& clsid) {
  if (progID == nullptr) return E_FAIL;
  IOPCServerList* rawList = nullptr;
  const long activated = _ActivateServerList(&rawList);
  com_ptr<IOPCServerList> serverList = com_ptr<IOPCServerList>::adopt(rawList);
  if (FAILED(activated) || !serverList) return activated;

  GUID found = GUID_NULL;
  const HRESULT hr = serverList->CLSIDFromProgID(reinterpret_cast<LPCOLESTR>(progID), &found);
  if (SUCCEEDED(hr)) clsid = found;
  return hr;
}
