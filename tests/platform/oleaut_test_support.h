// Helpers of the OLE Automation tests. Standard Windows API only: the same
// tests build against the real headers and run on the real runtime.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <string>

// The text of a BSTR in ASCII, embedded NULs included.
inline std::string Ascii(BSTR text) {
  std::string out;
  for (UINT i = 0; i < SysStringLen(text); ++i) out.push_back(static_cast<char>(text[i]));
  return out;
}

// A VARIANT that clears itself at the end of a test.
class TestVariant {
 public:
  TestVariant() { VariantInit(&v_); }
  ~TestVariant() { VariantClear(&v_); }
  TestVariant(const TestVariant&) = delete;
  TestVariant& operator=(const TestVariant&) = delete;
  VARIANT* operator&() { return &v_; }
  VARIANT* operator->() { return &v_; }

 private:
  VARIANT v_;
};

inline void SetI4(VARIANT* v, LONG value) {
  v->vt = VT_I4;
  v->lVal = value;
}
inline void SetR8(VARIANT* v, double value) {
  v->vt = VT_R8;
  v->dblVal = value;
}
inline void SetDate(VARIANT* v, DATE value) {
  v->vt = VT_DATE;
  v->date = value;
}
inline void SetBool(VARIANT* v, bool value) {
  v->vt = VT_BOOL;
  v->boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
}
inline void SetText(VARIANT* v, const OLECHAR* text) {
  v->vt = VT_BSTR;
  v->bstrVal = SysAllocString(text);
}

// An object that only counts its references; it lives on the test's stack.
class CountedObject : public IUnknown {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
    if (!IsEqualIID(riid, IID_IUnknown)) {
      *ppv = nullptr;
      return E_NOINTERFACE;
    }
    *ppv = static_cast<IUnknown*>(this);
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
  ULONG STDMETHODCALLTYPE Release() override { return --refs_; }
  ULONG refs() const { return refs_; }

 private:
  ULONG refs_ = 1;
};
