// The connection value: its teardown and the end of the asynchronous subscription.
#include "VEMDcnOpcClientConnection.h"

#include "VEMDcnOpcClientInternal.h"

namespace {

const WCHAR kAsyncGroupName[] = OLESTR("VEM_APP_INPUTS");

// RPC_E_INVALID_OBJREF: what Wine's table answers when it revokes an entry
// holding a proxy to another process. It removes the entry, then fails to
// release the marshaled data, since that names an apartment of the other
// process (Windows revokes such entries).
constexpr HRESULT kInvalidObjectReference = static_cast<HRESULT>(0x8001011DL);

}  // namespace

VEMDcnOpcClient::Connection::~Connection() {
  // Nobody is told of a failure here: the stop that reports them did not run.
  RemoveGroups([](HRESULT, const char*) {}, [](QARError*) {});
  EndSubscription();
}

bool VEMDcnOpcClient::Connection::IsAsyncGroup(const VEMDcnOpcGroup& group) noexcept {
  // Compared without building a string: a teardown must not need memory.
  const comown::wide_view name(group._Name.GetWChar(), static_cast<size_t>(group._Name.GetLengthInChar()));
  return name == comown::view(kAsyncGroupName);
}

HRESULT VEMDcnOpcClient::Connection::Revoke(DWORD cookie, REFIID iid) noexcept {
  const HRESULT hr = git->RevokeInterfaceFromGlobal(cookie);
  if (hr != kInvalidObjectReference) return hr;
  // Revoked all the same when the table no longer knows the entry; an entry
  // still there is a real failure.
  comown::com_ptr<IUnknown> still;
  return git->GetInterfaceFromGlobal(cookie, iid, still.put_void()) == E_INVALIDARG ? S_OK : hr;
}

void VEMDcnOpcClient::Connection::GiveBack(const VEMDcnOpcGroup& group, bool madeOnServer, bool subscribed) noexcept {
  if (git) {
    if (group._SyncIOCookie != 0) Revoke(group._SyncIOCookie, IID_IOPCSyncIO);
    if (group._AsyncIO2Cookie != 0) Revoke(group._AsyncIO2Cookie, IID_IOPCAsyncIO2);
  }
  if (subscribed) EndSubscription();
  // Removing the group also drops what the server holds for it, a callback
  // it took in an Advise that then failed included.
  if (server && madeOnServer) server->RemoveGroup(group._hServerGroup, TRUE);
}

// The client's views of its connection.

IOPCServer* VEMDcnOpcClient::_pOPCServer() const { return _Connection ? _Connection->server.get() : nullptr; }

IOPCCommon* VEMDcnOpcClient::_pOPCCommon() const { return _Connection ? _Connection->common.get() : nullptr; }

IOPCBrowseServerAddressSpace* VEMDcnOpcClient::_pBrowseAddressSpace() const {
  return _Connection ? _Connection->browse.get() : nullptr;
}

IOPCItemProperties* VEMDcnOpcClient::_pItemProperties() const {
  return _Connection ? _Connection->itemProperties.get() : nullptr;
}

const QARListPtrVEMDcnOpcGroup& VEMDcnOpcClient::_Groups() const {
  static const QARListPtrVEMDcnOpcGroup none;
  return _Connection ? _Connection->groups : none;
}

VEMDcnOpcDataCallback* VEMDcnOpcClient::_pDataCallback() const {
  return _Connection ? _Connection->dataCallback.get() : nullptr;
}

IConnectionPoint* VEMDcnOpcClient::_pConnectionPoint() const {
  return _Connection ? _Connection->connectionPoint.get() : nullptr;
}

unsigned int VEMDcnOpcClient::_AdviseCookie() const { return _Connection ? _Connection->adviseCookie : 0; }
