// Server status: vendor, version and state as catalogue texts.
#include "ComPtr.h"
#include "QARMsgCatalog.h"
#include "VEMDcnOpcClient.h"
#include "VEMDcnOpcClientInternal.h"

namespace {

// The status record and its vendor text are both task memory of the server.
struct ServerStatusGuard {
  OPCSERVERSTATUS* status = nullptr;
  ~ServerStatusGuard() {
    if (status == nullptr) return;
    if (status->szVendorInfo != nullptr) CoTaskMemFree(status->szVendorInfo);
    CoTaskMemFree(status);
  }
};

QARUnicodeString Decimal(WORD value) {
  QARUnicodeString text;
  text.BuildFromNum(static_cast<int>(value), "%d");
  return text;
}

}  // namespace

long VEMDcnOpcClient::GetServerStatus(QARUnicodeString& statusText, QARUnicodeString& stateText) {
  if (_pOPCServer == nullptr) {
    QARSysLogError(vemdcn::kInvalidNullInputPointer);
    return E_POINTER;
  }
  ServerStatusGuard record;
  long hr = _pOPCServer->GetStatus(&record.status);
  if (FAILED(hr)) {
    return vemdcn::ReturnError(_GetError(hr, "IOPCServer::GetStatus", _pOPCServer), hr, __LINE__);
  }
  if (record.status == nullptr) {
    QARSysLogError(vemdcn::kInvalidNullInputPointer);
    return E_POINTER;
  }
  const QARUnicodeString parameters[4] = {QARUnicodeString(record.status->szVendorInfo),
                                          Decimal(record.status->wMajorVersion),
                                          Decimal(record.status->wMinorVersion),
                                          Decimal(record.status->wBuildNumber)};
  statusText = QARMsgCatalog::BuildMessage(VEMDCN_CATALOG, "VEMOPCINF00", parameters, 4, QARUnicodeString());
  stateText = _GetServerState(record.status->dwServerState);
  return hr;
}

QARUnicodeString VEMDcnOpcClient::_GetServerState(OPCSERVERSTATE state) {
  static const char* const kStateKeys[] = {"VEMOPCINF01", "VEMOPCINF02", "VEMOPCINF03", "VEMOPCINF04",
                                           "VEMOPCINF05"};
  const DWORD value = state;  // any 32-bit value: servers send what they like
  if (value < OPC_STATUS_RUNNING || value > OPC_STATUS_TEST) return QARUnicodeString();
  return vemdcn::CatalogText(kStateKeys[value - OPC_STATUS_RUNNING]);
}
