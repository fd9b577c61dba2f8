// Discovery: the ProgIDs of the OPC DA 2.0 servers a host offers.
#include "ComPtr.h"
#include "VEMDcnOpcClient.h"
#include "VEMDcnOpcClientInternal.h"

using vemdcn::com_ptr;
using vemdcn::ErrorSlot;
using vemdcn::task_mem;

long VEMDcnOpcClient::GetOpcServerList(QARListValQARUnicodeString** serverList) {
  if (serverList == nullptr) {
    QARSysLogError(vemdcn::kInvalidNullInputPointer);
    return E_POINTER;
  }
  IOPCServerList* rawList = nullptr;
  long hr = _ActivateServerList(&rawList);
  com_ptr<IOPCServerList> component = com_ptr<IOPCServerList>::adopt(rawList);
  if (FAILED(hr)) return hr;
  _Started = true;
  if (!component) return hr;

  ErrorSlot error;
  CATID category = CATID_OPCDAServer20;
  com_ptr<IEnumGUID> classes;
  hr = component->EnumClassesOfCategories(1, &category, 0, nullptr, classes.put());
  if (FAILED(hr) || !classes) {
    error.reset(_GetError(hr, "IOPCServerList::EnumClassesOfCategories", nullptr));
    return error.Return(hr, __LINE__);
  }
  hr = classes->Reset();
  if (FAILED(hr)) {
    error.reset(_GetError(hr, "IEnumGUID::Reset", nullptr));
    return error.Return(hr, __LINE__);
  }

  GUID clsid;
  ULONG fetched = 0;
  hr = classes->Next(1, &clsid, &fetched);
  if (FAILED(hr)) {
    error.reset(_GetError(hr, "IEnumGUID::Next", nullptr));
    return error.Return(hr, __LINE__);
  }
  while (fetched > 0) {
    task_mem<OLECHAR> progID;
    task_mem<OLECHAR> userType;
    const HRESULT details = component->GetClassDetails(clsid, progID.put(), userType.put());
    if (SUCCEEDED(details)) {
      if (*serverList == nullptr) *serverList = new QARListValQARUnicodeString();
      (*serverList)->Append(QARUnicodeString(progID.get()));
    } else {
      task_mem<OLECHAR> registered;
      QARUnicodeString context("IOPCServerList::GetClassDetails");
      if (SUCCEEDED(ProgIDFromCLSID(clsid, registered.put())) && registered)
        context = QARUnicodeString("IOPCServerList::GetClassDetails(") + QARUnicodeString(registered.get()) +
                  QARUnicodeString(")");
      error.reset(_GetError(details, context, nullptr));
    }
    fetched = 0;
    hr = classes->Next(1, &clsid, &fetched);
    if (FAILED(hr)) {
      error.reset(_GetError(hr, "IEnumGUID::Next", nullptr));
      break;
    }
    if (hr == S_FALSE) hr = S_OK;
  }
  return error.Return(hr, __LINE__);
}
