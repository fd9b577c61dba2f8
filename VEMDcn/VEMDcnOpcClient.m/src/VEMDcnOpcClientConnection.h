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
#include "QARXHContext.h"
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

  // Appends a defined group; the connection owns it from now on. Should the
  // list run out of memory, the caller still holds it.
  void AddGroup(std::unique_ptr<VEMDcnOpcGroup>&& group) {
    groups.Append(group.get());
    (void)group.release();
  }

  // Revokes a registration of the table (the entry holds `iid`).
  HRESULT Revoke(DWORD cookie, REFIID iid) noexcept;

  // The group that carries the data callback, by its reserved name.
  static bool IsAsyncGroup(const VEMDcnOpcGroup& group) noexcept;

  // Ends the subscription: Unadvise's result, S_OK when there is none. The
  // cookie, the connection point and the callback go whatever Unadvise says.
  // Unadvise runs guarded: a framework error raised inside it is handed to
  // raised(error) and the result is E_FAIL.
  template <class Raised>
  HRESULT EndSubscription(Raised&& raised);
  HRESULT EndSubscription() noexcept {
    return EndSubscription([](QARError*) {});
  }

  // Takes every group off the server, in list order: revokes its
  // registrations, ends the subscription it carries, removes it and deletes
  // its record. Each failed revoke or removal is passed to
  // failed(hr, context), a framework error raised while the subscription
  // ends to raised(error). The result is that of the last revoke or
  // subscription end (S_OK when none ran); a failed removal leaves it alone.
  template <class Failed, class Raised>
  HRESULT RemoveGroups(Failed&& failed, Raised&& raised);

  // Gives back what a definition that failed had taken, in the order a stop
  // would: the group's registrations, the subscription the definition made,
  // the group on the server (when the server made one). Nothing is reported:
  // the failure that ended the definition is what the caller hears of.
  void GiveBack(const VEMDcnOpcGroup& group, bool madeOnServer, bool subscribed) noexcept;

};

template <class Raised>
HRESULT VEMDcnOpcClient::Connection::EndSubscription(Raised&& raised) {
  HRESULT result = S_OK;
  if (connectionPoint) {
    QARXHContext guard;
    if (!guard.Run([&] { result = connectionPoint->Unadvise(adviseCookie); })) {
      result = E_FAIL;
      raised(guard.GetError());
    }
    adviseCookie = 0;
    connectionPoint.reset();
  }
  dataCallback.reset();
  return result;
}

template <class Failed, class Raised>
HRESULT VEMDcnOpcClient::Connection::RemoveGroups(Failed&& failed, Raised&& raised) {
  HRESULT result = S_OK;
  while (groups.Size() > 0) {
    const std::unique_ptr<VEMDcnOpcGroup> group(groups[1]);
    groups.RemovePosition(1);
    if (!group) continue;
    if (git) {
      if (group->_SyncIOCookie != 0) {
        result = Revoke(group->_SyncIOCookie, IID_IOPCSyncIO);
        if (FAILED(result)) failed(result, "RevokeInterfaceFromGlobal");
      }
      if (group->_AsyncIO2Cookie != 0) {
        result = Revoke(group->_AsyncIO2Cookie, IID_IOPCAsyncIO2);
        if (FAILED(result)) failed(result, "RevokeInterfaceFromGlobal");
        result = EndSubscription(raised);
      }
    }
    if (IsAsyncGroup(*group)) result = EndSubscription(raised);
    if (server) {
      const HRESULT removed = server->RemoveGroup(group->_hServerGroup, TRUE);
      if (FAILED(removed)) failed(removed, "RemoveGroup");
    }
  }
  return result;
}
