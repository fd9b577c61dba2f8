// The call log of the simulation server: one record per server method call,
// with the arguments that tests want to assert on.
//
// Method names follow one scheme everywhere (call log and fault rules):
// "Interface::Method", with the interface named as in the OPC and COM headers,
// e.g. "IOPCServer::AddGroup", "IOPCBrowseServerAddressSpace::BrowseOPCItemIDs",
// "IEnumString::Next", "IOPCSyncIO::Read", "IOPCAsyncIO2::Write",
// "IConnectionPoint::Advise", "IOPCServerList::GetClassDetails",
// "IClassFactory::CreateInstance", "IUnknown::QueryInterface".
//
// Argument keys (all values are text; numbers in decimal, booleans "1"/"0",
// pointers that may be null as "null" or their value, item IDs and names in UTF-8):
//   every call on a server object    "server": the object's serial number
//   every call on a group object     "group": the group's server handle
//   IUnknown::QueryInterface         "object" (server, group, serverlist, enum, connectionpoint), "iid" (interface name, or the GUID text)
//   IClassFactory::CreateInstance    "clsid", "progid"
//   IOPCServer::AddGroup             "name", "active", "updateRate", "clientGroup", "timeBias", "deadband", "lcid", "iid"
//   IOPCServer::GetErrorString       "error" (hex 0x...), "lcid"
//   IOPCServer::GetGroupByName       "name", "iid"
//   IOPCServer::RemoveGroup          "handle", "force"
//   IOPCServer::CreateGroupEnumerator "scope", "iid"
//   IOPCCommon::SetLocaleID          "lcid"
//   IOPCCommon::GetErrorString       "error"
//   IOPCCommon::SetClientName        "name"
//   IOPCBrowseServerAddressSpace::ChangeBrowsePosition  "direction" (up, down, to), "name"
//   IOPCBrowseServerAddressSpace::BrowseOPCItemIDs      "type" (branch, leaf, flat), "filter", "dataType", "accessRights"
//   IOPCBrowseServerAddressSpace::GetItemID             "name"
//   IOPCBrowseServerAddressSpace::BrowseAccessPaths     "item"
//   IOPCItemProperties::*            "item", "count", list "properties"
//   IOPCItemMgt::AddItems/ValidateItems  "count", lists "items", "accessPaths", "clientHandles", "dataTypes", "active"
//   IOPCItemMgt::RemoveItems/SetActiveState/SetClientHandles/SetDatatypes  "count", list "handles" (+ "active", list "clientHandles", list "dataTypes")
//   IOPCSyncIO::Read                 "source" (cache, device), "count", list "handles"
//   IOPCSyncIO::Write                "count", list "handles", list "types" (VARTYPE of each value)
//   IOPCAsyncIO2::Read/Write         "count", list "handles", "transactionId" (+ list "types")
//   IOPCAsyncIO2::Refresh2           "source", "transactionId"
//   IOPCAsyncIO2::Cancel2            "cancelId"
//   IOPCAsyncIO2::SetEnable          "enable"
//   IOPCGroupStateMgt::SetState      "updateRate", "active", "timeBias", "deadband", "lcid", "clientGroup" ("null" when not given)
//   IOPCGroupStateMgt::SetName/CloneGroup  "name"
//   IConnectionPoint::Advise/Unadvise "cookie" (Unadvise)
//   IEnum*::Next                     "count"; IEnum*::Skip "count"
//   IOPCServerList::EnumClassesOfCategories  lists "implemented", "required" (GUID texts; "any" when the count is (ULONG)-1)
//   IOPCServerList::GetClassDetails  "clsid"; IOPCServerList::CLSIDFromProgID "progid"
#pragma once

#include <atomic>
#include <cstddef>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include <objbase.h>

namespace opcsim {

struct Call {
  std::string method;
  std::map<std::string, std::string> args;
  std::map<std::string, std::vector<std::string>> lists;
  HRESULT result = S_OK;  // what the method returned
  bool returned = false;  // false while the call is still running

  // The argument's text, or the empty text when the call has no such argument.
  std::string Arg(const std::string& key) const;
  bool Has(const std::string& key) const;
  // A list argument, empty when absent.
  const std::vector<std::string>& List(const std::string& key) const;
};

// Thread-safe; the simulator appends, tests read.
class CallLog {
 public:
  std::vector<Call> All() const;
  std::vector<Call> Of(const std::string& method) const;
  std::size_t Count(const std::string& method) const;
  // The most recent call of the method (an empty record when there is none).
  Call Last(const std::string& method) const;
  // Method names in call order, handy for asserting sequences.
  std::vector<std::string> Methods() const;
  void Clear();
  // Recording costs a record per call; benchmarks that make millions of
  // calls switch it off, and calls then format nothing unless a fault rule
  // for their method looks at the arguments. On by default.
  void Enable(bool on) { enabled_ = on; }
  bool Enabled() const { return enabled_; }

  std::size_t Append(Call call);
  void SetResult(std::size_t index, HRESULT hr);

 private:
  mutable std::mutex mutex_;
  std::vector<Call> calls_;
  std::size_t base_ = 0;  // index of calls_[0] since the log was created (Clear moves it)
  std::atomic<bool> enabled_{true};
};

// Every "Interface::Method" the simulator serves and logs, for tests that
// check they reach all of what a client calls.
const std::vector<std::string>& ServedMethods();

}  // namespace opcsim
