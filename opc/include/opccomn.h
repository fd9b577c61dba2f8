// OPC Common interfaces: the common server interface, shutdown and the server list.
#pragma once

#include <objbase.h>
#include <comcat.h>

struct IOPCCommon : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE SetLocaleID(LCID dwLcid) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetLocaleID(LCID* pdwLcid) = 0;
  virtual HRESULT STDMETHODCALLTYPE QueryAvailableLocaleIDs(DWORD* pdwCount, LCID** pdwLcid) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetErrorString(HRESULT dwError, LPWSTR* ppString) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetClientName(LPCWSTR szName) = 0;
};

struct IOPCShutdown : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE ShutdownRequest(LPCWSTR szReason) = 0;
};

struct IOPCServerList : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE EnumClassesOfCategories(ULONG cImplemented, CATID rgcatidImpl[], ULONG cRequired,
                                                            CATID rgcatidReq[], IEnumGUID** ppenumClsid) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetClassDetails(REFCLSID clsid, LPOLESTR* ppszProgID, LPOLESTR* ppszUserType) = 0;
  virtual HRESULT STDMETHODCALLTYPE CLSIDFromProgID(LPCOLESTR szProgId, LPCLSID clsid) = 0;
};

extern "C" {
extern const IID IID_IOPCCommon;
extern const IID IID_IOPCShutdown;
extern const IID IID_IOPCServerList;
extern const CLSID CLSID_OpcServerList;
}
