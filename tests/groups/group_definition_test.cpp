// Group definition: what the server is asked, what a failure gives back.
#include "QARMsgCatalog.h"
#include "group_test_support.h"

using namespace grouptest;
using opcsim::Fault;

namespace {

class DefineGroupTest : public GroupTest {};

const Ids kThree = {"Plant.Types.Int16", "Plant.Types.String", "Plant.Types.Double"};

TEST_F(DefineGroupTest, AsksTheServerForTheGroupAndItsItems) {
  const unsigned long first = Defined({"First", kThree, {VT_EMPTY, VT_BSTR, VT_R4}, nullptr, 1, 0});
  const unsigned long second = Defined({"Second", kThree, {}, nullptr, 0, 1});
  Defined({"Third", {"Plant.Area2.Tank1.Setpoint"}, {}, "COM1"});
  const auto groups = sim->Calls().Of("IOPCServer::AddGroup");
  const auto items = sim->Calls().Of("IOPCItemMgt::AddItems");
  ASSERT_EQ(3u, groups.size());
  const std::map<std::string, std::string> added = {{"name", "First"}, {"active", "0"}, {"updateRate", "100"},
                                                    {"clientGroup", "0"}, {"timeBias", "null"}, {"deadband", "null"},
                                                    {"lcid", "0"}, {"iid", "IUnknown"}};
  for (const auto& [key, value] : added) EXPECT_EQ(value, groups[0].Arg(key)) << key;
  EXPECT_EQ(std::to_string(first), items[0].Arg("group"));
  EXPECT_EQ(std::to_string(second), items[1].Arg("group"));
  EXPECT_EQ(kThree, items[0].List("items"));
  EXPECT_EQ(Ids({"", "", ""}), items[0].List("accessPaths"));
  EXPECT_EQ(Ids({"COM1"}), items[2].List("accessPaths"));
  EXPECT_EQ(Ids({"0", "8", "4"}), items[0].List("dataTypes"));
  EXPECT_EQ(Ids({"0", "0", "0"}), items[0].List("active"));
  // One counter of client handles, shared by the groups of a connection.
  EXPECT_EQ(Ids({"1", "2", "3"}), items[0].List("clientHandles"));
  EXPECT_EQ(Ids({"4", "5", "6"}), items[1].List("clientHandles"));
  VEMDcnOpcClientInspector view(*client);
  EXPECT_EQ(8u, view.NextClientHandle());
  EXPECT_NE(0u, view.Group(1)->_SyncIOCookie);
  EXPECT_EQ(0u, view.Group(2)->_SyncIOCookie);
  EXPECT_EQ(0u, sim->Calls().Count("IConnectionPoint::Advise"));
}

TEST_F(DefineGroupTest, OnlyTheReservedNameWithTheFlagSubscribes) {
  const struct {
    const char* name;
    unsigned char async;
    bool subscribes;
  } rows[] = {{"VEM_APP_INPUTS", 1, true}, {"VEM_APP_INPUTS", 0, false}, {"Inputs", 1, false}};
  for (const auto& row : rows) {
    Defined({row.name, kThree, {}, nullptr, 1, 1, row.async});
    VEMDcnOpcClientInspector view(*client);
    EXPECT_EQ(row.subscribes, view.Subscribed()) << row.name;
    EXPECT_EQ(row.subscribes, view.Group(1)->_AsyncIO2Cookie != 0) << row.name;
    EXPECT_EQ(row.subscribes ? 1u : 0u, sim->Calls().Count("IOPCAsyncIO2::SetEnable"));
    if (row.subscribes) {
      EXPECT_EQ("0", sim->Calls().Last("IOPCAsyncIO2::SetEnable").Arg("enable"));
    }
    StartClient();
  }
}

TEST_F(DefineGroupTest, RefusedItemsFailTheWholeDefinitionOneEntryEach) {
  sim->Faults().Add(Fault::Refuse("IOPCItemMgt::AddItems", {kThree[0], kThree[2]}));
  unsigned long handle = 77;
  const long hr = Define({"G", kThree}, handle);
  EXPECT_EQ(E_FAIL, hr);
  const ReportedError error = Reported(hr);
  EXPECT_EQ("VEMOPCERR15", error.key);
  const auto refused = [](const std::string& id) {
    const QARUnicodeString p(id.c_str());
    return Utf8(QARMsgCatalog::BuildMessage("VEMDcnOpcClient", "VEMOPCERR10", &p, 1, QARUnicodeString()));
  };
  for (const std::string& text : {std::string(" - AddItems(): "), refused(kThree[0]), refused(kThree[2])})
    EXPECT_NE(std::string::npos, error.message.find(text)) << error.message;
  EXPECT_EQ(std::string::npos, error.message.find(kThree[1]));
  EXPECT_EQ(77u, handle);
  VEMDcnOpcClientInspector view(*client);
  EXPECT_EQ(0, view.GroupCount());
  EXPECT_EQ(4u, view.NextClientHandle());  // handles taken stay taken
  EXPECT_EQ(1u, sim->Calls().Count("IOPCServer::RemoveGroup"));
}

// Every way a definition fails: the error names the step, and the server, the
// table and the subscription are left as they were (the live-object count of
// the fixture's end shows nothing is held).
TEST_F(DefineGroupTest, AFailedDefinitionGivesBackWhatItTook) {
  const auto queryOf = [](const char* iid, unsigned call = 1) {
    return Fault::Fail("IUnknown::QueryInterface", E_NOINTERFACE)
        .When([iid](const opcsim::Call& c) { return c.Arg("iid") == iid; })
        .OnCall(call);
  };
  const struct {
    Fault fault;
    unsigned char async;
    const char* context;  // null: the result is the server's code, without an error object
    bool removed;
  } rows[] = {
      {Fault::Fail("IOPCServer::AddGroup", E_OUTOFMEMORY), 0, "AddGroup()", false},
      {Fault::NullOut("IOPCServer::AddGroup"), 0, "AddGroup()", false},
      {queryOf("IOPCSyncIO"), 0, "QueryInterface(IID_IOPCSyncIO)", true},
      {queryOf("IOPCSyncIO", 2), 0, "RegisterInterfaceInGlobal(IID_IOPCSyncIO)", true},
      {queryOf("IOPCAsyncIO2"), 1, "QueryInterface(IID_IOPCAsyncIO2)", true},
      {queryOf("IOPCAsyncIO2", 2), 1, "RegisterInterfaceInGlobal(IID_IOPCAsyncIO2)", true},
      {queryOf("IConnectionPointContainer"), 1, "IUnknown::QueryInterface(IID_IConnectionPointContainer)", true},
      {Fault::NullOut("IConnectionPointContainer::FindConnectionPoint"), 1,
       "IConnectionPointContainer::FindConnectionPoint(IID_IOPCDataCallback)", true},
      {Fault::Fail("IConnectionPoint::Advise", E_FAIL), 1, "IConnectionPoint::Advise", true},
      // The server keeps the callback, then fails: it goes with the group.
      {Fault::Answer("IConnectionPoint::Advise", CONNECT_E_ADVISELIMIT), 1, "IConnectionPoint::Advise", true},
      {Fault::Fail("IOPCAsyncIO2::SetEnable", E_UNEXPECTED), 1, nullptr, true},
      {queryOf("IOPCItemMgt"), 1, "QueryInterface(IID_IOPCItemMgt)", true},
      {Fault::Fail("IOPCItemMgt::AddItems", E_OUTOFMEMORY), 1, "AddItems()", true},
      {Fault::NullOut("IOPCItemMgt::AddItems"), 0, "AddItems()", true},
      {Fault::Answer("IOPCItemMgt::AddItems", E_FAIL), 0, "AddItems()", true},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.fault.Method() + " " + (row.context ? row.context : "(no error)"));
    sim->Faults().Add(row.fault);
    unsigned long handle = 77;
    const long hr = Define({"VEM_APP_INPUTS", kThree, {}, nullptr, 1, 1, row.async}, handle);
    const ReportedError error = Reported(hr);
    if (row.context) {
      EXPECT_EQ(E_FAIL, hr);
      ASSERT_EQ(4u, error.parameters.size());
      EXPECT_EQ(row.context, error.parameters[2]);
    } else {
      EXPECT_EQ(E_UNEXPECTED, hr);
      EXPECT_FALSE(error.present);
      EXPECT_EQ(1u, sim->Calls().Count("IConnectionPoint::Unadvise"));
    }
    EXPECT_EQ(77u, handle);
    VEMDcnOpcClientInspector view(*client);
    EXPECT_EQ(0, view.GroupCount());
    EXPECT_FALSE(view.Subscribed());
    EXPECT_EQ(row.removed ? 1u : 0u, sim->Calls().Count("IOPCServer::RemoveGroup"));
    sim->Faults().Clear();
    StartClient();
  }
}

TEST_F(DefineGroupTest, MissingInputsAreNullPointers) {
  StartClient(0);  // without the table, useGIT cannot be served
  unsigned long handle = 0;
  const comown::wide_string name = comown::to_wide("G");
  EXPECT_EQ(E_POINTER, client->DefineGroup(const_cast<unsigned short*>(Text16(name)), 0, nullptr, nullptr, nullptr,
                                           handle, 0, 1, 0));
  EXPECT_EQ(E_POINTER, Define({"G", kThree}, handle));
  client->OpcStop();
  EXPECT_EQ(E_POINTER, Define({"G", kThree, {}, nullptr, 0}, handle));
  EXPECT_EQ(3u, log.Count("Invalid NULL input pointer"));
  EXPECT_EQ(0u, sim->Calls().Count("IOPCServer::AddGroup"));
}

}  // namespace
