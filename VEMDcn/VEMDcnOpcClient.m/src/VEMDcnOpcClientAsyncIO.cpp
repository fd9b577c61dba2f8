// The asynchronous group: its subscription to the group's data callbacks and
// its writes, which return once the server has taken them.
#include <new>

#include "QARXHContext.h"
#include "VEMDcnOpcClient.h"
#include "VEMDcnOpcClientConnection.h"
#include "VEMDcnOpcClientGroupAccess.h"
#include "VEMDcnOpcClientInternal.h"

using vemdcn::ErrorSlot;

namespace {

long FailureCode(HRESULT hr) { return FAILED(hr) ? hr : E_FAIL; }

}  // namespace

long VEMDcnOpcClient::_AsyncInterfaceInit(VEMDcnOpcGroup* group) {
  if (group == nullptr || !group->_pAsyncIO2 || !_Connection) return S_OK;
  Connection& connection = *_Connection;
  ErrorSlot error;
  HRESULT result = S_OK;
  bool advised = false;
  QARXHContext guard;
  const int completed = guard.Run([&] {
    // The client's reference; the server takes its own in Advise.
    connection.dataCallback =
        comown::com_ptr<VEMDcnOpcDataCallback>(new (std::nothrow) VEMDcnOpcDataCallback, comown::add_ref);
    if (!connection.dataCallback) {
      vemdcn::LogOutOfMemory();
      result = E_OUTOFMEMORY;
      return;
    }
    if (!group->_pGroupUnknown) return;
    comown::com_ptr<IConnectionPointContainer> container;
    HRESULT hr = group->_pGroupUnknown.as(container);
    if (FAILED(hr) || !container) {
      result = FailureCode(hr);
      error.reset(_GetError(hr, "IUnknown::QueryInterface(IID_IConnectionPointContainer)", group->_pGroupUnknown.get()));
      return;
    }
    hr = container->FindConnectionPoint(IID_IOPCDataCallback, connection.connectionPoint.put());
    if (FAILED(hr) || !connection.connectionPoint) {
      result = FailureCode(hr);
      error.reset(_GetError(hr, "IConnectionPointContainer::FindConnectionPoint(IID_IOPCDataCallback)", container.get()));
      return;
    }
    DWORD cookie = 0;
    hr = connection.connectionPoint->Advise(connection.dataCallback.get(), &cookie);
    if (FAILED(hr)) {
      result = hr;
      error.reset(_GetError(hr, "IConnectionPoint::Advise", connection.connectionPoint.get()));
      return;
    }
    connection.adviseCookie = cookie;
    advised = true;
    // Completions are all this client wants: no data-change notifications.
    result = group->_pAsyncIO2->SetEnable(FALSE);
  });
  if (!completed) {
    result = E_FAIL;
    error.reset(_GetError(E_FAIL, vemdcn::RaisedMessage(guard.GetError(), __LINE__), nullptr));
    guard.Flush();
  }
  if (FAILED(result)) {
    // A failed set-up gives back at once what it took. The cookie of a failed
    // Advise means nothing: what the server may have kept of the callback goes
    // with the group, which the definition removes.
    if (advised) {
      connection.EndSubscription();
    } else {
      connection.connectionPoint.reset();
      connection.dataCallback.reset();
    }
  }
  return error.Return(result, __LINE__);
}

long VEMDcnOpcClient::_AsyncInterfaceEnd() {
  if (!_Connection) return S_OK;
  ErrorSlot error;
  const HRESULT hr = _Connection->EndSubscription([&](QARError* raised) {
    error.reset(_GetError(E_FAIL, vemdcn::RaisedMessage(raised, __LINE__), nullptr));
  });
  return error.Return(hr, __LINE__);
}

long VEMDcnOpcClient::ASyncWriteGroup(unsigned long groupHandle, VARIANT* values, const unsigned char& useGIT) {
  return vemdcn::Guarded([&]() -> long {
    vemdcn::PackedWrite packed;
    const long refused = packed.Start(_Groups(), groupHandle, values, useGIT != 0, static_cast<bool>(_pGIT));
    if (refused != S_OK) return refused;
    VEMDcnOpcGroup* group = &packed.Group();

    comown::com_ptr<IOPCAsyncIO2> fetched;
    IOPCAsyncIO2* asyncIO = nullptr;
    HRESULT hr =
        vemdcn::GroupInterface(useGIT != 0, _pGIT.get(), group->_AsyncIO2Cookie, group->_pAsyncIO2, fetched, asyncIO);
    LARGE_INTEGER start = {};
    if (_TraceOn) QueryPerformanceCounter(&start);
    comown::task_values<HRESULT> errors;
    if (SUCCEEDED(hr) && asyncIO != nullptr) {
      DWORD cancelId = 0;  // nothing is ever cancelled
      hr = asyncIO->Write(packed.Count(), packed.Handles(), packed.Values(), 0, &cancelId, errors.put());
    }
    packed.Finish();
    if (_TraceOn)
      _LogDuration("\t\t\tVEMDcnOpcClient -> OPCAsyncIO2 write method duration ", start.QuadPart, packed.Count(), "%u");
    fetched.reset();

    ErrorSlot error;
    if (FAILED(hr)) {
      error.reset(_GetError(hr, "IOPCAsyncIO2->Write", nullptr));
    } else if (hr == S_FALSE) {
      error.reset(_GetError(S_FALSE, "IOPCAsyncIO2->Write - Partial failure", nullptr));
      hr = E_FAIL;
    }
    return error.Return(hr, __LINE__);
  });
}
