// The connection: everything a client holds of one server, as one value.
//
// The client keeps one only once the server's IOPCServer is there. OpcStop
// takes it apart step by step, reporting each failed step, and then drops it;
// dropped any other way (a second OpcStart, a client that was never stopped)
// it still gives everything back to the server: registrations, the
// subscription, the groups, the interfaces.
#pragma once

#include <memory>

#include "QARListPtrVEMDcnOpcGroup.h"
#include "VEMDcnOpcClient.h"
#include "VEMDcnOpcDataCallback.h"
#include "VEMDcnOpcGroup.h"
#include "comown.h"

struct VEMDcnOpcClient::Connection {
  Connection() = default;
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;
  ~Connection();

  comown::com_ptr<IOPCServer> server;
  comown::com_ptr<IOPCCommon> common;
  comown::com_ptr<IOPCBrowseServerAddressSpace> browse;
  comown::com_ptr<IOPCItemProperties> itemProperties;

  // The group records in the order of definition; the connection owns them.
  QARListPtrVEMDcnOpcGroup groups;

  // The subscription of the asynchronous group. The callback object starts
  // with no reference: hold it with comown::add_ref.
  comown::com_ptr<VEMDcnOpcDataCallback> dataCallback;
  comown::com_ptr<IConnectionPoint> connectionPoint;
  DWORD adviseCookie = 0;

  // The client's Global Interface Table, where the groups' interfaces may be
  // registered; shared so that a connection dropped without a stop can still
  // revoke them.
  comown::com_ptr<IGlobalInterfaceTable> git;

  // Appends a defined group; the connection owns it from now on.
  void AddGroup(std::unique_ptr<VEMDcnOpcGroup> group) {
    groups.Append(group.get());
    (void)group.release();
  }

  // Ends the subscription: Unadvise's result, S_OK when there is none. The
  // cookie, the connection point and the callback go whatever Unadvise says.
  HRESULT EndSubscription() noexcept;

  // Takes every group off the server, in list order: revokes its
  // registrations, ends the subscription it carries, removes it and deletes
  // its record. Each failed revoke or removal is passed to
  // failed(hr, context). The result is that of the last revoke or
  // subscription end (S_OK when none ran); a failed removal leaves it alone.
  template <class Failed>
  HRESULT RemoveGroups(Failed&& failed);

 private:
  static bool IsAsyncGroup(const VEMDcnOpcGroup& group) noexcept;
};

template <class Failed>
HRESULT VEMDcnOpcClient::Connection::RemoveGroups(Failed&& failed) {
  HRESULT result = S_OK;
  while (groups.Size() > 0) {
    const std::unique_ptr<VEMDcnOpcGroup> group(groups[1]);
    groups.RemovePosition(1);
    if (!group) continue;
    if (git) {
      if (group->_SyncIOCookie != 0) {
        result = git->RevokeInterfaceFromGlobal(group->_SyncIOCookie);
        if (FAILED(result)) failed(result, "RevokeInterfaceFromGlobal");
      }
      if (group->_AsyncIO2Cookie != 0) {
        result = git->RevokeInterfaceFromGlobal(group->_AsyncIO2Cookie);
        if (FAILED(result)) failed(result, "RevokeInterfaceFromGlobal");
        result = EndSubscription();
      }
    }
    if (IsAsyncGroup(*group)) result = EndSubscription();
    if (server) {
      const HRESULT removed = server->RemoveGroup(group->_hServerGroup, TRUE);
      if (FAILED(removed)) failed(removed, "RemoveGroup");
    }
  }
  return result;
}
