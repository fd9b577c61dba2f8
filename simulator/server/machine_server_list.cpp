// IOPCServerList over the component categories of the machine's registry,
// through the system's category manager.
#include "machine_server_list.h"

#include <vector>

#include <comcat.h>

#include "objects.h"

namespace opcsim_server {

namespace {

using comown::com_ptr;

class MachineServerList final : public opcsim::ComObject, public IOPCServerList {
 public:
  explicit MachineServerList(std::shared_ptr<opcsim::Core> core) : core_(std::move(core)) {
    EnableFreeThreadedMarshaler(static_cast<IOPCServerList*>(this));
  }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IOPCServerList)) {
      *ppv = static_cast<IOPCServerList*>(this);
      AddRef();
      return S_OK;
    }
    return QueryMarshaler(riid, ppv) ? S_OK : E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return AddRefImpl(); }
  ULONG STDMETHODCALLTYPE Release() override { return ReleaseImpl(); }

  // The category manager's enumerator is copied into one of ours, which keeps
  // this process alive while a client holds it.
  HRESULT STDMETHODCALLTYPE EnumClassesOfCategories(ULONG cImplemented, CATID rgcatidImpl[], ULONG cRequired,
                                                    CATID rgcatidReq[], IEnumGUID** ppenumClsid) override {
    if (!ppenumClsid) return E_POINTER;
    *ppenumClsid = nullptr;
    com_ptr<ICatInformation> categories;
    HRESULT hr = CoCreateInstance(CLSID_StdComponentCategoriesMgr, nullptr, CLSCTX_INPROC_SERVER, IID_ICatInformation,
                                  categories.put_void());
    if (FAILED(hr)) return hr;
    com_ptr<IEnumGUID> found;
    hr = categories->EnumClassesOfCategories(cImplemented, rgcatidImpl, cRequired, rgcatidReq, found.put());
    if (FAILED(hr)) return hr;
    std::vector<GUID> classes;
    GUID clsid;
    ULONG fetched = 0;
    while (found->Next(1, &clsid, &fetched) == S_OK && fetched == 1) classes.push_back(clsid);
    *ppenumClsid = opcsim::NewGuidEnumerator(core_, std::move(classes)).detach();
    return S_OK;
  }

  HRESULT STDMETHODCALLTYPE GetClassDetails(REFCLSID clsid, LPOLESTR* ppszProgID, LPOLESTR* ppszUserType) override {
    if (!ppszProgID || !ppszUserType) return E_POINTER;
    *ppszProgID = nullptr;
    *ppszUserType = nullptr;
    comown::task_string progId, userType;
    HRESULT hr = ProgIDFromCLSID(clsid, progId.put());
    if (SUCCEEDED(hr)) hr = OleRegGetUserType(clsid, USERCLASSTYPE_FULL, userType.put());
    if (FAILED(hr)) return hr;
    *ppszProgID = progId.release();
    *ppszUserType = userType.release();
    return S_OK;
  }

  HRESULT STDMETHODCALLTYPE CLSIDFromProgID(LPCOLESTR szProgId, LPCLSID clsid) override {
    if (!szProgId || !clsid) return E_POINTER;
    return ::CLSIDFromProgID(szProgId, clsid);
  }

 private:
  std::shared_ptr<opcsim::Core> core_;
};

// Not counted among the live objects: it lives as long as the registration.
class MachineServerListFactory final : public IClassFactory {
 public:
  explicit MachineServerListFactory(std::shared_ptr<opcsim::Core> core) : core_(std::move(core)) {}

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_IClassFactory)) return E_NOINTERFACE;
    *ppv = static_cast<IClassFactory*>(this);
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG n = --refs_;
    if (n == 0) delete this;
    return n;
  }
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** ppv) override {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    return opcsim::MakeObject<MachineServerList>(core_)->QueryInterface(riid, ppv);
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }

 private:
  std::atomic<ULONG> refs_{1};
  std::shared_ptr<opcsim::Core> core_;
};

}  // namespace

MachineServerListRegistration::MachineServerListRegistration(std::shared_ptr<opcsim::Core> core) {
  com_ptr<IClassFactory> factory(new MachineServerListFactory(std::move(core)), comown::attach);
  result_ = CoRegisterClassObject(CLSID_OpcServerList, factory.get(), CLSCTX_LOCAL_SERVER, REGCLS_MULTIPLEUSE,
                                  &cookie_);
}

MachineServerListRegistration::~MachineServerListRegistration() {
  if (SUCCEEDED(result_)) CoRevokeClassObject(cookie_);
}

}  // namespace opcsim_server
