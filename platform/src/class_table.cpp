// The process's table of registered class objects, local and on simulated
// remote hosts.
#include <algorithm>
#include <mutex>
#include <set>
#include <vector>

#include <native_com_ext.h>

#include "com_runtime.h"
#include "wide_text.h"

namespace native_com {
namespace {

struct Registration {
  DWORD cookie;
  std::u16string host;  // folded; empty for the local machine
  CLSID clsid;
  IUnknown* object;     // the reference the table holds
  DWORD context;        // CLSCTX bits the object serves; all for remote hosts
  ApartmentId apartment;  // 0 for host registrations, which no apartment owns
};

class ClassTable {
 public:
  DWORD Add(std::u16string host, REFCLSID clsid, IUnknown* object, DWORD context, ApartmentId apartment) {
    object->AddRef();
    std::lock_guard<std::mutex> lock(mutex_);
    const DWORD cookie = next_cookie_++;
    if (!host.empty()) known_hosts_.insert(host);
    entries_.push_back(Registration{cookie, std::move(host), clsid, object, context, apartment});
    return cookie;
  }

  enum class RemoveResult { kRemoved, kUnknown, kOtherApartment };

  // Removes a local registration (host registrations when `remote`), handing
  // the table's reference to `released`. A local registration belongs to the
  // apartment that made it.
  RemoveResult Remove(DWORD cookie, bool remote, ApartmentId caller, IUnknown** released) {
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = std::find_if(entries_.begin(), entries_.end(), [&](const Registration& r) {
      return r.cookie == cookie && r.host.empty() != remote;
    });
    if (it == entries_.end()) return RemoveResult::kUnknown;
    if (!remote && it->apartment != caller) return RemoveResult::kOtherApartment;
    *released = it->object;
    entries_.erase(it);
    return RemoveResult::kRemoved;
  }

  std::vector<IUnknown*> RemoveApartment(ApartmentId apartment) {
    std::vector<IUnknown*> released;
    std::lock_guard<std::mutex> lock(mutex_);
    auto owned = [&](const Registration& r) { return r.apartment == apartment; };
    for (const Registration& r : entries_) {
      if (owned(r)) released.push_back(r.object);
    }
    entries_.erase(std::remove_if(entries_.begin(), entries_.end(), owned), entries_.end());
    return released;
  }

  HRESULT Find(const std::u16string& host, REFCLSID clsid, DWORD context, IUnknown** object) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!host.empty() && known_hosts_.count(host) == 0) return HRESULT_FROM_WIN32(RPC_S_SERVER_UNAVAILABLE);
    // The latest registration wins, as a re-registered server replaces the old one.
    for (auto it = entries_.rbegin(); it != entries_.rend(); ++it) {
      if (it->host == host && IsEqualCLSID(it->clsid, clsid) && (it->context & context) != 0) {
        it->object->AddRef();
        *object = it->object;
        return S_OK;
      }
    }
    return REGDB_E_CLASSNOTREG;
  }

 private:
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
  const std::u16string folded = IsLocalHostName(host) ? std::u16string() : FoldAsciiCase(host);
  return TheClassTable().Find(folded, clsid, folded.empty() ? context : kAnyContext, object);
}

void RevokeClassObjectsOfApartment(ApartmentId apartment) {
  for (IUnknown* object : TheClassTable().RemoveApartment(apartment)) object->Release();
}

}  // namespace native_com

WINOLEAPI CoRegisterClassObject(REFCLSID rclsid, LPUNKNOWN pUnk, DWORD dwClsContext, DWORD /*flags*/,
                                LPDWORD lpdwRegister) {
  if (lpdwRegister == nullptr || pUnk == nullptr) return E_INVALIDARG;
  *lpdwRegister = 0;
  const native_com::ApartmentId apartment = native_com::CurrentApartment();
  if (apartment == 0) return CO_E_NOTINITIALIZED;
  *lpdwRegister = native_com::TheClassTable().Add(std::u16string(), rclsid, pUnk, dwClsContext, apartment);
  return S_OK;
}

WINOLEAPI CoRevokeClassObject(DWORD dwRegister) {
  using native_com::ClassTable;
  const native_com::ApartmentId apartment = native_com::CurrentApartment();
  if (apartment == 0) return CO_E_NOTINITIALIZED;
  IUnknown* object = nullptr;
  switch (native_com::TheClassTable().Remove(dwRegister, false, apartment, &object)) {
    case ClassTable::RemoveResult::kUnknown:
      return E_INVALIDARG;
    case ClassTable::RemoveResult::kOtherApartment:
      return RPC_E_WRONG_THREAD;
    case ClassTable::RemoveResult::kRemoved:
      break;
  }
  object->Release();
  return S_OK;
}

WINOLEAPI NativeComRegisterHostClassObject(LPCWSTR host, REFCLSID rclsid, LPUNKNOWN pUnk, LPDWORD lpdwRegister) {
  if (lpdwRegister == nullptr || pUnk == nullptr) return E_INVALIDARG;
  *lpdwRegister = 0;
  const std::u16string name(native_com::WideView(host));
  if (native_com::IsLocalHostName(name)) return E_INVALIDARG;
  *lpdwRegister = native_com::TheClassTable().Add(native_com::FoldAsciiCase(name), rclsid, pUnk,
                                                  native_com::kAnyContext, 0);
  return S_OK;
}

WINOLEAPI NativeComRevokeHostClassObject(DWORD dwRegister) {
  using native_com::ClassTable;
  IUnknown* object = nullptr;
  if (native_com::TheClassTable().Remove(dwRegister, true, 0, &object) != ClassTable::RemoveResult::kRemoved) {
    return E_INVALIDARG;
  }
  object->Release();
  return S_OK;
}
