// The registry's ProgID <-> CLSID mapping. ProgIDs are registry key names, so
// they compare without regard to ASCII case; the spelling registered is the
// one ProgIDFromCLSID gives back.
#include <algorithm>
#include <map>
#include <mutex>
#include <optional>
#include <vector>

#include <native_com_ext.h>

#include "wide_text.h"

namespace native_com {
namespace {

struct ProgIdEntry {
  std::u16string spelling;
  CLSID clsid;
};

class ProgIdRegistry {
 public:
  void Register(std::u16string_view prog_id, REFCLSID clsid) {
    std::lock_guard<std::mutex> lock(mutex_);
    const std::u16string key = FoldAsciiCase(prog_id);
    entries_.erase(key);
    entries_.emplace(key, ProgIdEntry{std::u16string(prog_id), clsid});
    latest_.erase(std::remove(latest_.begin(), latest_.end(), key), latest_.end());
    latest_.push_back(key);
  }

  bool Unregister(std::u16string_view prog_id) {
    std::lock_guard<std::mutex> lock(mutex_);
    const std::u16string key = FoldAsciiCase(prog_id);
    // Forgotten in the order too, or every ProgID ever registered stays there.
    latest_.erase(std::remove(latest_.begin(), latest_.end(), key), latest_.end());
    return entries_.erase(key) > 0;
  }

  std::optional<CLSID> ClassOf(std::u16string_view prog_id) {
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = entries_.find(FoldAsciiCase(prog_id));
    if (it == entries_.end()) return std::nullopt;
    return it->second.clsid;
  }

  // The ProgID registered last for the class, as the class key names one.
  std::optional<std::u16string> ProgIdOf(REFCLSID clsid) {
    std::lock_guard<std::mutex> lock(mutex_);
    for (auto key = latest_.rbegin(); key != latest_.rend(); ++key) {
      auto it = entries_.find(*key);
      if (it != entries_.end() && IsEqualCLSID(it->second.clsid, clsid)) return it->second.spelling;
    }
    return std::nullopt;
  }

 private:
  std::mutex mutex_;
  std::map<std::u16string, ProgIdEntry> entries_;  // by folded ProgID
  std::vector<std::u16string> latest_;             // folded ProgIDs in registration order
};

ProgIdRegistry& TheProgIdRegistry() {
  static ProgIdRegistry* const registry = new ProgIdRegistry;
  return *registry;
}

}  // namespace
}  // namespace native_com

WINOLEAPI ProgIDFromCLSID(REFCLSID clsid, LPOLESTR* lplpszProgID) {
  if (lplpszProgID == nullptr) return E_INVALIDARG;
  *lplpszProgID = nullptr;
  const std::optional<std::u16string> prog_id = native_com::TheProgIdRegistry().ProgIdOf(clsid);
  if (!prog_id) return REGDB_E_CLASSNOTREG;
  auto* copy = static_cast<LPOLESTR>(CoTaskMemAlloc((prog_id->size() + 1) * sizeof(OLECHAR)));
  if (copy == nullptr) return E_OUTOFMEMORY;
  prog_id->copy(copy, prog_id->size());
  copy[prog_id->size()] = u'\0';
  *lplpszProgID = copy;
  return S_OK;
}

WINOLEAPI CLSIDFromProgID(LPCOLESTR lpszProgID, LPCLSID lpclsid) {
  if (lpszProgID == nullptr || lpclsid == nullptr) return E_INVALIDARG;
  const std::optional<CLSID> clsid = native_com::TheProgIdRegistry().ClassOf(native_com::WideView(lpszProgID));
  if (!clsid) {
    *lpclsid = GUID_NULL;
    return CO_E_CLASSSTRING;
  }
  *lpclsid = *clsid;
  return S_OK;
}

WINOLEAPI NativeComRegisterProgID(LPCOLESTR progID, REFCLSID rclsid) {
  if (progID == nullptr || progID[0] == u'\0') return E_INVALIDARG;
  native_com::TheProgIdRegistry().Register(native_com::WideView(progID), rclsid);
  return S_OK;
}

WINOLEAPI NativeComUnregisterProgID(LPCOLESTR progID) {
  if (progID == nullptr) return E_INVALIDARG;
  return native_com::TheProgIdRegistry().Unregister(native_com::WideView(progID)) ? S_OK : CO_E_CLASSSTRING;
}
