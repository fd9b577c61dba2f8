#include "VEMDcnOpcGroup.h"

namespace {
template <typename Interface>
void ReleaseAndClear(Interface*& pointer) {
  if (pointer != nullptr) {
    pointer->Release();
    pointer = nullptr;
  }
}
}  // namespace

VEMDcnOpcGroup::VEMDcnOpcGroup()
    : _pGroupUnknown(nullptr),
      _pSyncIO(nullptr),
      _pAsyncIO2(nullptr),
      _pItemMgt(nullptr),
      _pServerHandles(nullptr),
      _pWriteHandles(nullptr),
      _hServerGroup(0),
      _RevisedUpdateRate(1000),
      _NbItems(0),
      _SyncIOCookie(0),
      _AsyncIO2Cookie(0) {
  _Name = "";
}

// Revoking the cookies and removing the group from the server are the client's
// work (OpcStop): the record only gives back what it holds.
VEMDcnOpcGroup::~VEMDcnOpcGroup() {
  delete[] _pServerHandles;
  _pServerHandles = nullptr;
  delete[] _pWriteHandles;
  _pWriteHandles = nullptr;
  ReleaseAndClear(_pSyncIO);
  ReleaseAndClear(_pAsyncIO2);
  ReleaseAndClear(_pItemMgt);
  ReleaseAndClear(_pGroupUnknown);
  _SyncIOCookie = 0;
  _AsyncIO2Cookie = 0;
  _Name = "";
}
