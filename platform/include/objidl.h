// Standard COM interfaces: enumerators, marshalling and the Global Interface Table.
#pragma once

#include "unknwn.h"

struct IEnumString : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE Next(ULONG celt, LPOLESTR* rgelt, ULONG* pceltFetched) = 0;
  virtual HRESULT STDMETHODCALLTYPE Skip(ULONG celt) = 0;
  virtual HRESULT STDMETHODCALLTYPE Reset() = 0;
  virtual HRESULT STDMETHODCALLTYPE Clone(IEnumString** ppenum) = 0;

 protected:
  ~IEnumString() = default;
};
typedef IEnumString* LPENUMSTRING;

struct IEnumUnknown : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE Next(ULONG celt, IUnknown** rgelt, ULONG* pceltFetched) = 0;
  virtual HRESULT STDMETHODCALLTYPE Skip(ULONG celt) = 0;
  virtual HRESULT STDMETHODCALLTYPE Reset() = 0;
  virtual HRESULT STDMETHODCALLTYPE Clone(IEnumUnknown** ppenum) = 0;

 protected:
  ~IEnumUnknown() = default;
};

struct IStream;

struct IMarshal : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE GetUnmarshalClass(REFIID riid, void* pv, DWORD dwDestContext, void* pvDestContext,
                                                      DWORD mshlflags, CLSID* pCid) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetMarshalSizeMax(REFIID riid, void* pv, DWORD dwDestContext, void* pvDestContext,
                                                      DWORD mshlflags, DWORD* pSize) = 0;
  virtual HRESULT STDMETHODCALLTYPE MarshalInterface(IStream* pStm, REFIID riid, void* pv, DWORD dwDestContext,
                                                     void* pvDestContext, DWORD mshlflags) = 0;
  virtual HRESULT STDMETHODCALLTYPE UnmarshalInterface(IStream* pStm, REFIID riid, void** ppv) = 0;
  virtual HRESULT STDMETHODCALLTYPE ReleaseMarshalData(IStream* pStm) = 0;
  virtual HRESULT STDMETHODCALLTYPE DisconnectObject(DWORD dwReserved) = 0;

 protected:
  ~IMarshal() = default;
};

struct IGlobalInterfaceTable : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE RegisterInterfaceInGlobal(IUnknown* pUnk, REFIID riid, DWORD* pdwCookie) = 0;
  virtual HRESULT STDMETHODCALLTYPE RevokeInterfaceFromGlobal(DWORD dwCookie) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetInterfaceFromGlobal(DWORD dwCookie, REFIID riid, void** ppv) = 0;

 protected:
  ~IGlobalInterfaceTable() = default;
};
typedef IGlobalInterfaceTable* LPGLOBALINTERFACETABLE;

extern "C" const IID IID_IEnumString;
extern "C" const IID IID_IEnumUnknown;
extern "C" const IID IID_IMarshal;
extern "C" const IID IID_IGlobalInterfaceTable;
extern "C" const CLSID CLSID_StdGlobalInterfaceTable;
