// The process's table of registered class objects, local and on simulated
// remote hosts.
//
// A local registration belongs to the apartment that made it, as on Windows
// and Wine: that apartment activates it directly. Another apartment reaches it
// only through the out-of-process path (the registration and the request both
// name CLSCTX_LOCAL_SERVER), and there every call has to be delivered into the
// registering apartment. The multithreaded apartment takes calls from any
// thread at any time, so its registrations serve everyone; a single-threaded
// apartment takes them only while its thread pumps messages. Windows would
// make the caller wait for that pump and Wine blocks the caller for good; this
// runtime has no message loop to wait for, so it refuses at once with
// CO_E_SERVER_EXEC_FAILURE, what Windows reports when the server that holds a
// class object does not serve the activation. It names the consequence a
// caller can act on (the server did not run the request) rather than
// RPC_E_WRONG_THREAD's misuse of a marshalled pointer, which the caller did not
// commit. In-process-only registrations stay invisible to other apartments
// (REGDB_E_CLASSNOTREG), as they are under Wine.
#include <algorithm>
#include <mutex>
#include <set>
#include <vector>

#include <native_com_ext.h>

#include "comown.h"
#include "com_runtime.h"
#include "wide_text.h"

namespace native_com {
namespace {

struct Registration {
  DWORD cookie;
  std::u16string host;  // folded; empty for the local machine
  CLSID clsid;
  comown::com_ptr<IUnknown> object;  // the reference the table holds
  DWORD context;        // CLSCTX bits the object serves; all for remote hosts
  ApartmentId apartment;  // 0 for host registrations, which no apartment owns
  bool multithreaded;     // made from the multithreaded apartment
};

// The caller of a lookup: its apartment and the contexts it accepts.
struct Lookup {
  REFCLSID clsid;
  DWORD context;
  ApartmentId apartment;
};

class ClassTable {
 public:
  DWORD Add(std::u16string host, REFCLSID clsid, IUnknown* object, DWORD context, ApartmentId apartment,
            bool multithreaded) {
    comown::com_ptr<IUnknown> held(object, comown::add_ref);
    std::lock_guard<std::mutex> lock(mutex_);
    const DWORD cookie = next_cookie_++;
    if (!host.empty()) known_hosts_.insert(host);
    entries_.push_back(Registration{cookie, std::move(host), clsid, std::move(held), context, apartment, multithreaded});
    return cookie;
  }

  enum class RemoveResult { kRemoved, kUnknown, kOtherApartment };

  // Removes a local registration (host registrations when `remote`), handing
  // the table's reference to `released`. A local registration belongs to the
  // apartment that made it.
  RemoveResult Remove(DWORD cookie, bool remote, ApartmentId caller, comown::com_ptr<IUnknown>& released) {
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = std::find_if(entries_.begin(), entries_.end(), [&](const Registration& r) {
      return r.cookie == cookie && r.host.empty() != remote;
    });
    if (it == entries_.end()) return RemoveResult::kUnknown;
    if (!remote && it->apartment != caller) return RemoveResult::kOtherApartment;
    released = std::move(it->object);
    entries_.erase(it);
    return RemoveResult::kRemoved;
  }

  std::vector<comown::com_ptr<IUnknown>> RemoveApartment(ApartmentId apartment) {
    std::vector<comown::com_ptr<IUnknown>> released;
    std::lock_guard<std::mutex> lock(mutex_);
    auto owned = [&](const Registration& r) { return r.apartment == apartment; };
    for (Registration& r : entries_) {
      if (owned(r)) released.push_back(std::move(r.object));
    }
    entries_.erase(std::remove_if(entries_.begin(), entries_.end(), owned), entries_.end());
    return released;
  }

  // The latest registration wins, as a re-registered server replaces the old one.
  HRESULT FindOnHost(const std::u16string& host, REFCLSID clsid, IUnknown** object) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (known_hosts_.count(host) == 0) return HRESULT_FROM_WIN32(RPC_S_SERVER_UNAVAILABLE);
    return Hand(Latest([&](const Registration& r) { return r.host == host && IsEqualCLSID(r.clsid, clsid); }),
                object);
  }

