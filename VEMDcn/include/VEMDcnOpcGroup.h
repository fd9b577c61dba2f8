// VEMDcnOpcGroup: the client's record of one group defined on the server. The
// client owns its records; a host only ever sees the group handle.
#pragma once

#include <objbase.h>

#include "QARUnicodeString.h"
#include "VEMDcnExport.h"
#include "opcda.h"

class VEMDCN_EXPORT VEMDcnOpcGroup {
 public:
  VEMDcnOpcGroup();
  virtual ~VEMDcnOpcGroup();

  VEMDcnOpcGroup(const VEMDcnOpcGroup&) = delete;
  VEMDcnOpcGroup& operator=(const VEMDcnOpcGroup&) = delete;

  IUnknown* _pGroupUnknown;
  IOPCSyncIO* _pSyncIO;
  IOPCAsyncIO2* _pAsyncIO2;
  IOPCItemMgt* _pItemMgt;
  OPCHANDLE* _pServerHandles;
  OPCHANDLE* _pWriteHandles;
  OPCHANDLE _hServerGroup;
  unsigned int _RevisedUpdateRate;
  unsigned int _NbItems;
  unsigned int _SyncIOCookie;
  unsigned int _AsyncIO2Cookie;
  QARUnicodeString _Name;
};
