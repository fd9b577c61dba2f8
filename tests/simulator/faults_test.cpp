// The rules that pick which call a fault hits, and servers that lack interfaces.
#include "sim_test.h"

using namespace simtest;
using opcsim::Fault;

namespace {

class Faults : public SimTest {};

}  // namespace

TEST_F(Faults, FailReturnsTheCodeWithNullOutputsOnEveryCallOrTheNth) {
  sim_.Faults().Add(Fault::Fail("IOPCServer::GetStatus", E_ACCESSDENIED));
  OPCSERVERSTATUS* status = reinterpret_cast<OPCSERVERSTATUS*>(1);
  EXPECT_EQ(E_ACCESSDENIED, server_->GetStatus(&status));
  EXPECT_EQ(nullptr, status);
  EXPECT_EQ(E_ACCESSDENIED, server_->GetStatus(&status));
  sim_.Faults().Clear();
  comown::task_server_status answered;
  ASSERT_EQ(S_OK, server_->GetStatus(answered.put()));

  sim_.Faults().Add(Fault::Fail("IEnumString::Next", E_UNEXPECTED).OnCall(2));
  ASSERT_EQ(S_OK, browse_->ChangeBrowsePosition(OPC_BROWSE_TO, OLESTR("Plant.Area1.Line2")));
  com_ptr<IEnumString> e;
  ASSERT_EQ(S_OK, browse_->BrowseOPCItemIDs(OPC_LEAF, OLESTR(""), VT_EMPTY, 0, e.put()));
  comown::task_string s;
  ULONG fetched = 0;
  ASSERT_EQ(S_OK, e->Next(1, s.put(), &fetched));
  EXPECT_EQ(E_UNEXPECTED, e->Next(1, s.put(), &fetched));
  EXPECT_EQ(0u, fetched);
  ASSERT_EQ(S_OK, e->Next(1, s.put(), &fetched));
  EXPECT_EQ("Speed", comown::to_utf8(s.get())) << "the failed call consumed nothing";
}

TEST_F(Faults, WhenRestrictsARuleToCallsWithGivenArgumentsAlsoWithTheLogOff) {
  sim_.Calls().Clear();
  sim_.Calls().Enable(false);
  sim_.Faults().Add(Fault::Fail("IOPCBrowseServerAddressSpace::ChangeBrowsePosition", E_INVALIDARG)
                        .When([](const opcsim::Call& c) { return c.Arg("direction") == "to"; }));
  EXPECT_EQ(E_INVALIDARG, browse_->ChangeBrowsePosition(OPC_BROWSE_TO, OLESTR("")));
  EXPECT_EQ(S_OK, browse_->ChangeBrowsePosition(OPC_BROWSE_DOWN, OLESTR("Plant")));
  sim_.Faults().Add(Fault::Fail("IUnknown::QueryInterface", E_NOINTERFACE).When([](const opcsim::Call& c) {
    return c.Arg("object") == "group" && c.Arg("iid") == "IOPCSyncIO";
  }));
  com_ptr<IOPCItemMgt> group = AddGroup("noio");
  EXPECT_FALSE(group.as<IOPCSyncIO>());
  EXPECT_TRUE(group.as<IOPCAsyncIO2>());
  EXPECT_TRUE(sim_.Calls().All().empty());
  sim_.Calls().Enable(true);
  EXPECT_FALSE(group.as<IOPCSyncIO>());
  EXPECT_EQ(1u, sim_.Calls().Count("IUnknown::QueryInterface"));
}

