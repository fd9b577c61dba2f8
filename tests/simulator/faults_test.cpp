// Each kind of scripted fault, and servers that lack interfaces.
#include "sim_test.h"

using namespace simtest;
using opcsim::Fault;

namespace {

class Faults : public SimTest {};

}  // namespace

TEST_F(Faults, FailReturnsTheCodeWithNullOutputsOnEveryCall) {
  sim_.Faults().Add(Fault::Fail("IOPCServer::GetStatus", E_ACCESSDENIED));
  OPCSERVERSTATUS* status = reinterpret_cast<OPCSERVERSTATUS*>(1);
  EXPECT_EQ(E_ACCESSDENIED, server_->GetStatus(&status));
  EXPECT_EQ(nullptr, status);
  EXPECT_EQ(E_ACCESSDENIED, server_->GetStatus(&status));
  sim_.Faults().Clear();
  comown::task_server_status answered;
  ASSERT_EQ(S_OK, server_->GetStatus(answered.put()));
}

TEST_F(Faults, OnCallFiresOnlyOnTheNthMatchingCall) {
  sim_.Faults().Add(Fault::Fail("IEnumString::Next", E_UNEXPECTED).OnCall(2));
  com_ptr<IEnumString> e;
  ASSERT_EQ(S_OK, browse_->ChangeBrowsePosition(OPC_BROWSE_TO, OLESTR("Plant.Area1.Line2")));
  ASSERT_EQ(S_OK, browse_->BrowseOPCItemIDs(OPC_LEAF, OLESTR(""), VT_EMPTY, 0, e.put()));
  comown::task_string s;
  ULONG fetched = 0;
  ASSERT_EQ(S_OK, e->Next(1, s.put(), &fetched));
  EXPECT_EQ(E_UNEXPECTED, e->Next(1, s.put(), &fetched));
  EXPECT_EQ(0u, fetched);
  ASSERT_EQ(S_OK, e->Next(1, s.put(), &fetched));
  EXPECT_EQ("Speed", comown::to_utf8(s.get())) << "the failed call consumed nothing";
}

TEST_F(Faults, WhenRestrictsARuleToCallsWithGivenArguments) {
  sim_.Faults().Add(Fault::Fail("IOPCBrowseServerAddressSpace::ChangeBrowsePosition", E_INVALIDARG)
                        .When([](const opcsim::Call& c) { return c.Arg("direction") == "to"; }));
  EXPECT_EQ(E_INVALIDARG, browse_->ChangeBrowsePosition(OPC_BROWSE_TO, OLESTR("")));
  EXPECT_EQ(S_OK, browse_->ChangeBrowsePosition(OPC_BROWSE_DOWN, OLESTR("Plant")));
  EXPECT_EQ(S_OK, browse_->ChangeBrowsePosition(OPC_BROWSE_UP, OLESTR("")));
}

TEST_F(Faults, AnswerDoesTheWorkAndReturnsTheGivenCode) {
  com_ptr<IOPCItemMgt> group = AddGroup("answer");
  com_ptr<IOPCSyncIO> io = group.as<IOPCSyncIO>();
  OPCHANDLE h = AddItems(group.get(), {"Plant.Types.Double"}).at(0);
  sim_.Faults().Add(Fault::Answer("IOPCSyncIO::Write", OPC_S_CLAMP));
  opcsim::Variant value = opcsim::variant::R8(9.5);
  comown::task_values<HRESULT> errors(1);
  EXPECT_EQ(OPC_S_CLAMP, io->Write(1, &h, value.get(), errors.put()));
  ASSERT_TRUE(errors);
  EXPECT_EQ(S_OK, errors[0]);
  opcsim::Variant stored;
  sim_.GetValue("Plant.Types.Double", &stored);
  EXPECT_EQ(9.5, stored.get()->dblVal);
}

TEST_F(Faults, NullOutSucceedsWithoutAResult) {
  sim_.Faults().Add(Fault::NullOut("IOPCServer::AddGroup"));
  OPCHANDLE h = 5;
  DWORD revised = 5;
  com_ptr<IUnknown> group;
  EXPECT_EQ(S_OK, server_->AddGroup(OLESTR("g"), TRUE, 100, 0, nullptr, nullptr, 0, &h, &revised, IID_IUnknown,
                                    group.put()));
  EXPECT_FALSE(group);
  sim_.Faults().Add(Fault::NullOut("IOPCBrowseServerAddressSpace::BrowseOPCItemIDs", S_FALSE));
  com_ptr<IEnumString> e;
  EXPECT_EQ(S_FALSE, browse_->BrowseOPCItemIDs(OPC_FLAT, OLESTR("*"), VT_EMPTY, 0, e.put()));
  EXPECT_FALSE(e);
}

