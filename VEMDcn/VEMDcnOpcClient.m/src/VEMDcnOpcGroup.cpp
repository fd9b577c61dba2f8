#include "VEMDcnOpcGroup.h"

VEMDcnOpcGroup::VEMDcnOpcGroup()
    : _hServerGroup(0), _RevisedUpdateRate(1000), _NbItems(0), _SyncIOCookie(0), _AsyncIO2Cookie(0) {
  _Name = "";
}

// Revoking the cookies and removing the group from the server are the client's
// work (OpcStop): the record only gives back what it holds, the group object
// itself last.
VEMDcnOpcGroup::~VEMDcnOpcGroup() {
  _pServerHandles.reset();
  _pWriteHandles.reset();
  _pSyncIO.reset();
  _pAsyncIO2.reset();
  _pItemMgt.reset();
  _pGroupUnknown.reset();
}
