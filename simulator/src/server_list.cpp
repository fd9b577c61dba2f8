// The server-list component: IOPCServerList over the server classes that
// simulators registered on its host.
//
// A server list's calls are logged, and its fault rules read, in the simulator
// that served the class object when the client created it: the latest one on
// the host, in the client's apartment, that has a server list.
#include "objects.h"

namespace opcsim {

namespace {

bool HasCategory(const ServerClass& cls, const CATID& category) {
  for (const CATID& c : cls.categories)
    if (IsEqualGUID(c, category)) return true;
  return false;
}

std::vector<std::string> CategoryList(ULONG count, const CATID* ids) {
  std::vector<std::string> out;
  if (count == static_cast<ULONG>(-1)) return {"any"};
  for (ULONG i = 0; ids && i < count; ++i) out.push_back(GuidText(ids[i]));
  return out;
}

class ServerList final : public ComObject, public IOPCServerList {
 public:
  ServerList(std::string host, std::shared_ptr<Core> core) : host_(std::move(host)), core_(std::move(core)) {}

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
    MethodCall call(*core_, "IUnknown::QueryInterface");
    call.Arg("object", "serverlist").Iid("iid", riid).Begin();
    if (!ppv) return call.Return(E_POINTER);
    *ppv = nullptr;
    if (call.ShortCircuit()) return call.FaultResult();
    if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_IOPCServerList)) return call.Return(E_NOINTERFACE);
    *ppv = static_cast<IOPCServerList*>(this);
    AddRef();
    return call.Return(S_OK);
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return AddRefImpl(); }
  ULONG STDMETHODCALLTYPE Release() override { return ReleaseImpl(); }

  HRESULT STDMETHODCALLTYPE EnumClassesOfCategories(ULONG cImplemented, CATID rgcatidImpl[], ULONG cRequired,
                                                    CATID rgcatidReq[], IEnumGUID** ppenumClsid) override {
    MethodCall call(*core_, "IOPCServerList::EnumClassesOfCategories");
    call.List("implemented", [&] { return CategoryList(cImplemented, rgcatidImpl); })
        .List("required", [&] { return CategoryList(cRequired, rgcatidReq); })
        .Begin();
    if (ppenumClsid) *ppenumClsid = nullptr;
    if (call.WantsEmpty() && ppenumClsid) {
      *ppenumClsid = NewGuidEnumerator(core_, {}).detach();
      return call.FaultResult();
    }
    if (call.ShortCircuit()) return call.FaultResult();
    if (!ppenumClsid) return call.Return(E_POINTER);
    std::vector<GUID> found;
    for (const HostClass& hc : ClassesOnHost(host_)) {
      std::lock_guard<std::mutex> lock(hc.core->mutex);
      const ServerClass& cls = hc.core->Class(hc.classIndex);
      bool any = cImplemented == static_cast<ULONG>(-1) || cImplemented == 0;
      bool implements = any;
      for (ULONG i = 0; !implements && rgcatidImpl && i < cImplemented; ++i)
        implements = HasCategory(cls, rgcatidImpl[i]);
      // Our classes require no category of their container, so the
      // required list never excludes one.
      if (implements) found.push_back(cls.clsid);
    }
    *ppenumClsid = NewGuidEnumerator(core_, std::move(found)).detach();
    return call.Return(S_OK);
  }

  HRESULT STDMETHODCALLTYPE GetClassDetails(REFCLSID clsid, LPOLESTR* ppszProgID, LPOLESTR* ppszUserType) override {
    MethodCall call(*core_, "IOPCServerList::GetClassDetails");
    call.Guid("clsid", clsid).Begin();
    if (ppszProgID) *ppszProgID = nullptr;
    if (ppszUserType) *ppszUserType = nullptr;
    if (call.ShortCircuit()) return call.FaultResult();
    if (!ppszProgID || !ppszUserType) return call.Return(E_POINTER);
    for (const HostClass& hc : ClassesOnHost(host_)) {
      std::lock_guard<std::mutex> lock(hc.core->mutex);
      const ServerClass& cls = hc.core->Class(hc.classIndex);
      if (!IsEqualGUID(cls.clsid, clsid)) continue;
      if (FAILED(cls.classDetailsError)) return call.Return(cls.classDetailsError);
      comown::task_string progId = comown::task_copy(comown::to_wide(cls.progId));
      comown::task_string userType = comown::task_copy(comown::to_wide(cls.userType));
      if (!progId || !userType) return call.Return(E_OUTOFMEMORY);
      *ppszProgID = progId.release();
      *ppszUserType = userType.release();
      return call.Return(S_OK);
    }
    return call.Return(REGDB_E_CLASSNOTREG);
  }

  HRESULT STDMETHODCALLTYPE CLSIDFromProgID(LPCOLESTR szProgId, LPCLSID clsid) override {
    MethodCall call(*core_, "IOPCServerList::CLSIDFromProgID");
    call.Arg("progid", szProgId).Begin();
    if (call.ShortCircuit()) return call.FaultResult();
    if (!szProgId || !clsid) return call.Return(E_POINTER);
    std::string wanted = comown::to_utf8(szProgId);
    for (const HostClass& hc : ClassesOnHost(host_)) {
      std::lock_guard<std::mutex> lock(hc.core->mutex);
      const ServerClass& cls = hc.core->Class(hc.classIndex);
      if (cls.progId == wanted) {
        *clsid = cls.clsid;
        return call.Return(S_OK);
      }
    }
    return call.Return(CO_E_CLASSSTRING);
  }

 private:
  std::string host_;
  std::shared_ptr<Core> core_;
};

}  // namespace

HRESULT CreateServerList(const std::string& host, std::shared_ptr<Core> core, REFIID riid, void** ppv) {
  return MakeObject<ServerList>(host, std::move(core))->QueryInterface(riid, ppv);
}

}  // namespace opcsim
