// What the call log records of a client's calls.
#include "sim_test.h"

using namespace simtest;

namespace {

class CallLog : public SimTest {};

}  // namespace

TEST_F(CallLog, AddGroupRecordsItsArguments) {
  LONG bias = 60;
  OPCHANDLE h = 0;
  DWORD revised = 0;
  com_ptr<IUnknown> group;
  ASSERT_EQ(S_OK, server_->AddGroup(OLESTR("logged"), FALSE, 250, 12, &bias, nullptr, 0x409, &h, &revised,
                                    IID_IOPCItemMgt, group.put()));
  opcsim::Call call = sim_.Calls().Last("IOPCServer::AddGroup");
  EXPECT_EQ("logged", call.Arg("name"));
  EXPECT_EQ("0", call.Arg("active"));
  EXPECT_EQ("250", call.Arg("updateRate"));
  EXPECT_EQ("12", call.Arg("clientGroup"));
  EXPECT_EQ("60", call.Arg("timeBias"));
  EXPECT_EQ("null", call.Arg("deadband"));
  EXPECT_EQ("IOPCItemMgt", call.Arg("iid"));
  EXPECT_TRUE(call.returned);
  EXPECT_EQ(S_OK, call.result);
}

TEST_F(CallLog, BrowseAndIoCallsRecordDirectionsHandlesAndTransactions) {
  sim_.Calls().Clear();
  browse_->ChangeBrowsePosition(OPC_BROWSE_DOWN, OLESTR("Plant"));
  browse_->ChangeBrowsePosition(OPC_BROWSE_UP, OLESTR(""));
  Browse(OPC_LEAF, "S*", VT_I4, OPC_READABLE);
  std::vector<opcsim::Call> moves = sim_.Calls().Of("IOPCBrowseServerAddressSpace::ChangeBrowsePosition");
  ASSERT_EQ(2u, moves.size());
  EXPECT_EQ("down", moves[0].Arg("direction"));
  EXPECT_EQ("Plant", moves[0].Arg("name"));
  EXPECT_EQ("up", moves[1].Arg("direction"));
  opcsim::Call listing = sim_.Calls().Last("IOPCBrowseServerAddressSpace::BrowseOPCItemIDs");
  EXPECT_EQ("leaf", listing.Arg("type"));
  EXPECT_EQ("S*", listing.Arg("filter"));
  EXPECT_EQ("3", listing.Arg("dataType"));
  EXPECT_EQ("1", listing.Arg("accessRights"));

  OPCHANDLE group = 0;
  com_ptr<IOPCItemMgt> items = AddGroup("io", TRUE, 100, &group);
  std::vector<OPCHANDLE> h = AddItems(items.get(), {"Plant.Types.Int8", "Plant.Types.UInt8"});
  EXPECT_EQ((std::vector<std::string>{"Plant.Types.Int8", "Plant.Types.UInt8"}),
            sim_.Calls().Last("IOPCItemMgt::AddItems").List("items"));
  com_ptr<IOPCSyncIO> io = items.as<IOPCSyncIO>();
  comown::task_item_states states(2);
  comown::task_values<HRESULT> errors;
  ASSERT_EQ(S_OK, io->Read(OPC_DS_CACHE, 2, h.data(), states.put(), errors.put()));
  opcsim::Call read = sim_.Calls().Last("IOPCSyncIO::Read");
  EXPECT_EQ("cache", read.Arg("source"));
  EXPECT_EQ(std::to_string(group), read.Arg("group"));
  EXPECT_EQ((std::vector<std::string>{std::to_string(h[0]), std::to_string(h[1])}), read.List("handles"));

  com_ptr<IOPCAsyncIO2> async = items.as<IOPCAsyncIO2>();
  DWORD cancel = 0;
  async->Read(2, h.data(), 4711, &cancel, errors.put());
  EXPECT_EQ("4711", sim_.Calls().Last("IOPCAsyncIO2::Read").Arg("transactionId"));
  EXPECT_EQ(CONNECT_E_NOCONNECTION, sim_.Calls().Last("IOPCAsyncIO2::Read").result);
}

TEST_F(CallLog, SwitchedOffItRecordsNothingWhileFaultRulesStillFire) {
  sim_.Calls().Clear();
  sim_.Calls().Enable(false);
  LCID lcid = 0;
  EXPECT_EQ(S_OK, common_->GetLocaleID(&lcid));
  sim_.Faults().Add(opcsim::Fault::Fail("IOPCCommon::GetLocaleID", E_ACCESSDENIED));
  EXPECT_EQ(E_ACCESSDENIED, common_->GetLocaleID(&lcid));
  EXPECT_TRUE(sim_.Calls().All().empty());
  sim_.Calls().Enable(true);
  common_->GetLocaleID(&lcid);
  EXPECT_EQ(1u, sim_.Calls().Count("IOPCCommon::GetLocaleID"));
}
