// The asynchronous subscription of the client's callback object.
#include "QARXHContext.h"
#include "VEMDcnOpcClient.h"
#include "VEMDcnOpcClientInternal.h"
#include "VEMDcnOpcDataCallback.h"

long VEMDcnOpcClient::_AsyncInterfaceEnd() {
  long result = S_OK;
  if (_pConnectionPoint != nullptr) {
    QARXHContext guard;
    IConnectionPoint* point = _pConnectionPoint;
    const DWORD cookie = _AdviseCookie;
    guard.Run([&] { result = point->Unadvise(cookie); });
    _AdviseCookie = 0;
    _pConnectionPoint->Release();
    _pConnectionPoint = nullptr;
  }
  if (_pDataCallback != nullptr) {
    _pDataCallback->Release();
    _pDataCallback = nullptr;
  }
  return result;
}
