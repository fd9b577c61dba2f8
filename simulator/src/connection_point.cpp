// The group's connection point for IOPCDataCallback. It lives inside the
// group and shares its reference count, so the group outlives every pointer
// to its connection point.
#include "objects.h"

namespace opcsim {

class Group::Point final : public IConnectionPoint {
 public:
  explicit Point(Group& owner) : owner_(owner) {}

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_IConnectionPoint)) return E_NOINTERFACE;
    *ppv = static_cast<IConnectionPoint*>(this);
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return owner_.AddRef(); }
  ULONG STDMETHODCALLTYPE Release() override { return owner_.Release(); }

  HRESULT STDMETHODCALLTYPE GetConnectionInterface(IID* pIID) override {
    if (!pIID) return E_POINTER;
    *pIID = IID_IOPCDataCallback;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetConnectionPointContainer(IConnectionPointContainer** ppCPC) override {
    if (!ppCPC) return E_POINTER;
    *ppCPC = static_cast<IConnectionPointContainer*>(&owner_);
    owner_.AddRef();
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Advise(IUnknown* pUnkSink, DWORD* pdwCookie) override {
    return owner_.Advise(pUnkSink, pdwCookie);
  }
  HRESULT STDMETHODCALLTYPE Unadvise(DWORD dwCookie) override { return owner_.Unadvise(dwCookie); }
  HRESULT STDMETHODCALLTYPE EnumConnections(IEnumConnections** ppEnum) override {
    if (ppEnum) *ppEnum = nullptr;
    return E_NOTIMPL;
  }

 private:
  Group& owner_;
};

void Group::CreatePoint() { point_ = new Point(*this); }
void Group::DestroyPoint() { delete point_; }

HRESULT Group::EnumConnectionPoints(IEnumConnectionPoints** ppEnum) {
  MethodCall call = Begin("IConnectionPointContainer::EnumConnectionPoints");
  call.Begin();
  if (ppEnum) *ppEnum = nullptr;
  if (call.ShortCircuit()) return call.FaultResult();
  return call.Return(E_NOTIMPL);
}

HRESULT Group::FindConnectionPoint(REFIID riid, IConnectionPoint** ppCP) {
  MethodCall call = Begin("IConnectionPointContainer::FindConnectionPoint");
  call.Iid("iid", riid).Begin();
  if (ppCP) *ppCP = nullptr;
  if (call.ShortCircuit()) return call.FaultResult();
  if (!ppCP) return call.Return(E_POINTER);
  if (!IsEqualIID(riid, IID_IOPCDataCallback)) return call.Return(CONNECT_E_NOCONNECTION);
  point_->AddRef();
  *ppCP = point_;
  return call.Return(S_OK);
}

HRESULT Group::Advise(IUnknown* sink, DWORD* cookie) {
  MethodCall call = Begin("IConnectionPoint::Advise");
  call.Arg("sink", sink ? "object" : "null").Begin();
  if (cookie) *cookie = 0;
  if (call.ShortCircuit()) return call.FaultResult();
  if (!sink || !cookie) return call.Return(E_POINTER);
  com_ptr<IOPCDataCallback> callback;
  if (FAILED(sink->QueryInterface(IID_IOPCDataCallback, reinterpret_cast<void**>(callback.put()))) || !callback)
    return call.Return(CONNECT_E_CANNOTCONNECT);
  std::lock_guard<std::mutex> lock(core_->mutex);
  // One subscriber per group, as OPC groups have.
  if (!sinks.empty()) return call.Return(CONNECT_E_ADVISELIMIT);
  *cookie = nextCookie++;
  sinks.emplace_back(*cookie, std::move(callback));
  return call.Return(S_OK);
}

HRESULT Group::Unadvise(DWORD cookie) {
  MethodCall call = Begin("IConnectionPoint::Unadvise");
  call.Num("cookie", cookie).Begin();
  if (call.ShortCircuit()) return call.FaultResult();
  com_ptr<IOPCDataCallback> released;
  {
    std::lock_guard<std::mutex> lock(core_->mutex);
    for (auto it = sinks.begin(); it != sinks.end(); ++it)
      if (it->first == cookie) {
        released = std::move(it->second);
        sinks.erase(it);
        break;
      }
  }
  if (!released) return call.Return(CONNECT_E_NOCONNECTION);
  released.reset();  // outside the lock: the sink is the client's object
  return call.Return(S_OK);
}

}  // namespace opcsim