TEST_F(Faults, EmptyHandsOutAnEnumeratorWithNothing) {
  sim_.Faults().Add(Fault::Empty("IOPCBrowseServerAddressSpace::BrowseOPCItemIDs")
                        .When([](const opcsim::Call& c) { return c.Arg("type") == "leaf"; }));
  HRESULT hr;
  EXPECT_TRUE(Browse(OPC_LEAF, "", VT_EMPTY, 0, &hr).empty());
  EXPECT_EQ(S_FALSE, hr);
  EXPECT_EQ(std::vector<std::string>{"Plant"}, Browse(OPC_BRANCH, "", VT_EMPTY, 0, &hr));
}

TEST_F(Faults, RefuseFailsTheNamedItemsOnly) {
  com_ptr<IOPCItemMgt> group = AddGroup("refuse");
  sim_.Faults().Add(Fault::Refuse("IOPCItemMgt::AddItems", {"Plant.Types.Int8", "Plant.Types.Bool"}));
  std::vector<HRESULT> errors;
  AddItems(group.get(), {"Plant.Types.Int8", "Plant.Types.Int16", "Plant.Types.Bool"}, &errors);
  EXPECT_EQ((std::vector<HRESULT>{OPC_E_UNKNOWNITEMID, S_OK, OPC_E_UNKNOWNITEMID}), errors);
  EXPECT_EQ(S_FALSE, sim_.Calls().Last("IOPCItemMgt::AddItems").result);

  sim_.Faults().Add(Fault::Refuse("IOPCSyncIO::Read", {"Plant.Types.Int16"}, OPC_E_BADRIGHTS));
  OPCHANDLE h = AddItems(group.get(), {"Plant.Types.Int16"}).at(0);
  com_ptr<IOPCSyncIO> io = group.as<IOPCSyncIO>();
  comown::task_item_states states(1);
  comown::task_values<HRESULT> errs;
  EXPECT_EQ(S_FALSE, io->Read(OPC_DS_CACHE, 1, &h, states.put(), errs.put()));
  EXPECT_EQ(OPC_E_BADRIGHTS, errs[0]);

  sim_.Faults().Add(Fault::Refuse("IOPCBrowseServerAddressSpace::GetItemID", {"Status"}, E_FAIL));
  comown::task_string id;
  EXPECT_EQ(E_FAIL, browse_->GetItemID(const_cast<LPWSTR>(OLESTR("Status")), id.put()));
}

TEST_F(Faults, QueryInterfaceOfAGroupCanBeRefused) {
  sim_.Faults().Add(Fault::Fail("IUnknown::QueryInterface", E_NOINTERFACE).When([](const opcsim::Call& c) {
    return c.Arg("object") == "group" && c.Arg("iid") == "IOPCSyncIO";
  }));
  com_ptr<IOPCItemMgt> group = AddGroup("noio");
  EXPECT_FALSE(group.as<IOPCSyncIO>());
  EXPECT_TRUE(group.as<IOPCAsyncIO2>());
}

TEST(LackingServer, ActivationReportsTheInterfacesItLacks) {
  ComScope com;
  opcsim::Options o;
  o.classes[0].common = false;
  o.classes[0].browse = false;
  opcsim::Simulator sim(o);
  {
    MULTI_QI qi[4] = {{&IID_IOPCServer, nullptr, S_OK},
                      {&IID_IOPCCommon, nullptr, S_OK},
                      {&IID_IOPCBrowseServerAddressSpace, nullptr, S_OK},
                      {&IID_IOPCItemProperties, nullptr, S_OK}};
    EXPECT_EQ(CO_S_NOTALLINTERFACES, CoCreateInstanceEx(sim.Clsid(), nullptr, CLSCTX_SERVER, nullptr, 4, qi));
    EXPECT_EQ(S_OK, qi[0].hr);
    EXPECT_EQ(E_NOINTERFACE, qi[1].hr);
    EXPECT_EQ(E_NOINTERFACE, qi[2].hr);
    EXPECT_EQ(S_OK, qi[3].hr);
    for (MULTI_QI& q : qi) com_ptr<IUnknown> released(q.pItf, comown::attach);
  }
  EXPECT_EQ(0, opcsim::LiveObjects());
}

TEST(FailingActivation, CreateInstanceFaultFailsTheActivation) {
  ComScope com;
  opcsim::Simulator sim;
  sim.Faults().Add(Fault::Fail("IClassFactory::CreateInstance", E_OUTOFMEMORY));
  com_ptr<IOPCServer> server;
  EXPECT_EQ(E_OUTOFMEMORY, CoCreateInstance(sim.Clsid(), nullptr, CLSCTX_SERVER, IID_IOPCServer, server.put_void()));
  EXPECT_EQ("OpcSim.DAServer.1", sim.Calls().Last("IClassFactory::CreateInstance").Arg("progid"));
}
