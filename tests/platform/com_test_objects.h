// A tiny COM class and class factory for the runtime's tests, written against
// the standard Windows API only so that the same tests run on both targets.
#pragma once

#include <windows.h>
#include <objbase.h>

#include <atomic>
#include <string>

#include "comown.h"

namespace com_test {

using comown::com_ptr;
using WideString = comown::wide_string;

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

// Answers IUnknown and the interface iid names; counts its references.
template <class Base>
class Counted : public Base {
 public:
  explicit Counted(const IID& iid) : iid_(iid) {}
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
    if (ppv == nullptr) return E_POINTER;
    *ppv = nullptr;
    if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, iid_)) return E_NOINTERFACE;
    *ppv = static_cast<Base*>(this);
    this->AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --refs_;
    if (left == 0) Dispose();
    return left;
  }
  ULONG References() const { return refs_; }

 protected:
  virtual void Dispose() {}  // objects on a test's stack only count

 private:
  const IID& iid_;
  std::atomic<ULONG> refs_{1};
};

// Counts the live objects and the calls made through ITestCounter.
class TestObject final : public Counted<ITestCounter> {
 public:
  static std::atomic<int>& Live() {
    static std::atomic<int> live{0};
    return live;
  }
  TestObject() : Counted(IID_ITestCounter) { ++Live(); }
  HRESULT STDMETHODCALLTYPE Increment(LONG* value) override {
    if (value == nullptr) return E_POINTER;
    *value = ++count_;
    return S_OK;
  }

 private:
  ~TestObject() { --Live(); }
  void Dispose() override { delete this; }
  std::atomic<LONG> count_{0};
};

// Makes TestObjects; refuses aggregation but remembers the outer object it was
// offered and the interface it was asked for. Lives on the test's stack.
class TestFactory final : public Counted<IClassFactory> {
 public:
  TestFactory() : Counted(IID_IClassFactory) {}
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** ppv) override {
    if (ppv == nullptr) return E_POINTER;
    *ppv = nullptr;
    ++created_;
    offered_outer_ = outer;
    requested_ = riid;
    if (outer != nullptr) return CLASS_E_NOAGGREGATION;
    if (FAILED(fail_with_)) return fail_with_;
    com_ptr<TestObject> object(new TestObject, comown::attach);
    return object->QueryInterface(riid, ppv);
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }

  int Created() const { return created_; }
  IUnknown* OfferedOuter() const { return offered_outer_; }
  IID Requested() const { return requested_; }
  void FailWith(HRESULT hr) { fail_with_ = hr; }

 private:
  std::atomic<int> created_{0};
  std::atomic<IUnknown*> offered_outer_{nullptr};
  IID requested_ = GUID_NULL;
  HRESULT fail_with_ = S_OK;
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

COMOWN_INTERFACE_ID(com_test::ITestCounter, com_test::IID_ITestCounter);
