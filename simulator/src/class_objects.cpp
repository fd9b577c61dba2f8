// Class objects of the simulators and their registration with COM.
//
// Simulators may serve the same class on the same host: tests start the
// default simulator more than once, in one apartment or in several. COM keeps
// one class object per class and apartment (Wine answers a second registration
// in an apartment with the first one's object), so each class object is
// registered once per class, host and apartment and shared: the latest
// simulator that serves it answers, and the registration goes with the last
// one. The server list is such a class object too.
#include <algorithm>
#include <map>
#include <thread>

#include "objects.h"

#ifndef _WIN32
#include <native_com_ext.h>
#endif

namespace opcsim {

// A simulator's class, or its server list (classIndex kServerList), behind a
// shared class object.
struct Backer {
  std::shared_ptr<Core> core;
  std::size_t classIndex;
};

struct SharedClassObject {
  std::string host;            // folded; "" for this machine
  std::thread::id apartment;   // the thread of a single-threaded apartment; none for the MTA and remote hosts
  CLSID clsid;
  bool remote = false;         // on a simulated host (native)
  DWORD cookie = 0;
  std::vector<Backer> backers;  // in the order they joined: the last one serves
};

namespace {

std::mutex& RegistryMutex() {
  static std::mutex m;
  return m;
}

// Guarded by RegistryMutex.
std::vector<std::shared_ptr<SharedClassObject>>& ClassObjects() {
  static std::vector<std::shared_ptr<SharedClassObject>> objects;
  return objects;
}
std::map<std::string, std::vector<HostClass>>& Hosts() {
  static std::map<std::string, std::vector<HostClass>> hosts;
  return hosts;
}

// Host names compare without case, as DNS names do; "" is the local machine.
std::string HostKey(const std::string& host) {
  std::string key = host;
  for (char& c : key)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return key;
}

#ifdef _WIN32
constexpr bool kNative = false;
#else
constexpr bool kNative = true;
#endif

bool OnRemoteHost(const Options& options) { return kNative && !options.host.empty(); }

std::string HostOf(const Options& options) { return HostKey(OnRemoteHost(options) ? options.host : std::string()); }

// Which apartment the calling thread is in: its own single-threaded one, or
// the multithreaded one all its threads share.
std::thread::id CurrentApartment() {
  const HRESULT hr = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
  if (hr == RPC_E_CHANGED_MODE) return std::this_thread::get_id();
  if (SUCCEEDED(hr)) CoUninitialize();
  return std::thread::id();
}

HRESULT RegisterFactory(const SharedClassObject& shared, IClassFactory* factory, DWORD* cookie) {
#ifndef _WIN32
  if (shared.remote)
    return NativeComRegisterHostClassObject(comown::to_wide(shared.host).c_str(), shared.clsid, factory, cookie);
#endif
  return CoRegisterClassObject(shared.clsid, factory, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER, REGCLS_MULTIPLEUSE,
                               cookie);
}

void RevokeFactory(const SharedClassObject& shared) {
#ifndef _WIN32
  if (shared.remote) {
    NativeComRevokeHostClassObject(shared.cookie);
    return;
  }
#endif
  CoRevokeClassObject(shared.cookie);
}

// Class objects live as long as their registration, so they are not counted
// among the live objects a client must release.
class SharedFactory final : public IClassFactory {
 public:
  explicit SharedFactory(std::shared_ptr<const SharedClassObject> shared) : shared_(std::move(shared)) {}

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
    ULONG n = --refs_;
    if (n == 0) delete this;
    return n;
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }

  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** ppv) override {
    Backer backer;
    {
      std::lock_guard<std::mutex> lock(RegistryMutex());
      if (!shared_->backers.empty()) backer = shared_->backers.back();
    }
    if (!backer.core) {
      if (ppv) *ppv = nullptr;
      return CLASS_E_CLASSNOTAVAILABLE;  // a client kept the class object past the last simulator
    }
    if (backer.classIndex == kServerList) {
      if (!ppv) return E_POINTER;
      *ppv = nullptr;
      if (outer) return CLASS_E_NOAGGREGATION;
      return CreateServerList(shared_->host, backer.core, riid, ppv);
    }
    return CreateServer(backer.core, backer.classIndex, outer, riid, ppv);
  }

