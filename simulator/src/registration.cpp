// Class objects, their registration with COM, and the Simulator facade.
#include <algorithm>
#include <map>

#include "objects.h"

#ifndef _WIN32
#include <native_com_ext.h>
#endif

extern "C" const CLSID CLSID_OpcSimDAServer = {0xCFE1FC40, 0x42BB, 0x4694,
                                               {0xAF, 0x1B, 0xCD, 0xCD, 0x7A, 0xE6, 0xEC, 0xEE}};

namespace opcsim {

namespace {

// Class objects live as long as their registration, so they are not counted
// among the live objects a client must release.
class ClassFactoryBase : public IClassFactory {
 public:
  virtual ~ClassFactoryBase() = default;
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

 private:
  std::atomic<ULONG> refs_{1};
};

class ServerFactory final : public ClassFactoryBase {
 public:
  ServerFactory(std::shared_ptr<Core> core, std::size_t classIndex) : core_(std::move(core)), index_(classIndex) {}

  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** ppv) override {
    MethodCall call(*core_, "IClassFactory::CreateInstance");
    {
      std::lock_guard<std::mutex> lock(core_->mutex);
      call.Arg("clsid", GuidText(core_->Class(index_).clsid)).Arg("progid", core_->Class(index_).progId);
    }
    call.Arg("iid", InterfaceName(riid)).Begin();
    if (!ppv) return call.Return(E_POINTER);
    *ppv = nullptr;
    if (call.ShortCircuit()) return call.FaultResult();
    if (outer) return call.Return(CLASS_E_NOAGGREGATION);
    return call.Return(Server::Create(core_, index_, riid, ppv));
  }

 private:
  std::shared_ptr<Core> core_;
  std::size_t index_;
};

class ServerListFactory final : public ClassFactoryBase {
 public:
  ServerListFactory(std::string host, std::shared_ptr<Core> core) : host_(std::move(host)), core_(std::move(core)) {}

  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** ppv) override {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    return CreateServerList(host_, core_, riid, ppv);
  }

 private:
  std::string host_;
  std::shared_ptr<Core> core_;
};

// What every simulator registered on a host, and that host's server list.
struct Host {
  std::vector<HostClass> classes;
  int serverListUsers = 0;
  DWORD serverListCookie = 0;
};

std::mutex& HostsMutex() {
  static std::mutex m;
  return m;
}

