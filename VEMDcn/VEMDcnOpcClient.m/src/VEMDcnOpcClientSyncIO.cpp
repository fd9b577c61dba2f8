// Synchronous read and write of a whole group: one server call each, values
// moved bit for bit.
#include "VEMDcnOpcClient.h"
#include "VEMDcnOpcClientConnection.h"
#include "VEMDcnOpcClientGroupAccess.h"
#include "VEMDcnOpcClientInternal.h"

using vemdcn::ErrorSlot;

long VEMDcnOpcClient::SyncReadGroup(unsigned long groupHandle, VARIANT* values, const unsigned char& useGIT,
                                    OPCDATASOURCE source) {
  return vemdcn::Guarded([&]() -> long {
    VEMDcnOpcGroup* group = values != nullptr ? vemdcn::FindGroup(_Groups(), groupHandle) : nullptr;
    if (group == nullptr || (useGIT && !_pGIT)) {
      QARSysLogError(vemdcn::kInvalidNullInputPointer);
      return E_POINTER;
    }
    const unsigned int count = group->_NbItems;

    comown::com_ptr<IOPCSyncIO> fetched;
    IOPCSyncIO* syncIO = nullptr;
    HRESULT hr = vemdcn::GroupInterface(useGIT != 0, _pGIT.get(), group->_SyncIOCookie, group->_pSyncIO, fetched, syncIO);
    LARGE_INTEGER start = {};
    if (_TraceOn) QueryPerformanceCounter(&start);
    comown::task_item_states states;
    comown::task_values<HRESULT> errors;
    if (SUCCEEDED(hr) && syncIO != nullptr) {
      hr = syncIO->Read(source, count, group->_pServerHandles.get(), states.put(), errors.put());
      states.set_size(count);
    }
    if (_TraceOn) _LogDuration("\t\t\tVEMDcnOpcClient -> OPCSyncIO read method duration ", start.QuadPart, count, "%u");
    fetched.reset();

    ErrorSlot error;
    if (FAILED(hr)) {
      error.reset(_GetError(hr, "IOPCSyncIO->Read()", useGIT ? nullptr : group->_pSyncIO.get()));
    } else if (hr != S_OK) {
      error.reset(_GetError(hr, "IOPCSyncIO->Read() - Partial Error", nullptr));
      hr = E_FAIL;
    } else if (!states && count > 0) {
      // A success without the values reads nothing.
      error.reset(_GetError(hr, "IOPCSyncIO->Read()", useGIT ? nullptr : group->_pSyncIO.get()));
      hr = E_FAIL;
    } else {
      for (unsigned int i = 0; i < count; ++i) values[i] = states[i].vDataValue;
      states.set_size(0);  // what the values own is the caller's now
    }
    return error.Return(hr, __LINE__);
  });
}

long VEMDcnOpcClient::SyncWriteGroup(unsigned long groupHandle, VARIANT* values, const unsigned char& useGIT) {
  return vemdcn::Guarded([&]() -> long {
    vemdcn::PackedWrite packed;
    const long refused = packed.Start(_Groups(), groupHandle, values, useGIT != 0, static_cast<bool>(_pGIT));
    if (refused != S_OK) return refused;
    VEMDcnOpcGroup* group = &packed.Group();

    comown::com_ptr<IOPCSyncIO> fetched;
    IOPCSyncIO* syncIO = nullptr;
    HRESULT hr = vemdcn::GroupInterface(useGIT != 0, _pGIT.get(), group->_SyncIOCookie, group->_pSyncIO, fetched, syncIO);
    LARGE_INTEGER start = {};
    if (_TraceOn) QueryPerformanceCounter(&start);
    comown::task_values<HRESULT> errors;
    if (SUCCEEDED(hr) && syncIO != nullptr)
      hr = syncIO->Write(packed.Count(), packed.Handles(), packed.Values(), errors.put());
    packed.Finish();
    if (_TraceOn)
      _LogDuration("\t\t\tVEMDcnOpcClient -> OPCSyncIO write method duration ", start.QuadPart, packed.Count(), "%u");
    fetched.reset();

    ErrorSlot error;
    if (FAILED(hr)) {
      error.reset(_GetError(hr, "IOPCSyncIOInput->Write", nullptr));
    } else if (hr == S_FALSE) {
      error.reset(_GetError(S_FALSE, "IOPCSyncIOInput->Write - Partial failure", nullptr));
      hr = E_FAIL;
    }
    return error.Return(hr, __LINE__);
  });
}
