// The client object: construction, start, stop and reset of a connection.
#include "VEMDcnOpcClient.h"

#include <cstdlib>
#include <cstring>
#include <vector>

#include "QAREnvironment.h"
#include "QARMsgCatalog.h"
#include "VEMDcnOpcClientInternal.h"
#include "VEMDcnOpcGroup.h"

using vemdcn::ErrorSlot;

namespace vemdcn {
const char* const kInvalidNullInputPointer = "Invalid NULL input pointer";
const char* const kInvalidNullPointer = "Invalid NULL pointer";
const WCHAR kClientName[] = OLESTR("RozaduzUrurure");

QARUnicodeString CatalogText(const char* key) {
  return QARMsgCatalog::BuildMessage(VEMDCN_CATALOG, key, nullptr, 0, QARUnicodeString());
}

void AssertionFailed(int line) {
  QARFatalError("AssertionFailed:FALSE", nullptr, nullptr, nullptr, VEMDCN_CLIENT_SOURCE, line);
}
}  // namespace vemdcn

namespace {

// The trace switch is read once, at construction: "yes" exactly.
bool TraceRequested() {
  char* value = nullptr;
  if (FAILED(QARGetEnvValue("VEMDcnOpcClientLog", &value)) || value == nullptr) return false;
  const bool on = std::strcmp(value, "yes") == 0;
  delete[] value;
  return on;
}

template <typename Interface>
void ReleaseAndClear(Interface*& pointer) {
  if (pointer != nullptr) {
    pointer->Release();
    pointer = nullptr;
  }
}

// The error that wraps a failed activation or dispatch: only when the inner
// error is one of ours; the inner error is then no longer the last error.
VEMDcnOpcError* WrapInnerError(long hr, const char* key, const QARUnicodeString* serverName) {
  QARError* inner = QARError::QARGetLastError(hr, nullptr);
  if (inner == nullptr) return nullptr;
  VEMDcnOpcError* wrapped = nullptr;
  if (inner->IsAKindOf("VEMDcnOpcError")) {
    wrapped = new (std::nothrow) VEMDcnOpcError(key, VEMDCN_CATALOG);
    if (wrapped != nullptr) {
      const QARUnicodeString innerMessage = inner->GetNLSMessage();
      if (serverName != nullptr)
        wrapped->SetNLSParameters(2, serverName, &innerMessage);
      else
        wrapped->SetNLSParameters(1, &innerMessage);
    }
    QARError::QARCleanLastError();
  }
  inner->Release();
  return wrapped;
}

}  // namespace

QARUnicodeString VEMDcnOpcClient::_TraceText;
ULONGLONG VEMDcnOpcClient::_TicksPerMicrosecond = 0;

VEMDcnOpcClient::VEMDcnOpcClient(const unsigned char& useGlobalInterfaceTable)
    : _pOPCServer(nullptr),
      _pOPCCommon(nullptr),
      _pBrowseAddressSpace(nullptr),
      _pItemProperties(nullptr),
      _MultiQI(),
      _ErrorId(1),
      _PercentDeadband(0.0f),
      _UpdateRate(0),
      _Started(false),
      _ComInitialized(false),
      _TraceOn(false),
      _NextClientHandle(1),
      _pGIT(nullptr),
      _pDataCallback(nullptr),
      _pConnectionPoint(nullptr),
      _AdviseCookie(0),
      _BrowseAvailable(true),
      _BrowseBranchCount(0) {
  if (TraceRequested()) {
    _TraceText = "\t\tVEMDcnOpcClient -> OPC Client created";
    if (SUCCEEDED(_LogTrace(_TraceText))) {
      _TraceOn = true;
      LARGE_INTEGER frequency;
      QueryPerformanceFrequency(&frequency);
      _TicksPerMicrosecond = static_cast<ULONGLONG>(frequency.QuadPart) / 1000000u;
    }
  }
  _Init();

  _pGIT = nullptr;
  if (useGlobalInterfaceTable) {
    const HRESULT hr = CoCreateInstance(CLSID_StdGlobalInterfaceTable, nullptr, CLSCTX_INPROC_SERVER,
                                        IID_IGlobalInterfaceTable, reinterpret_cast<void**>(&_pGIT));
    if (FAILED(hr)) {
      _pGIT = nullptr;
      VEMDcnOpcError* error = _GetError(hr, "CoCreateInstance(CLSID_StdGlobalInterfaceTable)", nullptr);
      if (error != nullptr) error->Throw(VEMDCN_CLIENT_SOURCE, __LINE__, nullptr);
    }
  }
}

VEMDcnOpcClient::~VEMDcnOpcClient() noexcept(false) {
  const long hr = OpcStop();
  // A table that no Started stop released goes with the client.
  ReleaseAndClear(_pGIT);
  if (FAILED(hr)) {
    VEMDcnOpcError* error = _GetError(hr, "OpcStop", nullptr);
    if (error != nullptr) error->Throw(VEMDCN_CLIENT_SOURCE, __LINE__, nullptr);
  }
  if (_TraceOn) {
    _TraceText = "\t\tVEMDcnOpcClient -> OPC Client deleted";
    _LogTrace(_TraceText);
    _TraceOn = false;
  }
}