std::map<std::string, Host>& Hosts() {
  static std::map<std::string, Host> hosts;
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

HRESULT RegisterFactory(const Options& options, REFCLSID clsid, IClassFactory* factory, DWORD* cookie) {
#ifndef _WIN32
  if (OnRemoteHost(options)) {
    wide_string host = comown::to_wide(options.host);
    return NativeComRegisterHostClassObject(host.c_str(), clsid, factory, cookie);
  }
#else
  (void)options;
#endif
  return CoRegisterClassObject(clsid, factory, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER, REGCLS_MULTIPLEUSE,
                               cookie);
}

void RevokeFactory(const Options& options, DWORD cookie) {
#ifndef _WIN32
  if (OnRemoteHost(options)) {
    NativeComRevokeHostClassObject(cookie);
    return;
  }
#else
  (void)options;
#endif
  CoRevokeClassObject(cookie);
}

#ifdef _WIN32
// ProgIDFromCLSID reads the registry. The user's classes need no rights and
// Windows merges them into HKEY_CLASSES_ROOT; Wine reads only the machine's
// classes, so there the keys also go through HKEY_CLASSES_ROOT itself.
wide_string ClassesKey(const wide_string& tail) { return wide_string(OLESTR("Software\\Classes\\")) + tail; }

struct RegistryKeyTraits {
  using pointer = HKEY;
  static void close(HKEY key) noexcept { RegCloseKey(key); }
};
using RegistryKey = comown::unique_resource<RegistryKeyTraits>;

void SetDefaultValue(HKEY root, const wide_string& key, const wide_string& value) {
  RegistryKey h;
  if (RegCreateKeyExW(root, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, h.put(), nullptr) != ERROR_SUCCESS) return;
  RegSetValueExW(h.get(), nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                 static_cast<DWORD>((value.size() + 1) * sizeof(WCHAR)));
}

void WriteProgId(HKEY root, const wide_string& prefix, const wide_string& progId, const wide_string& clsid) {
  SetDefaultValue(root, prefix + progId + OLESTR("\\CLSID"), clsid);
  SetDefaultValue(root, prefix + OLESTR("CLSID\\") + clsid + OLESTR("\\ProgID"), progId);
}

void DeleteProgId(HKEY root, const wide_string& prefix, const wide_string& progId, const wide_string& clsid) {
  RegDeleteKeyW(root, (prefix + progId + OLESTR("\\CLSID")).c_str());
  RegDeleteKeyW(root, (prefix + progId).c_str());
  RegDeleteKeyW(root, (prefix + OLESTR("CLSID\\") + clsid + OLESTR("\\ProgID")).c_str());
  RegDeleteKeyW(root, (prefix + OLESTR("CLSID\\") + clsid).c_str());
}

bool SystemKnows(const ServerClass& cls) {
  comown::task_string found;
  if (FAILED(ProgIDFromCLSID(cls.clsid, found.put()))) return false;
  return comown::to_utf8(found.get()) == cls.progId;
}

void RegisterProgId(const ServerClass& cls) {
  wide_string progId = comown::to_wide(cls.progId), clsid = comown::to_wide(GuidText(cls.clsid));
  WriteProgId(HKEY_CURRENT_USER, ClassesKey(wide_string()), progId, clsid);
  if (!SystemKnows(cls)) WriteProgId(HKEY_CLASSES_ROOT, wide_string(), progId, clsid);
}

void UnregisterProgId(const ServerClass& cls) {
  wide_string progId = comown::to_wide(cls.progId), clsid = comown::to_wide(GuidText(cls.clsid));
  DeleteProgId(HKEY_CURRENT_USER, ClassesKey(wide_string()), progId, clsid);
  if (SystemKnows(cls)) DeleteProgId(HKEY_CLASSES_ROOT, wide_string(), progId, clsid);
}
#else
void RegisterProgId(const ServerClass& cls) { NativeComRegisterProgID(comown::to_wide(cls.progId).c_str(), cls.clsid); }

void UnregisterProgId(const ServerClass& cls) { NativeComUnregisterProgID(comown::to_wide(cls.progId).c_str()); }
#endif

}  // namespace

std::vector<HostClass> ClassesOnHost(const std::string& host) {
  std::lock_guard<std::mutex> lock(HostsMutex());
  auto it = Hosts().find(HostKey(host));
  return it == Hosts().end() ? std::vector<HostClass>() : it->second.classes;
}

ServerClass ServerClass::Numbered(int n) {
  ServerClass cls;
  cls.clsid.Data4[7] = static_cast<unsigned char>(cls.clsid.Data4[7] + n);
  cls.progId = "OpcSim.DAServer" + std::to_string(n) + ".1";
  cls.userType = "Simulation OPC DA Server " + std::to_string(n);
  return cls;
}

Simulator::Simulator() : Simulator(Options()) {}

Simulator::Simulator(Options options) : core_(std::make_shared<Core>(std::move(options))) { Register(); }

Simulator::~Simulator() { Revoke(); }