TEST_F(Faults, RefuseFailsTheNamedItemsOnly) {
  com_ptr<IOPCItemMgt> group = AddGroup("refuse");
  sim_.Faults().Add(Fault::Refuse("IOPCItemMgt::AddItems", {"Plant.Types.Int8", "Plant.Types.Bool"}));
  std::vector<HRESULT> errors;
  AddItems(group.get(), {"Plant.Types.Int8", "Plant.Types.Int16", "Plant.Types.Bool"}, &errors);
  EXPECT_EQ((std::vector<HRESULT>{OPC_E_UNKNOWNITEMID, S_OK, OPC_E_UNKNOWNITEMID}), errors);

  sim_.Calls().Enable(false);  // rules work without the log
  sim_.Faults().Add(Fault::Refuse("IOPCSyncIO::Read", {"Plant.Types.Int16"}, OPC_E_BADRIGHTS));
  OPCHANDLE h = AddItems(group.get(), {"Plant.Types.Int16"}).at(0);
  comown::task_item_states states(1);
  comown::task_values<HRESULT> errs;
  EXPECT_EQ(S_FALSE, group.as<IOPCSyncIO>()->Read(OPC_DS_CACHE, 1, &h, states.put(), errs.put()));
  EXPECT_EQ(std::vector<HRESULT>{OPC_E_BADRIGHTS}, Values(errs, 1));

  // By the name asked for or by the item ID it makes.
  sim_.Faults().Add(
      Fault::Refuse("IOPCBrowseServerAddressSpace::GetItemID", {"Status", "Plant.Area1.Line2.Speed"}, E_FAIL));
  comown::task_string id;
  EXPECT_EQ(E_FAIL, browse_->GetItemID(const_cast<LPWSTR>(OLESTR("Status")), id.put()));
  ASSERT_EQ(S_OK, browse_->ChangeBrowsePosition(OPC_BROWSE_TO, OLESTR("Plant.Area1.Line2")));
  EXPECT_EQ(E_FAIL, browse_->GetItemID(const_cast<LPWSTR>(OLESTR("Speed")), id.put()));
  EXPECT_EQ(S_OK, browse_->GetItemID(const_cast<LPWSTR>(OLESTR("Start")), id.put()));
}

TEST(LackingServer, ActivationReportsWhatTheServerLacksAndLeavesNothingBehind) {
  ComScope com;
  opcsim::Options o;
  o.classes[0].common = false;
  o.classes[0].browse = false;
  o.classes.push_back(opcsim::ServerClass::Numbered(2));
  o.classes[1].server = false;
  opcsim::Simulator sim(o);
  MULTI_QI qi[4] = {{&IID_IOPCServer, nullptr, S_OK},
                    {&IID_IOPCCommon, nullptr, S_OK},
                    {&IID_IOPCBrowseServerAddressSpace, nullptr, S_OK},
                    {&IID_IOPCItemProperties, nullptr, S_OK}};
  EXPECT_EQ(CO_S_NOTALLINTERFACES, CoCreateInstanceEx(sim.Clsid(), nullptr, CLSCTX_SERVER, nullptr, 4, qi));
  std::vector<HRESULT> found;
  for (MULTI_QI& q : qi) {
    found.push_back(q.hr);
    com_ptr<IUnknown> released(q.pItf, comown::attach);
  }
  EXPECT_EQ((std::vector<HRESULT>{S_OK, E_NOINTERFACE, E_NOINTERFACE, S_OK}), found);
  com_ptr<IUnknown> server;
  EXPECT_EQ(E_NOINTERFACE, CoCreateInstance(o.classes[1].clsid, nullptr, CLSCTX_SERVER, IID_IOPCServer,
                                            server.put_void()));
  EXPECT_EQ(0, opcsim::LiveObjects()) << "the server made for the activation went with it";
  EXPECT_EQ(S_OK, CoCreateInstance(o.classes[1].clsid, nullptr, CLSCTX_SERVER, IID_IOPCCommon, server.put_void()));
  server.reset();
  sim.Faults().Add(Fault::Fail("IClassFactory::CreateInstance", E_OUTOFMEMORY));
  EXPECT_EQ(E_OUTOFMEMORY, CoCreateInstance(sim.Clsid(), nullptr, CLSCTX_SERVER, IID_IOPCServer, server.put_void()));
  EXPECT_EQ("OpcSim.DAServer.1", sim.Calls().Last("IClassFactory::CreateInstance").Arg("progid"));
  EXPECT_EQ(0, opcsim::LiveObjects());
}
