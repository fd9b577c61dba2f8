// VEMDcnOpcGroup: the client's record of one group defined on the server. The
// client owns its records; a host only ever sees the group handle.
#pragma once

#include <objbase.h>

#include <memory>

#include "QARUnicodeString.h"
#include "VEMDcnExport.h"
#include "comown.h"
#include "opcda.h"

class VEMDCN_EXPORT VEMDcnOpcGroup {
 public:
  VEMDcnOpcGroup();
  virtual ~VEMDcnOpcGroup();

  VEMDcnOpcGroup(const VEMDcnOpcGroup&) = delete;
  VEMDcnOpcGroup& operator=(const VEMDcnOpcGroup&) = delete;

  comown::com_ptr<IUnknown> _pGroupUnknown;
  comown::com_ptr<IOPCSyncIO> _pSyncIO;
  comown::com_ptr<IOPCAsyncIO2> _pAsyncIO2;
  comown::com_ptr<IOPCItemMgt> _pItemMgt;
  std::unique_ptr<OPCHANDLE[]> _pServerHandles;  // _NbItems entries
  std::unique_ptr<OPCHANDLE[]> _pWriteHandles;   // _NbItems entries, all 0 between writes
  OPCHANDLE _hServerGroup;
  unsigned int _RevisedUpdateRate;
  unsigned int _NbItems;
  unsigned int _SyncIOCookie;
  unsigned int _AsyncIO2Cookie;
  QARUnicodeString _Name;
};