  HRESULT FindLocal(const Lookup& caller, IUnknown** object) {
    std::lock_guard<std::mutex> lock(mutex_);
    auto local = [&](const Registration& r, DWORD context) {
      return r.host.empty() && IsEqualCLSID(r.clsid, caller.clsid) && (r.context & context) != 0;
    };
    const Registration* own =
        Latest([&](const Registration& r) { return local(r, caller.context) && r.apartment == caller.apartment; });
    if (own != nullptr || (caller.context & CLSCTX_LOCAL_SERVER) == 0) return Hand(own, object);
    const Registration* other = Latest([&](const Registration& r) { return local(r, CLSCTX_LOCAL_SERVER); });
    if (other != nullptr && !other->multithreaded) return CO_E_SERVER_EXEC_FAILURE;
    return Hand(other, object);
  }

 private:
  template <class Match>
  const Registration* Latest(Match match) const {
    for (auto it = entries_.rbegin(); it != entries_.rend(); ++it) {
      if (match(*it)) return &*it;
    }
    return nullptr;
  }
  static HRESULT Hand(const Registration* found, IUnknown** object) {
    if (found == nullptr) return REGDB_E_CLASSNOTREG;
    found->object.copy_to(object);
    return S_OK;
  }

  std::mutex mutex_;
  std::vector<Registration> entries_;
  std::set<std::u16string> known_hosts_;  // every host ever registered on
  DWORD next_cookie_ = 1;
};

ClassTable& TheClassTable() {
  static ClassTable* const table = new ClassTable;
  return *table;
}

constexpr DWORD kAnyContext = CLSCTX_ALL;

}  // namespace

bool IsLocalHostName(const std::u16string& host) { return host.empty() || FoldAsciiCase(host) == u"localhost"; }

HRESULT FindClassObject(const std::u16string& host, REFCLSID clsid, DWORD context, IUnknown** object) {
  *object = nullptr;
  if (!IsLocalHostName(host)) return TheClassTable().FindOnHost(FoldAsciiCase(host), clsid, object);
  return TheClassTable().FindLocal(Lookup{clsid, context, CurrentApartment()}, object);
}

void RevokeClassObjectsOfApartment(ApartmentId apartment) {
  TheClassTable().RemoveApartment(apartment);  // the references go after the table's lock
}

}  // namespace native_com

WINOLEAPI CoRegisterClassObject(REFCLSID rclsid, LPUNKNOWN pUnk, DWORD dwClsContext, DWORD /*flags*/,
                                LPDWORD lpdwRegister) {
  if (lpdwRegister == nullptr || pUnk == nullptr) return E_INVALIDARG;
  *lpdwRegister = 0;
  const native_com::ApartmentId apartment = native_com::CurrentApartment();
  if (apartment == 0) return CO_E_NOTINITIALIZED;
  *lpdwRegister = native_com::TheClassTable().Add(std::u16string(), rclsid, pUnk, dwClsContext, apartment,
                                                  native_com::CurrentApartmentIsMultithreaded());
  return S_OK;
}

WINOLEAPI CoRevokeClassObject(DWORD dwRegister) {
  using native_com::ClassTable;
  const native_com::ApartmentId apartment = native_com::CurrentApartment();
  if (apartment == 0) return CO_E_NOTINITIALIZED;
  comown::com_ptr<IUnknown> object;  // released once the table's lock is gone
  switch (native_com::TheClassTable().Remove(dwRegister, false, apartment, object)) {
    case ClassTable::RemoveResult::kUnknown:
      return E_INVALIDARG;
    case ClassTable::RemoveResult::kOtherApartment:
      return RPC_E_WRONG_THREAD;
    case ClassTable::RemoveResult::kRemoved:
      break;
  }
  return S_OK;
}

WINOLEAPI NativeComRegisterHostClassObject(LPCWSTR host, REFCLSID rclsid, LPUNKNOWN pUnk, LPDWORD lpdwRegister) {
  if (lpdwRegister == nullptr || pUnk == nullptr) return E_INVALIDARG;
  *lpdwRegister = 0;
  const std::u16string name(native_com::WideView(host));
  if (native_com::IsLocalHostName(name)) return E_INVALIDARG;
  *lpdwRegister = native_com::TheClassTable().Add(native_com::FoldAsciiCase(name), rclsid, pUnk,
                                                  native_com::kAnyContext, 0, true);
  return S_OK;
}

WINOLEAPI NativeComRevokeHostClassObject(DWORD dwRegister) {
  using native_com::ClassTable;
  comown::com_ptr<IUnknown> object;
  if (native_com::TheClassTable().Remove(dwRegister, true, 0, object) != ClassTable::RemoveResult::kRemoved) {
    return E_INVALIDARG;
  }
  return S_OK;
}
