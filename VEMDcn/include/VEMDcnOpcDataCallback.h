// VEMDcnOpcDataCallback: the sink the client subscribes to the asynchronous
// group. Completions are accepted and ignored: the client reports only what
// the server said when it took a request.
#pragma once

#include <objbase.h>

#include "VEMDcnExport.h"
#include "opcda.h"

class VEMDCN_EXPORT VEMDcnOpcDataCallback : public IOPCDataCallback {
 public:
  VEMDcnOpcDataCallback();
  virtual ~VEMDcnOpcDataCallback();

  VEMDcnOpcDataCallback(const VEMDcnOpcDataCallback&) = delete;
  VEMDcnOpcDataCallback& operator=(const VEMDcnOpcDataCallback&) = delete;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;

  HRESULT STDMETHODCALLTYPE OnDataChange(DWORD dwTransid, OPCHANDLE hGroup, HRESULT hrMasterquality,
                                         HRESULT hrMastererror, DWORD dwCount, OPCHANDLE* phClientItems,
                                         VARIANT* pvValues, WORD* pwQualities, FILETIME* pftTimeStamps,
                                         HRESULT* pErrors) override;
  HRESULT STDMETHODCALLTYPE OnReadComplete(DWORD dwTransid, OPCHANDLE hGroup, HRESULT hrMasterquality,
                                           HRESULT hrMastererror, DWORD dwCount, OPCHANDLE* phClientItems,
                                           VARIANT* pvValues, WORD* pwQualities, FILETIME* pftTimeStamps,
                                           HRESULT* pErrors) override;
  HRESULT STDMETHODCALLTYPE OnWriteComplete(DWORD dwTransid, OPCHANDLE hGroup, HRESULT hrMastererr, DWORD dwCount,
                                            OPCHANDLE* pClienthandles, HRESULT* pErrors) override;
  HRESULT STDMETHODCALLTYPE OnCancelComplete(DWORD dwTransid, OPCHANDLE hGroup) override;

 private:
  LONG _RefCount;
};
