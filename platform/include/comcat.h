// Component categories: the GUID enumerator.
#pragma once

#include "objidl.h"

struct IEnumGUID : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE Next(ULONG celt, GUID* rgelt, ULONG* pceltFetched) = 0;
  virtual HRESULT STDMETHODCALLTYPE Skip(ULONG celt) = 0;
  virtual HRESULT STDMETHODCALLTYPE Reset() = 0;
  virtual HRESULT STDMETHODCALLTYPE Clone(IEnumGUID** ppenum) = 0;

 protected:
  ~IEnumGUID() = default;
};
typedef IEnumGUID* LPENUMGUID;
typedef IEnumGUID IEnumCLSID;
typedef IEnumGUID IEnumCATID;

extern "C" const IID IID_IEnumGUID;
