// The client object: construction, start, stop and reset of a connection.
#include "VEMDcnOpcClient.h"

#include <cstring>
#include <memory>
#include <vector>

#include "QAREnvironment.h"
#include "QARMsgCatalog.h"
#include "VEMDcnOpcClientConnection.h"
#include "VEMDcnOpcClientInternal.h"

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

QARUnicodeString RaisedMessage(QARError* raised, int line) {
  AssertionFailed(line);
  return raised != nullptr ? raised->GetNLSMessage() : QARUnicodeString();
}
}  // namespace vemdcn

namespace {

// The trace switch is read once, at construction: "yes" exactly.
bool TraceRequested() {
  char* raw = nullptr;
  const HRESULT hr = QARGetEnvValue("VEMDcnOpcClientLog", &raw);
  const std::unique_ptr<char[]> value(raw);  // the framework allocates it with new[]
  return SUCCEEDED(hr) && value != nullptr && std::strcmp(value.get(), "yes") == 0;
}

// The error that wraps a failed activation or dispatch: only when the inner
// error is one of ours; the inner error is then no longer the last error.
VEMDcnOpcError* WrapInnerError(long hr, const char* key, const QARUnicodeString* serverName) {
  const comown::com_ptr<QARError> inner(QARError::QARGetLastError(hr, nullptr), comown::attach);
  if (!inner || !inner->IsAKindOf("VEMDcnOpcError")) return nullptr;
  comown::com_ptr<VEMDcnOpcError> wrapped(new (std::nothrow) VEMDcnOpcError(key, VEMDCN_CATALOG), comown::attach);
  if (wrapped) {
    const QARUnicodeString innerMessage = inner->GetNLSMessage();
    if (serverName != nullptr)
      wrapped->SetNLSParameters(2, serverName, &innerMessage);
    else
      wrapped->SetNLSParameters(1, &innerMessage);
  }
  QARError::QARCleanLastError();
  return wrapped.detach();
}

}  // namespace

QARUnicodeString VEMDcnOpcClient::_TraceText;
ULONGLONG VEMDcnOpcClient::_TicksPerMicrosecond = 0;

VEMDcnOpcClient::VEMDcnOpcClient(const unsigned char& useGlobalInterfaceTable)
    : _MultiQI(),
      _ErrorId(1),
      _PercentDeadband(0.0f),
      _UpdateRate(0),
      _Started(false),
      _ComInitialized(false),
      _ComThreadId(0),
      _TraceOn(false),
      _NextClientHandle(1),
      _BrowseAvailable(true),
      _BrowseBranchCount(0) {
  if (TraceRequested() && SUCCEEDED(_TraceLine("\t\tVEMDcnOpcClient -> OPC Client created"))) {
    _TraceOn = true;
    _MeasureTicksPerMicrosecond();
  }
  _Init();

  if (useGlobalInterfaceTable) {
    const HRESULT hr = CoCreateInstance(CLSID_StdGlobalInterfaceTable, nullptr, CLSCTX_INPROC_SERVER,
                                        IID_IGlobalInterfaceTable, _pGIT.put_void());
    if (FAILED(hr)) {
      _pGIT.reset();
      VEMDcnOpcError* error = _GetError(hr, "CoCreateInstance(CLSID_StdGlobalInterfaceTable)", nullptr);
      if (error != nullptr) error->Throw(VEMDCN_CLIENT_SOURCE, __LINE__, nullptr);
    }
  }
}

VEMDcnOpcClient::~VEMDcnOpcClient() {
  // Whatever owns the client, its destruction must not end the process: a
  // failed stop is reported where the host can find it, never raised. The
  // host's last error stays unless there is something to report. A client
  // destroyed on another thread than its start still drops its connection
  // with its members, since no later stop can; the starting thread's COM
  // start-up then stays unbalanced.
  vemdcn::Guarded(
      [this] {
        const long hr = OpcStop();
        if (FAILED(hr)) {
          VEMDcnOpcError* error = _GetError(hr, "OpcStop", nullptr);
          if (error != nullptr) error->ReportUnhandled(VEMDCN_CLIENT_SOURCE, __LINE__);
        }
        if (_TraceOn) {
          _TraceLine("\t\tVEMDcnOpcClient -> OPC Client deleted");
          _TraceOn = false;
        }
      },
      vemdcn::LastError::Keep);
}

void VEMDcnOpcClient::_Init() {
  _InitializeMultiQIarray(true);
  _ErrorId = 1;
  _SupportedDataTypes.RemoveAll(QARCollec::MemoryHandling(1));
  _InitSupportedDataType();
  _PercentDeadband = 0.0f;
  _UpdateRate = 0;
  _Started = false;
  _ComInitialized = false;
  _NextClientHandle = 1;
  _BrowseAvailable = true;
}

long VEMDcnOpcClient::SetHostName(const QARUnicodeString& hostName) {
  return vemdcn::Guarded([&]() -> long {
    _HostName = hostName;
    return S_OK;
  });
}

long VEMDcnOpcClient::GetOpcSrvName(QARUnicodeString& serverName) {
  return vemdcn::Guarded([&]() -> long {
    serverName = _ServerName;
    return S_OK;
  });
}

long VEMDcnOpcClient::OpcStart(const QARUnicodeString& serverName, const QARUnicodeString& hostName,
                               unsigned int updateRate, float percentDeadband) {
  return vemdcn::Guarded([&]() -> long {
    // A client holds one connection: an earlier one goes back to its server first.
    if (_Connection) {
      _Connection.reset();
      _Started = false;
    }
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
  });
}

long VEMDcnOpcClient::OpcStop() {
  return vemdcn::Guarded([&]() -> long {
    ErrorSlot error;
    if (_ComInitialized && GetCurrentThreadId() != _ComThreadId) {
      // The apartment and every interface of the connection belong to the
      // thread that started the client: uninitialising COM here would end
      // this thread's own set-up, and releasing proxies from another
      // apartment is not allowed. All of it is left for the starting thread.
      error.reset(_GetError(RPC_E_WRONG_THREAD, "OpcStop: called on another thread than OpcStart", nullptr));
      if (error.has()) error.get()->SetReturnCode(RPC_E_WRONG_THREAD);
      return error.Return(RPC_E_WRONG_THREAD, __LINE__);
    }

    long result = S_OK;
    if (_Started) {
      if (_pOPCServer() == nullptr) {
        QARSysLogError(vemdcn::kInvalidNullInputPointer);
        result = E_POINTER;
      } else {
        result = _Connection->RemoveGroups(
            [&](HRESULT failed, const char* context) { error.reset(_GetError(failed, context, nullptr)); },
            [&](QARError* raised) { error.reset(_GetError(E_FAIL, vemdcn::RaisedMessage(raised, __LINE__), nullptr)); });
        _pGIT.reset();
      }
    }
    _Connection.reset();  // also what a start cut short (out of memory) left
    // Every CoInitializeEx this client made is balanced here, also the one of a
    // start that failed before it reached the server.
    if (_ComInitialized) {
      _ComInitialized = false;
      CoUninitialize();
    }
    _Started = false;
    _Init();
    return error.Return(result, __LINE__);
  });
}
