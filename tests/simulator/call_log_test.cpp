// What the call log records of a client's calls.
#include "sim_test.h"

using namespace simtest;

namespace {

class CallLog : public SimTest {};

}  // namespace

TEST_F(CallLog, RecordsTheArgumentsOfEachCallAndItsResult) {
  LONG bias = 60;
  OPCHANDLE group = 0;
  DWORD revised = 0;
  com_ptr<IOPCItemMgt> items;
  ASSERT_EQ(S_OK, server_->AddGroup(OLESTR("logged"), FALSE, 250, 12, &bias, nullptr, 0x409, &group, &revised,
                                    IID_IOPCItemMgt, PutUnknown(items)));
  browse_->ChangeBrowsePosition(OPC_BROWSE_DOWN, OLESTR("Plant"));
  Browse(OPC_LEAF, "S*", VT_I4, OPC_READABLE);
  std::vector<OPCHANDLE> h = AddItems(items.get(), {"Plant.Types.Int8", "Plant.Types.UInt8"});
  comown::task_item_states states(2);
  comown::task_values<HRESULT> errors;
  ASSERT_EQ(S_OK, items.as<IOPCSyncIO>()->Read(OPC_DS_CACHE, 2, h.data(), states.put(), errors.put()));
  DWORD cancel = 0;
  items.as<IOPCAsyncIO2>()->Read(2, h.data(), 4711, &cancel, errors.put());

  const char* args[][3] = {// method, key, value
                           {"IOPCServer::AddGroup", "name", "logged"},
                           {"IOPCServer::AddGroup", "active", "0"},
                           {"IOPCServer::AddGroup", "updateRate", "250"},
                           {"IOPCServer::AddGroup", "clientGroup", "12"},
                           {"IOPCServer::AddGroup", "timeBias", "60"},
                           {"IOPCServer::AddGroup", "deadband", "null"},
                           {"IOPCServer::AddGroup", "iid", "IOPCItemMgt"},
                           {"IOPCBrowseServerAddressSpace::ChangeBrowsePosition", "direction", "down"},
                           {"IOPCBrowseServerAddressSpace::ChangeBrowsePosition", "name", "Plant"},
                           {"IOPCBrowseServerAddressSpace::BrowseOPCItemIDs", "type", "leaf"},
                           {"IOPCBrowseServerAddressSpace::BrowseOPCItemIDs", "filter", "S*"},
                           {"IOPCBrowseServerAddressSpace::BrowseOPCItemIDs", "dataType", "3"},
                           {"IOPCBrowseServerAddressSpace::BrowseOPCItemIDs", "accessRights", "1"},
                           {"IOPCSyncIO::Read", "source", "cache"},
                           {"IOPCAsyncIO2::Read", "transactionId", "4711"}};
  for (const auto& a : args) EXPECT_EQ(a[2], sim_.Calls().Last(a[0]).Arg(a[1])) << a[0] << " " << a[1];
  EXPECT_EQ(std::to_string(group), sim_.Calls().Last("IOPCSyncIO::Read").Arg("group"));
  EXPECT_EQ((std::vector<std::string>{"Plant.Types.Int8", "Plant.Types.UInt8"}),
            sim_.Calls().Last("IOPCItemMgt::AddItems").List("items"));
  EXPECT_EQ((std::vector<std::string>{std::to_string(h[0]), std::to_string(h[1])}),
            sim_.Calls().Last("IOPCSyncIO::Read").List("handles"));
  opcsim::Call added = sim_.Calls().Last("IOPCServer::AddGroup");
  EXPECT_TRUE(added.returned);
  EXPECT_EQ(S_OK, added.result);
  EXPECT_EQ(CONNECT_E_NOCONNECTION, sim_.Calls().Last("IOPCAsyncIO2::Read").result);
}
