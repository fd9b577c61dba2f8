// Discovery: the ProgIDs of the OPC DA 2.0 servers a host offers.
#include "VEMDcnOpcClient.h"
#include "VEMDcnOpcClientInternal.h"

using vemdcn::ErrorSlot;

namespace {

// No host offers this many servers: an enumeration still going after so many
// classes never ends (a server answering S_OK with its last class forever).
const unsigned int kMostServerClasses = 100000;

QARUnicodeString EndlessEnumerationContext() {
  QARUnicodeString count;
  count.BuildFromNum(kMostServerClasses, "%u");
  return QARUnicodeString("IEnumGUID::Next: no end after ") + count + QARUnicodeString(" classes");
}

// The next class of the enumeration. A server that counts a class but hands
// out none (the null class identifier) would otherwise be asked for the
// details of nothing until the walk's bound: E_POINTER, as for a name.
HRESULT NextClass(IEnumGUID& classes, GUID& clsid, ULONG& fetched) {
  clsid = GUID_NULL;
  fetched = 0;
  const HRESULT hr = classes.Next(1, &clsid, &fetched);
  if (SUCCEEDED(hr) && fetched > 0 && IsEqualGUID(clsid, GUID_NULL)) return E_POINTER;
  return hr;
}

}  // namespace

long VEMDcnOpcClient::GetOpcServerList(QARListValQARUnicodeString** serverList) {
  return vemdcn::Guarded([&]() -> long {
    if (serverList == nullptr) {
      QARSysLogError(vemdcn::kInvalidNullInputPointer);
      return E_POINTER;
    }
    comown::com_ptr<IOPCServerList> component;
    long hr = _ActivateServerList(component);
    if (FAILED(hr)) return hr;
    _Started = true;
    if (!component) return hr;

    ErrorSlot error;
    CATID category = CATID_OPCDAServer20;
    comown::com_ptr<IEnumGUID> classes;
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

    GUID clsid = GUID_NULL;
    ULONG fetched = 0;
    hr = NextClass(*classes, clsid, fetched);
    if (FAILED(hr)) {
      error.reset(_GetError(hr, "IEnumGUID::Next", nullptr));
      return error.Return(hr, __LINE__);
    }
    for (unsigned int walked = 0; fetched > 0; ++walked) {
      if (walked == kMostServerClasses) {
        hr = E_FAIL;
        error.reset(_GetError(hr, EndlessEnumerationContext(), nullptr));
        break;
      }
      comown::task_string progID;
      comown::task_string userType;
      const HRESULT details = component->GetClassDetails(clsid, progID.put(), userType.put());
      if (SUCCEEDED(details)) {
        if (*serverList == nullptr) *serverList = new QARListValQARUnicodeString();
        (*serverList)->Append(QARUnicodeString(progID.get()));
      } else {
        comown::task_string registered;
        QARUnicodeString context("IOPCServerList::GetClassDetails");
        if (SUCCEEDED(ProgIDFromCLSID(clsid, registered.put())) && registered)
          context = QARUnicodeString("IOPCServerList::GetClassDetails(") + QARUnicodeString(registered.get()) +
                    QARUnicodeString(")");
        error.reset(_GetError(details, context, nullptr));
      }
      hr = NextClass(*classes, clsid, fetched);
      if (FAILED(hr)) {
        error.reset(_GetError(hr, "IEnumGUID::Next", nullptr));
        break;
      }
      if (hr == S_FALSE) hr = S_OK;
    }
    return error.Return(hr, __LINE__);
  });
}
