// A tiny COM class and class factory for the runtime's tests, written against
// the standard Windows API only so that the same tests run on both targets.
#pragma once

#include <windows.h>
#include <objbase.h>

#include <atomic>
#include <string>
#include <utility>

namespace com_test {

using WideString = std::basic_string<OLECHAR>;

struct ITestCounter : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE Increment(LONG* value) = 0;
};

// {5C1B7E10-3A8F-4E62-9D0B-71A6C2E4F001}
inline const IID IID_ITestCounter = {0x5C1B7E10, 0x3A8F, 0x4E62, {0x9D, 0x0B, 0x71, 0xA6, 0xC2, 0xE4, 0xF0, 0x01}};
// An interface the test object does not have.
// {5C1B7E10-3A8F-4E62-9D0B-71A6C2E4F002}
inline const IID IID_ITestMissing = {0x5C1B7E10, 0x3A8F, 0x4E62, {0x9D, 0x0B, 0x71, 0xA6, 0xC2, 0xE4, 0xF0, 0x02}};

// Distinct class identifiers, so that tests never see each other's registrations.
inline CLSID TestClassId(uint16_t n) {
  return CLSID{0x5C1B7E20, 0x3A8F, n, {0x9D, 0x0B, 0x71, 0xA6, 0xC2, 0xE4, 0xF1, 0x00}};
}

// Owns one interface reference.
template <class T>
class Ref {
 public:
  Ref() = default;
  explicit Ref(T* owned) : p_(owned) {}
  Ref(const Ref&) = delete;
  Ref& operator=(const Ref&) = delete;
  ~Ref() { Reset(); }
  void Reset() {
    if (T* old = std::exchange(p_, nullptr)) old->Release();
  }
  T** Receive() {
    Reset();
    return &p_;
  }
  void** ReceiveVoid() { return reinterpret_cast<void**>(Receive()); }
  T* Get() const { return p_; }
  T* operator->() const { return p_; }

 private:
  T* p_ = nullptr;
};

// Counts its own references and the calls made through ITestCounter.
class TestObject final : public ITestCounter {
 public:
  static std::atomic<int>& Live() {
    static std::atomic<int> live{0};
    return live;
  }

  TestObject() { ++Live(); }
  TestObject(const TestObject&) = delete;
  TestObject& operator=(const TestObject&) = delete;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
    if (ppv == nullptr) return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_ITestCounter)) {
      *ppv = static_cast<ITestCounter*>(this);
      AddRef();
      return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --refs_;
    if (left == 0) delete this;
    return left;
  }
  HRESULT STDMETHODCALLTYPE Increment(LONG* value) override {
    if (value == nullptr) return E_POINTER;
    *value = ++count_;
    return S_OK;
  }

  ULONG References() const { return refs_; }

 private:
  ~TestObject() { --Live(); }

  std::atomic<ULONG> refs_{1};
  std::atomic<LONG> count_{0};
};

// Makes TestObjects; refuses aggregation but remembers the outer object it was offered.
class TestFactory final : public IClassFactory {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
    if (ppv == nullptr) return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IClassFactory)) {
      *ppv = static_cast<IClassFactory*>(this);
      AddRef();
      return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
  }
  // Lives on the test's stack: the count is only observed.
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
  ULONG STDMETHODCALLTYPE Release() override { return --refs_; }

  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** ppv) override {
    if (ppv == nullptr) return E_POINTER;
    *ppv = nullptr;
    ++created_;
    offered_outer_ = outer;
    if (outer != nullptr) return CLASS_E_NOAGGREGATION;
    auto* object = new TestObject;
    const HRESULT hr = object->QueryInterface(riid, ppv);
    object->Release();
    return hr;
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }

  ULONG References() const { return refs_; }
  int Created() const { return created_; }
  IUnknown* OfferedOuter() const { return offered_outer_; }

 private:
  std::atomic<ULONG> refs_{1};
  std::atomic<int> created_{0};
  std::atomic<IUnknown*> offered_outer_{nullptr};
};

// Keeps the calling thread in COM for a scope.
class ComScope {
 public:
  explicit ComScope(DWORD model) : hr_(CoInitializeEx(nullptr, model)) {}
  ComScope(const ComScope&) = delete;
  ComScope& operator=(const ComScope&) = delete;
  ~ComScope() {
    if (SUCCEEDED(hr_)) CoUninitialize();
  }
  HRESULT Result() const { return hr_; }

 private:
  HRESULT hr_;
};

// Registers a class object locally for a scope.
class ClassRegistration {
 public:
  ClassRegistration(REFCLSID clsid, IUnknown* object, DWORD context = CLSCTX_INPROC_SERVER)
      : hr_(CoRegisterClassObject(clsid, object, context, REGCLS_MULTIPLEUSE, &cookie_)) {}
  ClassRegistration(const ClassRegistration&) = delete;
  ClassRegistration& operator=(const ClassRegistration&) = delete;
  ~ClassRegistration() {
    if (SUCCEEDED(hr_)) CoRevokeClassObject(cookie_);
  }
  HRESULT Result() const { return hr_; }
  DWORD Cookie() const { return cookie_; }

 private:
  DWORD cookie_ = 0;
  HRESULT hr_;
};

}  // namespace com_test