 private:
  static HRESULT CreateServer(const std::shared_ptr<Core>& core, std::size_t index, IUnknown* outer, REFIID riid,
                              void** ppv) {
    MethodCall call(*core, "IClassFactory::CreateInstance");
    {
      std::lock_guard<std::mutex> lock(core->mutex);
      call.Guid("clsid", core->Class(index).clsid).Arg("progid", core->Class(index).progId);
    }
    call.Iid("iid", riid).Begin();
    if (!ppv) return call.Return(E_POINTER);
    *ppv = nullptr;
    if (call.ShortCircuit()) return call.FaultResult();
    if (outer) return call.Return(CLASS_E_NOAGGREGATION);
    return call.Return(Server::Create(core, index, riid, ppv));
  }

  std::atomic<ULONG> refs_{1};
  std::shared_ptr<const SharedClassObject> shared_;
};

}  // namespace

HRESULT JoinClassObject(const std::shared_ptr<Core>& core, std::size_t classIndex, REFCLSID clsid,
                        std::shared_ptr<SharedClassObject>* joined) {
  const bool remote = OnRemoteHost(core->options);
  const std::string host = HostOf(core->options);
  const std::thread::id apartment = remote ? std::thread::id() : CurrentApartment();
  std::lock_guard<std::mutex> lock(RegistryMutex());
  auto& objects = ClassObjects();
  auto found = std::find_if(objects.begin(), objects.end(), [&](const std::shared_ptr<SharedClassObject>& o) {
    return o->host == host && o->apartment == apartment && IsEqualCLSID(o->clsid, clsid);
  });
  std::shared_ptr<SharedClassObject> shared;
  if (found != objects.end()) {
    shared = *found;
  } else {
    shared = std::make_shared<SharedClassObject>();
    shared->host = host;
    shared->apartment = apartment;
    shared->clsid = clsid;
    shared->remote = remote;
    com_ptr<IClassFactory> factory(new SharedFactory(shared), comown::attach);
    const HRESULT hr = RegisterFactory(*shared, factory.get(), &shared->cookie);
    if (FAILED(hr)) return hr;
    objects.push_back(shared);
  }
  shared->backers.push_back(Backer{core, classIndex});
  *joined = std::move(shared);
  return S_OK;
}

void LeaveClassObject(const std::shared_ptr<SharedClassObject>& shared, const Core& core) {
  std::lock_guard<std::mutex> lock(RegistryMutex());
  auto& backers = shared->backers;
  auto mine = std::find_if(backers.rbegin(), backers.rend(), [&](const Backer& b) { return b.core.get() == &core; });
  if (mine != backers.rend()) backers.erase(std::next(mine).base());
  if (!backers.empty()) return;
  RevokeFactory(*shared);
  auto& objects = ClassObjects();
  objects.erase(std::remove(objects.begin(), objects.end(), shared), objects.end());
}

void AddHostClasses(const std::shared_ptr<Core>& core) {
  std::lock_guard<std::mutex> lock(RegistryMutex());
  std::vector<HostClass>& classes = Hosts()[HostOf(core->options)];
  for (std::size_t i = 0; i < core->options.classes.size(); ++i) classes.push_back(HostClass{core, i});
}

void RemoveHostClasses(const Core& core) {
  std::lock_guard<std::mutex> lock(RegistryMutex());
  std::vector<HostClass>& classes = Hosts()[HostOf(core.options)];
  classes.erase(std::remove_if(classes.begin(), classes.end(), [&](const HostClass& hc) { return hc.core.get() == &core; }),
                classes.end());
}

std::vector<HostClass> ClassesOnHost(const std::string& host) {
  std::lock_guard<std::mutex> lock(RegistryMutex());
  auto it = Hosts().find(HostKey(host));
  if (it == Hosts().end()) return {};
  // A class that several simulators serve is listed once, where it first
  // appeared, as the latest of them describes it. Class identities never
  // change, so they are read without the simulators' locks.
  const std::vector<HostClass>& all = it->second;
  auto clsid = [](const HostClass& hc) -> const CLSID& { return hc.core->Class(hc.classIndex).clsid; };
  std::vector<HostClass> listed;
  for (std::size_t i = 0; i < all.size(); ++i) {
    bool earlier = false;
    for (std::size_t k = 0; k < i && !earlier; ++k) earlier = IsEqualCLSID(clsid(all[k]), clsid(all[i]));
    if (earlier) continue;
    std::size_t latest = i;
    for (std::size_t k = i + 1; k < all.size(); ++k)
      if (IsEqualCLSID(clsid(all[k]), clsid(all[i]))) latest = k;
    listed.push_back(all[latest]);
  }
  return listed;
}

}  // namespace opcsim
