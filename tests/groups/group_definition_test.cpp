// Group definition: what the server is asked, what a failure gives back.
#include <map>

#include "QARMsgCatalog.h"
#include "group_test_support.h"

using namespace grouptest;

namespace {

class DefineGroupTest : public GroupTest {};

const Ids kThree = {"Plant.Types.Int16", "Plant.Types.String", "Plant.Types.Double"};

TEST_F(DefineGroupTest, AsksTheServerForTheGroupAndItsItems) {
  const unsigned long first = Defined({"First", kThree, {VT_EMPTY, VT_BSTR, VT_R4}, nullptr, 1, 0});
  Defined({"Second", kThree, {}, nullptr, 0, 1});
  Defined({"Third", {"Plant.Area2.Tank1.Setpoint"}, {}, "COM1"});
  const std::map<std::string, std::string> group = {{"name", "First"},   {"active", "0"},        {"updateRate", "100"},
                                                    {"clientGroup", "0"}, {"timeBias", "null"}, {"deadband", "null"},
                                                    {"lcid", "0"},        {"iid", "IUnknown"}};
  for (const auto& [key, value] : group) EXPECT_EQ(value, sim->Calls().Of("IOPCServer::AddGroup")[0].Arg(key)) << key;
  const auto items = sim->Calls().Of("IOPCItemMgt::AddItems");
  EXPECT_EQ(std::to_string(first), items[0].Arg("group"));  // the handle is the server's
  EXPECT_EQ(kThree, items[0].List("items"));
  EXPECT_EQ(Ids({"0", "8", "4"}), items[0].List("dataTypes"));
  EXPECT_EQ(Ids({"0", "0", "0"}), items[0].List("active"));
  EXPECT_EQ(Ids({"", "", ""}), items[0].List("accessPaths"));
  EXPECT_EQ(Ids({"COM1"}), items[2].List("accessPaths"));
  // One counter of client handles for every group of a connection.
  EXPECT_EQ(Ids({"1", "2", "3"}), items[0].List("clientHandles"));
  EXPECT_EQ(Ids({"4", "5", "6"}), items[1].List("clientHandles"));
  VEMDcnOpcClientInspector view(*client);
  EXPECT_EQ(8u, view.NextClientHandle());
  EXPECT_TRUE(view.Group(1)->_SyncIOCookie != 0 && view.Group(2)->_SyncIOCookie == 0);
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
    EXPECT_EQ(row.subscribes, view.Subscribed() && view.Group(1)->_AsyncIO2Cookie != 0) << row.name;
    // Notifications off: completions are all the client wants.
    EXPECT_EQ(row.subscribes ? "0" : "", sim->Calls().Last("IOPCAsyncIO2::SetEnable").Arg("enable"));
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
  for (const std::string& id : {kThree[0], kThree[2]}) {
    const QARUnicodeString p(id.c_str());
    const auto refused = QARMsgCatalog::BuildMessage("VEMDcnOpcClient", "VEMOPCERR10", &p, 1, QARUnicodeString());
    EXPECT_NE(std::string::npos, error.message.find(Utf8(refused))) << error.message;
  }
  EXPECT_NE(std::string::npos, error.message.find(" - AddItems(): "));
  EXPECT_EQ(std::string::npos, error.message.find(kThree[1]));
  EXPECT_EQ(77u, handle);
  EXPECT_EQ(4u, VEMDcnOpcClientInspector(*client).NextClientHandle());  // handles taken stay taken
  EXPECT_EQ(1u, sim->Calls().Count("IOPCServer::RemoveGroup"));
}

// Every way a definition fails: the error names the step, and the server, the
// table and the subscription are left as they were (the fixture's end checks
// that nothing stays alive).
TEST_F(DefineGroupTest, AFailedDefinitionGivesBackWhatItTook) {
  const auto queryOf = [](const char* iid, unsigned call = 1) {
    return Fault::Fail("IUnknown::QueryInterface", E_NOINTERFACE)
        .When([iid](const opcsim::Call& c) { return c.Arg("iid") == iid; })
        .OnCall(call);  // the second query of an interface is the table's
  };
  const struct {
    Fault fault;
    unsigned char async;
    const char* context;  // null: the server's code is the result, with no error object
    bool subscribed;      // the subscription was made, and is ended again
  } rows[] = {
      {Fault::Fail("IOPCServer::AddGroup", E_OUTOFMEMORY), 0, "AddGroup()", false},
      {Fault::NullOut("IOPCServer::AddGroup"), 0, "AddGroup()", false},
      {queryOf("IOPCSyncIO"), 0, "QueryInterface(IID_IOPCSyncIO)", false},
      {queryOf("IOPCSyncIO", 2), 0, "RegisterInterfaceInGlobal(IID_IOPCSyncIO)", false},
      {queryOf("IOPCAsyncIO2"), 1, "QueryInterface(IID_IOPCAsyncIO2)", false},
      {queryOf("IOPCAsyncIO2", 2), 1, "RegisterInterfaceInGlobal(IID_IOPCAsyncIO2)", false},
      {queryOf("IConnectionPointContainer"), 1, "IUnknown::QueryInterface(IID_IConnectionPointContainer)", false},
      {Fault::NullOut("IConnectionPointContainer::FindConnectionPoint"), 1,
       "IConnectionPointContainer::FindConnectionPoint(IID_IOPCDataCallback)", false},
      {Fault::Fail("IConnectionPoint::Advise", E_FAIL), 1, "IConnectionPoint::Advise", false},
      // The server keeps the callback, then fails: it goes with the group.
      {Fault::Answer("IConnectionPoint::Advise", E_FAIL), 1, "IConnectionPoint::Advise", false},
      {Fault::Fail("IOPCAsyncIO2::SetEnable", E_UNEXPECTED), 1, nullptr, true},
      {queryOf("IOPCItemMgt"), 1, "QueryInterface(IID_IOPCItemMgt)", true},
      {Fault::Fail("IOPCItemMgt::AddItems", E_OUTOFMEMORY), 1, "AddItems()", true},
      {Fault::NullOut("IOPCItemMgt::AddItems"), 0, "AddItems()", false},
      {Fault::Answer("IOPCItemMgt::AddItems", E_FAIL), 0, "AddItems()", false},  // with its results
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.fault.Method() + " " + (row.context ? row.context : "(no error)"));
    sim->Faults().Add(row.fault);
    unsigned long handle = 77;
    const long hr = Define({"VEM_APP_INPUTS", kThree, {}, nullptr, 1, 1, row.async}, handle);
    const ReportedError error = Reported(hr);
    EXPECT_EQ(row.context ? E_FAIL : E_UNEXPECTED, hr);
    EXPECT_EQ(row.context ? row.context : "", error.present ? error.parameters.at(2) : "");
    EXPECT_EQ(77u, handle);
    VEMDcnOpcClientInspector view(*client);
    EXPECT_FALSE(view.GroupCount() != 0 || view.Subscribed());
    const bool made = row.fault.Method() != "IOPCServer::AddGroup";
    EXPECT_EQ(made ? 1u : 0u, sim->Calls().Count("IOPCServer::RemoveGroup"));
    EXPECT_EQ(row.subscribed ? 1u : 0u, sim->Calls().Count("IConnectionPoint::Unadvise"));
    sim->Faults().Clear();
    StartClient();
  }
}

TEST_F(DefineGroupTest, MissingInputsAreNullPointers) {
  StartClient(0);  // without the table, useGIT cannot be served
  unsigned long handle = 0;
  EXPECT_EQ(E_POINTER, client->DefineGroup(Text16(comown::to_wide("G")), 0, nullptr, nullptr, nullptr, handle, 0, 1, 0));
  EXPECT_EQ(E_POINTER, Define({"G", kThree}, handle));
  client->OpcStop();
  EXPECT_EQ(E_POINTER, Define({"G", kThree, {}, nullptr, 0}, handle));
  EXPECT_EQ(3u, log.Count("Invalid NULL input pointer"));
  EXPECT_EQ(0u, sim->Calls().Count("IOPCServer::AddGroup"));
}

}  // namespace
