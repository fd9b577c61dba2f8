// Start, stop and reset of a connection, as a host sees them.
#include <functional>
#include <memory>
#include <thread>

#include "QARXHContext.h"

#include "client_test_support.h"

using namespace clienttest;

namespace {

const char* const kProgId = "OpcSim.DAServer.1";

class LifecycleTest : public ClientTest {
 protected:
  // Only the apartment the fixture entered is left on this thread: leaving it
  // leaves COM (call with no simulator registered in it).
  static void ExpectComBalanced() {
    CoUninitialize();
    EXPECT_EQ(S_OK, CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
  }
};

TEST_F(LifecycleTest, NeverStartedClientStopsCleanly) {
  VEMDcnOpcClient client;
  VEMDcnOpcClientInspector view(client);
  EXPECT_EQ(S_OK, client.OpcStop());
  EXPECT_EQ(S_OK, client.OpcStop());
  EXPECT_FALSE(view.Started() || view.ComInitialized());
  QARUnicodeString name("untouched");
  EXPECT_EQ(S_OK, client.GetOpcSrvName(name));
  EXPECT_EQ("", Utf8(name));
  EXPECT_TRUE(log.Lines().empty());
}

TEST_F(LifecycleTest, EachStartTakesTheFourInterfacesAndNamesTheClient) {
  {
    opcsim::Simulator sim;
    VEMDcnOpcClient client;
    VEMDcnOpcClientInspector view(client);
    for (int round = 0; round < 2; ++round) {
      EXPECT_EQ(S_OK, client.OpcStart(kProgId, "", 500, 2.5f));
      EXPECT_TRUE(view.Started() && view.ComInitialized());
      EXPECT_TRUE(view.HasServer() && view.HasCommon() && view.HasBrowse() && view.HasItemProperties());
      EXPECT_EQ(500u, view.UpdateRate());
      EXPECT_EQ(2.5f, view.PercentDeadband());
      EXPECT_EQ(11, view.SupportedTypeCount());
      EXPECT_EQ(1u, view.NextClientHandle());
      EXPECT_EQ(kProgId, sim.Calls().Last("IOPCServerList::CLSIDFromProgID").Arg("progid"));
      if (round == 0) {
        EXPECT_EQ(S_OK, client.OpcStop());
        EXPECT_FALSE(view.Started() || view.HasServer() || view.HasCommon() || view.HasBrowse() ||
                     view.HasItemProperties());
        EXPECT_EQ(0, opcsim::LiveObjects());
      }
    }
    const auto names = sim.Calls().Of("IOPCCommon::SetClientName");
    ASSERT_EQ(2u, names.size());
    EXPECT_EQ("RozaduzUrurure", names[1].Arg("name"));
  }  // the destructor stops the second connection
  EXPECT_EQ(0, opcsim::LiveObjects());
  ExpectComBalanced();
  EXPECT_TRUE(log.Lines().empty());
}

// A failed start names the failed call, wrapped when the activation (with the
// server's name) or the dispatch failed; it keeps what it was given, and
// leaves the client Started only when the dispatch found IOPCServer.
TEST_F(LifecycleTest, FailedStartsNameTheCallAndKeepWhatTheyWereGiven) {
  const auto serverWith = [](std::function<void(opcsim::ServerClass&)> change) {
    opcsim::ServerClass server;
    change(server);
    return WithClass(server);
  };
  opcsim::Options noServerList;
  noServerList.serverList = false;
  const struct {
    opcsim::Options options;
    std::vector<opcsim::Fault> faults;
    const char* progId;
    const char* key;
    const char* context;
    bool started;
  } cases[] = {
      {{}, {}, "No.Such.Server", "VEMOPCERR02", "No.Such.Server", false},
      {noServerList, {}, kProgId, "VEMOPCERR02", kProgId, false},
      {{}, {opcsim::Fault::Fail("IClassFactory::CreateInstance", E_OUTOFMEMORY)}, kProgId, "VEMOPCERR13",
       "CoCreateInstanceEx", false},
      {serverWith([](opcsim::ServerClass& s) { s.common = false; }), {}, kProgId, "VEMOPCERR14",
       "Failed to query IOPCCommon", true},
      {serverWith([](opcsim::ServerClass& s) { s.properties = false; }), {}, kProgId, "VEMOPCERR14",
       "Failed to query IOPCItemProperties", true},
      {{}, {opcsim::Fault::Fail("IOPCCommon::SetClientName", E_ACCESSDENIED)}, kProgId, "VEMOPCERR14",
       "IOPCCommon::SetClientName", true},
  };
  for (const auto& c : cases) {
    opcsim::Simulator sim(c.options);
    for (const opcsim::Fault& fault : c.faults) sim.Faults().Add(fault);
    VEMDcnOpcClient client;
    VEMDcnOpcClientInspector view(client);
    const ReportedError error = Reported(client.OpcStart(c.progId, "", 250, 1.5f));
    ASSERT_TRUE(error.present) << c.context;
    EXPECT_EQ(c.key, error.key) << c.context;
    EXPECT_NE(std::string::npos, error.message.find(c.context)) << error.message;
    if (error.key == "VEMOPCERR13") {
      EXPECT_EQ(kProgId, error.parameters[0]);
    }
    EXPECT_EQ(c.started, view.Started()) << c.context;
    QARUnicodeString name;
    client.GetOpcSrvName(name);
    EXPECT_EQ(c.progId, Utf8(name));
    EXPECT_EQ(250u, view.UpdateRate());
    EXPECT_EQ(1.5f, view.PercentDeadband());
    EXPECT_EQ(S_OK, client.OpcStop());
    EXPECT_FALSE(view.ComInitialized());
    EXPECT_EQ(0, opcsim::LiveObjects());
  }
}

TEST_F(LifecycleTest, GlobalInterfaceTableGoesWithTheFirstStartedStop) {
  opcsim::Simulator sim;
  VEMDcnOpcClient client(true);
  VEMDcnOpcClientInspector view(client);
  EXPECT_TRUE(view.HasGIT());
  EXPECT_EQ(S_OK, client.OpcStop());
  EXPECT_TRUE(view.HasGIT());  // an idle stop leaves it
  ASSERT_EQ(S_OK, client.OpcStart(kProgId, "", 100, 0.0f));
  EXPECT_EQ(S_OK, client.OpcStop());
  EXPECT_FALSE(view.HasGIT());
}

TEST_F(LifecycleTest, ThreadInTheMultithreadedApartmentCannotStart) {
  long hr = S_OK;
  ReportedError error;
  std::thread([&] {
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    {
      VEMDcnOpcClient client;
      hr = client.OpcStart(kProgId, "", 100, 0.0f);
      error = Reported(hr);
    }
    CoUninitialize();
  }).join();
  EXPECT_TRUE(FAILED(hr));
  ASSERT_TRUE(error.present);
  EXPECT_EQ("CoInitializeEx(COINIT_APARTMENTTHREADED)", error.parameters[2]);
}

TEST_F(LifecycleTest, ComEnteredByTheClassLookupIsNotEnteredAgainByStart) {
  {
    opcsim::Simulator sim;
    VEMDcnOpcClient client;
    VEMDcnOpcClientInspector view(client);
    GUID clsid = GUID_NULL;
    std::u16string progId(u"OpcSim.DAServer.1");
    ASSERT_EQ(S_OK, client.GetOpcServerCLSID(reinterpret_cast<unsigned short*>(&progId[0]), clsid));
    EXPECT_TRUE(IsEqualGUID(clsid, sim.Clsid()));
    EXPECT_TRUE(view.ComInitialized());
    EXPECT_FALSE(view.Started());
    ASSERT_EQ(S_OK, client.OpcStart(kProgId, "", 100, 0.0f));
    EXPECT_EQ(S_OK, client.OpcStop());
  }
  ExpectComBalanced();
}

// A failure returned without an error object, after another client's failed
// start left its error for the same code: the host must not find that one.
TEST_F(LifecycleTest, NullProgIdIsRefusedWithoutComAndWithoutAnOlderError) {
  VEMDcnOpcClient earlier;
  ASSERT_EQ(E_FAIL, earlier.OpcStart("No.Such.Server", "", 100, 0.0f));
  VEMDcnOpcClient client;
  GUID clsid = GUID_NULL;
  EXPECT_EQ(E_FAIL, client.GetOpcServerCLSID(nullptr, clsid));
  EXPECT_FALSE(VEMDcnOpcClientInspector(client).ComInitialized());
  EXPECT_FALSE(Reported(E_FAIL).present);
  earlier.OpcStop();
}

// The server answers the query for IOPCCommon with success and no pointer:
// an internal fault, and a failure without an error object (not an older
// error wrapped as its cause).
TEST_F(LifecycleTest, EntryWhoseResultContradictsItsPointerIsAnInternalFault) {
  opcsim::Simulator sim;
  sim.Faults().Add(opcsim::Fault::NullOut("IUnknown::QueryInterface").When([](const opcsim::Call& call) {
    return call.Arg("object") == "server" && call.Arg("iid") == "IOPCCommon";
  }));
  VEMDcnOpcClient earlier;
  ASSERT_EQ(E_FAIL, earlier.OpcStart("No.Such.Server", "", 100, 0.0f));
  VEMDcnOpcClient client;
  VEMDcnOpcClientInspector view(client);
  EXPECT_EQ(E_FAIL, client.OpcStart(kProgId, "", 100, 0.0f));
  EXPECT_FALSE(Reported(E_FAIL).present);
  EXPECT_FALSE(view.HasCommon());
  EXPECT_TRUE(view.Started());
  EXPECT_EQ(0u, sim.Calls().Count("IOPCCommon::SetClientName"));
  bool reported = false;
  for (const std::string& line : log.Lines())
    reported |= line.rfind("AssertionFailed:FALSE", 0) == 0 &&
                line.find("VEMDcn/VEMDcnOpcClient.m/src/VEMDcnOpcClient") != std::string::npos;
  EXPECT_TRUE(reported);
  EXPECT_EQ(S_OK, client.OpcStop());
  earlier.OpcStop();
}

// Whatever owns the client (here a unique_ptr, whose destructor may not
// throw), a failed stop is reported, never raised.
TEST_F(LifecycleTest, DestructorReportsAFailedStopWithoutRaising) {
  opcsim::Simulator sim;
  QARXHContext guard;
  const int completed = guard.Run([] {
    auto client = std::make_unique<VEMDcnOpcClient>();
    QARListValQARUnicodeString* list = nullptr;
    client->GetOpcServerList(&list);  // Started without a server: the stop fails
    delete list;
  });
  EXPECT_EQ(1, completed);
  const ReportedError error = Reported(E_FAIL);
  ASSERT_TRUE(error.present);
  EXPECT_EQ("OpcStop", error.parameters[2]);
  ASSERT_EQ(2u, log.Lines().size());  // the stop's own line, then the report
  EXPECT_EQ(0u, log.Lines()[1].rfind("Unhandled error: " + error.message, 0));
}

}  // namespace
