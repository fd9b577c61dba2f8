// Server status: vendor, version and state as catalogue texts.
#include <utility>

#include "QARMsgCatalog.h"
#include "VEMDcnOpcClient.h"
#include "VEMDcnOpcClientInternal.h"

namespace {

QARUnicodeString Decimal(WORD value) {
  QARUnicodeString text;
  text.BuildFromNum(static_cast<int>(value), "%d");
  return text;
}

}  // namespace

long VEMDcnOpcClient::GetServerStatus(QARUnicodeString& statusText, QARUnicodeString& stateText) {
  return vemdcn::Guarded([&]() -> long {
    IOPCServer* server = _pOPCServer();
    if (server == nullptr) {
      QARSysLogError(vemdcn::kInvalidNullInputPointer);
      return E_POINTER;
    }
    comown::task_server_status record;  // the record and its vendor text
    const long hr = server->GetStatus(record.put());
    if (FAILED(hr)) return vemdcn::ReturnError(_GetError(hr, "IOPCServer::GetStatus", server), hr, __LINE__);
    if (!record) {
      QARSysLogError(vemdcn::kInvalidNullInputPointer);
      return E_POINTER;
    }
    const QARUnicodeString parameters[4] = {QARUnicodeString(record.get()->szVendorInfo),
                                            Decimal(record.get()->wMajorVersion),
                                            Decimal(record.get()->wMinorVersion),
                                            Decimal(record.get()->wBuildNumber)};
    // Both texts or neither: the caller's stay as they were until nothing can fail.
    QARUnicodeString status =
        QARMsgCatalog::BuildMessage(VEMDCN_CATALOG, "VEMOPCINF00", parameters, 4, QARUnicodeString());
    QARUnicodeString state = _GetServerState(record.get()->dwServerState);
    statusText = std::move(status);
    stateText = std::move(state);
    return hr;
  });
}

QARUnicodeString VEMDcnOpcClient::_GetServerState(OPCSERVERSTATE state) {
  static const char* const kStateKeys[] = {"VEMOPCINF01", "VEMOPCINF02", "VEMOPCINF03", "VEMOPCINF04",
                                           "VEMOPCINF05"};
  const DWORD value = state;  // any 32-bit value: servers send what they like
  if (value < OPC_STATUS_RUNNING || value > OPC_STATUS_TEST) return QARUnicodeString();
  return vemdcn::CatalogText(kStateKeys[value - OPC_STATUS_RUNNING]);
}
