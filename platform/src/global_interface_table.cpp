// The Global Interface Table: one process-wide object that keeps interface
// references under cookies so that any thread in COM can fetch them.
#include <map>
#include <mutex>

#include "comown.h"
#include "com_runtime.h"

namespace native_com {
namespace {

struct GlobalEntry {
  IUnknown* object;  // the reference for the registered interface
  IID iid;
};

// Lives for the whole process, so its reference count is only nominal.
class GlobalInterfaceTable final : public IGlobalInterfaceTable {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
    if (ppv == nullptr) return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IGlobalInterfaceTable)) {
      *ppv = static_cast<IGlobalInterfaceTable*>(this);
      return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }

  HRESULT STDMETHODCALLTYPE RegisterInterfaceInGlobal(IUnknown* pUnk, REFIID riid, DWORD* pdwCookie) override {
    if (pdwCookie == nullptr) return E_INVALIDARG;
    *pdwCookie = 0;
    if (pUnk == nullptr) return E_INVALIDARG;
    if (!ThreadCanUseCom()) return CO_E_NOTINITIALIZED;
    IUnknown* held = nullptr;
    const HRESULT hr = pUnk->QueryInterface(riid, reinterpret_cast<void**>(&held));
    if (FAILED(hr)) return hr;
    std::lock_guard<std::mutex> lock(mutex_);
    *pdwCookie = next_cookie_++;
    entries_.emplace(*pdwCookie, GlobalEntry{held, riid});
    return S_OK;
  }

  HRESULT STDMETHODCALLTYPE RevokeInterfaceFromGlobal(DWORD dwCookie) override {
    if (!ThreadCanUseCom()) return CO_E_NOTINITIALIZED;
    comown::com_ptr<IUnknown> released;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      auto it = entries_.find(dwCookie);
      if (it == entries_.end()) return E_INVALIDARG;
      released.attach(it->second.object);
      entries_.erase(it);
    }
    return S_OK;
  }

  HRESULT STDMETHODCALLTYPE GetInterfaceFromGlobal(DWORD dwCookie, REFIID riid, void** ppv) override {
    if (ppv == nullptr) return E_INVALIDARG;
    *ppv = nullptr;
    if (!ThreadCanUseCom()) return CO_E_NOTINITIALIZED;
    comown::com_ptr<IUnknown> held;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      auto it = entries_.find(dwCookie);
      if (it == entries_.end()) return E_INVALIDARG;
      held.copy_from(it->second.object);
    }
    return held->QueryInterface(riid, ppv);
  }

 private:
  std::mutex mutex_;
  std::map<DWORD, GlobalEntry> entries_;
  DWORD next_cookie_ = 0x100;
};

// The class object behind CLSID_StdGlobalInterfaceTable: every instance it
// creates is the one table.
class GlobalInterfaceTableFactory final : public IClassFactory {
 public:
  explicit GlobalInterfaceTableFactory(GlobalInterfaceTable& table) : table_(table) {}

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
    if (ppv == nullptr) return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IClassFactory)) {
      *ppv = static_cast<IClassFactory*>(this);
      return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }

  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** ppv) override {
    if (ppv == nullptr) return E_POINTER;
    *ppv = nullptr;
    if (outer != nullptr) return CLASS_E_NOAGGREGATION;
    return table_.QueryInterface(riid, ppv);
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }

 private:
  GlobalInterfaceTable& table_;
};

}  // namespace

IUnknown* GlobalInterfaceTableClassObject() {
  // Never destroyed: threads may still use the table while the process exits.
  static GlobalInterfaceTable* const table = new GlobalInterfaceTable;
  static GlobalInterfaceTableFactory* const factory = new GlobalInterfaceTableFactory(*table);
  return factory;
}

}  // namespace native_com