void VEMDcnOpcClient::_Init() {
  _pOPCServer = nullptr;
  _pOPCCommon = nullptr;
  _pBrowseAddressSpace = nullptr;
  _pItemProperties = nullptr;
  _InitializeMultiQIarray(true);
  _ErrorId = 1;
  _SupportedDataTypes.RemoveAll(QARCollec::MemoryHandling(1));
  _InitSupportedDataType();
  _PercentDeadband = 0.0f;
  _UpdateRate = 0;
  _Started = false;
  _ComInitialized = false;
  _NextClientHandle = 1;
  _pDataCallback = nullptr;
  _pConnectionPoint = nullptr;
  _AdviseCookie = 0;
  _BrowseAvailable = true;
}

long VEMDcnOpcClient::SetHostName(const QARUnicodeString& hostName) {
  _HostName = hostName;
  return S_OK;
}

long VEMDcnOpcClient::GetOpcSrvName(QARUnicodeString& serverName) {
  serverName = _ServerName;
  return S_OK;
}

long VEMDcnOpcClient::OpcStart(const QARUnicodeString& serverName, const QARUnicodeString& hostName,
                               unsigned int updateRate, float percentDeadband) {
  _ServerName = serverName;
  _HostName = hostName;
  _UpdateRate = updateRate;
  _PercentDeadband = percentDeadband;

  if (!_ComInitialized) {
    const long hr = _InitializeCOMLibrary();
    if (FAILED(hr)) return hr;
  }

  ErrorSlot error;
  std::vector<WCHAR> progID(static_cast<size_t>(_ServerName.GetLengthInChar()) + 1);
  _ServerName.ConvertToWChar(progID.data());
  GUID clsid = GUID_NULL;
  long hr = GetOpcServerCLSID(reinterpret_cast<unsigned short*>(progID.data()), clsid);
  if (FAILED(hr)) {
    const QARUnicodeString message =
        QARMsgCatalog::BuildMessage(VEMDCN_CATALOG, "VEMOPCERR00", &_ServerName, 1, QARUnicodeString());
    error.reset(_GetError(hr, message, nullptr));
    return error.Return(hr, __LINE__);
  }

  hr = _CreateLocalOrRemoteServer(_HostName, clsid, _MultiQI, 4);
  if (FAILED(hr)) {
    error.reset(WrapInnerError(hr, "VEMOPCERR13", &_ServerName));
    return error.Return(hr, __LINE__);
  }

  hr = _DispatchInterfaces();
  if (FAILED(hr)) error.reset(WrapInnerError(hr, "VEMOPCERR14", nullptr));
  return error.Return(hr, __LINE__);
}

long VEMDcnOpcClient::OpcStop() {
  long result = S_OK;
  ErrorSlot error;
  if (_Started) {
    ReleaseAndClear(_pOPCCommon);
    ReleaseAndClear(_pBrowseAddressSpace);
    ReleaseAndClear(_pItemProperties);

    if (_pOPCServer == nullptr) {
      QARSysLogError(vemdcn::kInvalidNullInputPointer);
      result = E_POINTER;
    } else {
      while (_Groups.Size() > 0) {
        VEMDcnOpcGroup* group = _Groups[1];
        if (group != nullptr) {
          if (_pGIT != nullptr) {
            if (group->_SyncIOCookie != 0) {
              result = _pGIT->RevokeInterfaceFromGlobal(group->_SyncIOCookie);
              if (FAILED(result)) error.reset(_GetError(result, "RevokeInterfaceFromGlobal", nullptr));
            }
            if (group->_AsyncIO2Cookie != 0) {
              result = _pGIT->RevokeInterfaceFromGlobal(group->_AsyncIO2Cookie);
              if (FAILED(result)) error.reset(_GetError(result, "RevokeInterfaceFromGlobal", nullptr));
              result = _AsyncInterfaceEnd();
            }
          }
          if (group->_Name == "VEM_APP_INPUTS") result = _AsyncInterfaceEnd();
          const HRESULT removed = _pOPCServer->RemoveGroup(group->_hServerGroup, TRUE);
          if (FAILED(removed)) error.reset(_GetError(removed, "RemoveGroup", nullptr));
        }
        _Groups.RemovePosition(1);
        delete group;
      }
      ReleaseAndClear(_pGIT);
      _Groups.RemoveAll(QARCollec::MemoryHandling(1));
    }
    ReleaseAndClear(_pOPCServer);
  }
  // Every CoInitializeEx this client made is balanced here, also the one of a
  // start that failed before it reached the server.
  if (_ComInitialized) {
    _ComInitialized = false;
    CoUninitialize();
  }
  _Started = false;
  _Init();
  return error.Return(result, __LINE__);
}
