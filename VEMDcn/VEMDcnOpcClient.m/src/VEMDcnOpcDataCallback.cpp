#include <windows.h>

#include "VEMDcnOpcDataCallback.h"

VEMDcnOpcDataCallback::VEMDcnOpcDataCallback() : _RefCount(0) {}

VEMDcnOpcDataCallback::~VEMDcnOpcDataCallback() = default;

HRESULT STDMETHODCALLTYPE VEMDcnOpcDataCallback::QueryInterface(REFIID riid, void** ppv) {
  if (ppv == nullptr) return E_POINTER;
  if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IOPCDataCallback)) {
    *ppv = static_cast<IOPCDataCallback*>(this);
    AddRef();
    return S_OK;
  }
  *ppv = nullptr;
  return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE VEMDcnOpcDataCallback::AddRef() { return static_cast<ULONG>(InterlockedIncrement(&_RefCount)); }

ULONG STDMETHODCALLTYPE VEMDcnOpcDataCallback::Release() {
  const LONG remaining = InterlockedDecrement(&_RefCount);
  if (remaining == 0) delete this;
  return static_cast<ULONG>(remaining);
}

HRESULT STDMETHODCALLTYPE VEMDcnOpcDataCallback::OnDataChange(DWORD, OPCHANDLE, HRESULT, HRESULT, DWORD, OPCHANDLE*,
                                                              VARIANT*, WORD*, FILETIME*, HRESULT*) {
  return S_OK;
}

HRESULT STDMETHODCALLTYPE VEMDcnOpcDataCallback::OnReadComplete(DWORD, OPCHANDLE, HRESULT, HRESULT, DWORD, OPCHANDLE*,
                                                                VARIANT*, WORD*, FILETIME*, HRESULT*) {
  return S_OK;
}

HRESULT STDMETHODCALLTYPE VEMDcnOpcDataCallback::OnWriteComplete(DWORD, OPCHANDLE, HRESULT, DWORD, OPCHANDLE*,
                                                                 HRESULT*) {
  return S_OK;
}

HRESULT STDMETHODCALLTYPE VEMDcnOpcDataCallback::OnCancelComplete(DWORD, OPCHANDLE) { return S_OK; }
