// Activation: CoGetClassObject, CoCreateInstance and CoCreateInstanceEx, and
// the record of the last activation that the native extension reports.
#include <algorithm>
#include <mutex>

#include <native_com_ext.h>

#include "comown.h"
#include "com_runtime.h"
#include "wide_text.h"

namespace native_com {
namespace {

class ActivationRecord {
 public:
  void Note(const COSERVERINFO* server, DWORD context) {
    std::lock_guard<std::mutex> lock(mutex_);
    host_ = server != nullptr ? std::u16string(WideView(server->pwszName)) : std::u16string();
    context_ = context;
    ++count_;
  }
  std::u16string Host() {
    std::lock_guard<std::mutex> lock(mutex_);
    return host_;
  }
  DWORD Context() {
    std::lock_guard<std::mutex> lock(mutex_);
    return context_;
  }
  ULONG Count() {
    std::lock_guard<std::mutex> lock(mutex_);
    return count_;
  }

 private:
  std::mutex mutex_;
  std::u16string host_;
  DWORD context_ = 0;
  ULONG count_ = 0;
};

ActivationRecord& TheActivationRecord() {
  static ActivationRecord* const record = new ActivationRecord;
  return *record;
}

std::u16string ServerName(const COSERVERINFO* server) {
  return server != nullptr ? std::u16string(WideView(server->pwszName)) : std::u16string();
}

bool IsRemote(const COSERVERINFO* server) { return !IsLocalHostName(ServerName(server)); }

// Finds the class object after the caller checked its arguments and apartment.
HRESULT LocateClassObject(REFCLSID clsid, DWORD context, const COSERVERINFO* server, IUnknown** object) {
  TheActivationRecord().Note(server, context);
  *object = nullptr;
  if (!IsRemote(server) && IsEqualCLSID(clsid, CLSID_StdGlobalInterfaceTable) &&
      (context & CLSCTX_INPROC_SERVER) != 0) {
    *object = GlobalInterfaceTableClassObject();
    (*object)->AddRef();
    return S_OK;
  }
  return FindClassObject(ServerName(server), clsid, context, object);
}

HRESULT CreateWithFactory(REFCLSID clsid, IUnknown* outer, DWORD context, const COSERVERINFO* server, REFIID riid,
                          void** object) {
  if (outer != nullptr && IsRemote(server)) return CLASS_E_NOAGGREGATION;
  comown::com_ptr<IUnknown> class_object;
  HRESULT hr = LocateClassObject(clsid, context, server, class_object.put());
  if (FAILED(hr)) return hr;
  comown::com_ptr<IClassFactory> factory;
  hr = class_object->QueryInterface(IID_IClassFactory, factory.put_void());
  if (FAILED(hr)) return hr;
  return factory->CreateInstance(outer, riid, object);
}

void ResetResults(DWORD count, MULTI_QI* results) {
  for (DWORD i = 0; i < count; ++i) {
    results[i].pItf = nullptr;
    results[i].hr = E_NOINTERFACE;
  }
}

// Asks the new object for every requested interface; the result tells whether
// all, some or none were found.
HRESULT QueryResults(IUnknown* object, DWORD count, MULTI_QI* results) {
  DWORD found = 0;
  for (DWORD i = 0; i < count; ++i) {
    MULTI_QI& entry = results[i];
    entry.hr = entry.pIID != nullptr ? object->QueryInterface(*entry.pIID, reinterpret_cast<void**>(&entry.pItf))
                                     : E_INVALIDARG;
    if (FAILED(entry.hr)) {
      entry.pItf = nullptr;
    } else {
      ++found;
    }
  }
  if (found == count) return S_OK;
  return found > 0 ? CO_S_NOTALLINTERFACES : E_NOINTERFACE;
}

}  // namespace
}  // namespace native_com

WINOLEAPI CoGetClassObject(REFCLSID rclsid, DWORD dwClsContext, COSERVERINFO* pServerInfo, REFIID riid,
                           LPVOID* ppv) {
  if (ppv == nullptr) return E_INVALIDARG;
  *ppv = nullptr;
  if (!native_com::ThreadCanUseCom()) return CO_E_NOTINITIALIZED;
  comown::com_ptr<IUnknown> class_object;
  const HRESULT hr = native_com::LocateClassObject(rclsid, dwClsContext, pServerInfo, class_object.put());
  if (FAILED(hr)) return hr;
  return class_object->QueryInterface(riid, ppv);
}

WINOLEAPI CoCreateInstance(REFCLSID rclsid, LPUNKNOWN pUnkOuter, DWORD dwClsContext, REFIID riid, LPVOID* ppv) {
  if (ppv == nullptr) return E_POINTER;
  *ppv = nullptr;
  if (!native_com::ThreadCanUseCom()) return CO_E_NOTINITIALIZED;
  return native_com::CreateWithFactory(rclsid, pUnkOuter, dwClsContext, nullptr, riid, ppv);
}

// The factory is asked for the first requested interface, as Windows and Wine
// ask it, so an object without that interface fails here as it fails there.
// Every entry, the first included, then comes from QueryInterface on the new
// object. When the creation fails, the entries keep E_NOINTERFACE, as Wine
// leaves them.
WINOLEAPI CoCreateInstanceEx(REFCLSID rclsid, IUnknown* punkOuter, DWORD dwClsCtx, COSERVERINFO* pServerInfo,
                             DWORD dwCount, MULTI_QI* pResults) {
  if (dwCount == 0 || pResults == nullptr) return E_INVALIDARG;
  native_com::ResetResults(dwCount, pResults);
  if (!native_com::ThreadCanUseCom()) return CO_E_NOTINITIALIZED;
  if (pResults[0].pIID == nullptr) return E_INVALIDARG;
  comown::com_ptr<IUnknown> object;
  const HRESULT hr = native_com::CreateWithFactory(rclsid, punkOuter, dwClsCtx, pServerInfo, *pResults[0].pIID,
                                                   object.put_void());
  if (FAILED(hr)) return hr;
  return native_com::QueryResults(object.get(), dwCount, pResults);
}

WINOLEAPI_(int) NativeComLastActivationHost(LPWSTR buffer, int cchMax) {
  const std::u16string host = native_com::TheActivationRecord().Host();
  if (buffer != nullptr && cchMax > 0) {
    const size_t copied = std::min(host.size(), static_cast<size_t>(cchMax - 1));
    host.copy(buffer, copied);
    buffer[copied] = u'\0';
  }
  return static_cast<int>(host.size());
}

WINOLEAPI_(DWORD) NativeComLastActivationContext(void) { return native_com::TheActivationRecord().Context(); }

WINOLEAPI_(ULONG) NativeComActivationCount(void) { return native_com::TheActivationRecord().Count(); }