void Simulator::Register() {
  const Options& options = core_->options;
  std::string host = OnRemoteHost(options) ? options.host : std::string();
  for (std::size_t i = 0; i < options.classes.size(); ++i) {
    com_ptr<IClassFactory> factory(new ServerFactory(core_, i), comown::attach);
    DWORD cookie = 0;
    HRESULT hr = RegisterFactory(options, options.classes[i].clsid, factory.get(), &cookie);
    if (FAILED(hr)) {
      registration_ = hr;
      continue;
    }
    (OnRemoteHost(options) ? hostCookies_ : cookies_).push_back(cookie);
    RegisterProgId(options.classes[i]);
  }
  progIdsRegistered_ = true;

  std::lock_guard<std::mutex> lock(HostsMutex());
  Host& entry = Hosts()[HostKey(host)];
  for (std::size_t i = 0; i < options.classes.size(); ++i) entry.classes.push_back(HostClass{core_, i});
  if (options.serverList && entry.serverListUsers++ == 0) {
    com_ptr<IClassFactory> factory(new ServerListFactory(host, core_), comown::attach);
    HRESULT hr = RegisterFactory(options, CLSID_OpcServerList, factory.get(), &entry.serverListCookie);
    if (FAILED(hr)) registration_ = hr;
  }
}

void Simulator::Revoke() {
  const Options& options = core_->options;
  std::string host = OnRemoteHost(options) ? options.host : std::string();
  {
    std::lock_guard<std::mutex> lock(HostsMutex());
    Host& entry = Hosts()[HostKey(host)];
    auto& classes = entry.classes;
    classes.erase(std::remove_if(classes.begin(), classes.end(),
                                 [&](const HostClass& hc) { return hc.core == core_; }),
                  classes.end());
    if (options.serverList && --entry.serverListUsers == 0 && entry.serverListCookie != 0) {
      RevokeFactory(options, entry.serverListCookie);
      entry.serverListCookie = 0;
    }
  }
  for (DWORD cookie : cookies_) CoRevokeClassObject(cookie);
#ifndef _WIN32
  for (DWORD cookie : hostCookies_) NativeComRevokeHostClassObject(cookie);
#endif
  if (progIdsRegistered_)
    for (const ServerClass& cls : options.classes) UnregisterProgId(cls);
}

const CLSID& Simulator::Clsid() const { return core_->options.classes.front().clsid; }
const std::string& Simulator::ProgId() const { return core_->options.classes.front().progId; }
FaultTable& Simulator::Faults() { return core_->faults; }
CallLog& Simulator::Calls() { return core_->calls; }
AddressSpace& Simulator::Space() { return *core_->space; }
std::unique_lock<std::mutex> Simulator::Lock() { return std::unique_lock<std::mutex>(core_->mutex); }

HRESULT Simulator::SetValue(const std::string& itemId, const VARIANT& value) {
  std::lock_guard<std::mutex> lock(core_->mutex);
  std::uint32_t leaf = core_->space->FindLeaf(itemId);
  if (leaf == AddressSpace::kNone) return OPC_E_UNKNOWNITEMID;
  return StoreConverted(*core_->space, leaf, value);
}

HRESULT Simulator::SetQuality(const std::string& itemId, WORD quality) {
  std::lock_guard<std::mutex> lock(core_->mutex);
  std::uint32_t leaf = core_->space->FindLeaf(itemId);
  if (leaf == AddressSpace::kNone) return OPC_E_UNKNOWNITEMID;
  core_->space->SetQuality(leaf, quality);
  return S_OK;
}

HRESULT Simulator::GetValue(const std::string& itemId, Variant* value, WORD* quality) {
  std::lock_guard<std::mutex> lock(core_->mutex);
  std::uint32_t leaf = core_->space->FindLeaf(itemId);
  if (leaf == AddressSpace::kNone) return OPC_E_UNKNOWNITEMID;
  ItemState state = core_->space->Current(leaf);
  if (value) *value = state.value;
  if (quality) *quality = state.quality;
  return S_OK;
}

void Simulator::SetServerState(DWORD state) {
  std::lock_guard<std::mutex> lock(core_->mutex);
  for (ServerClass& cls : core_->options.classes) cls.state = state;
}

int Simulator::DeliverCompletions() { return DeliverPendingCompletions(*core_); }
int Simulator::PublishDataChanges() { return opcsim::PublishDataChanges(core_); }

}  // namespace opcsim
