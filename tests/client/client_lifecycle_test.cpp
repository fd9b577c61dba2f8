// Start, stop and reset of a connection, as a host sees them.
#include <memory>
#include <thread>

#include "QARXHContext.h"

#include "client_test_support.h"

using namespace clienttest;

namespace {

const char* const kProgId = "OpcSim.DAServer.1";

class LifecycleTest : public ClientTest {};

TEST_F(LifecycleTest, NeverStartedClientStopsCleanlyAndKeepsItsResetValues) {
  VEMDcnOpcClient client;
  VEMDcnOpcClientInspector view(client);
  EXPECT_EQ(S_OK, client.OpcStop());
  EXPECT_EQ(S_OK, client.OpcStop());
  EXPECT_FALSE(view.Started());
  EXPECT_FALSE(view.ComInitialized());
  EXPECT_EQ(1u, view.ErrorId());
  EXPECT_EQ(1u, view.NextClientHandle());
  EXPECT_EQ(11, view.SupportedTypeCount());
  EXPECT_TRUE(view.BrowseAvailable());
  EXPECT_EQ(1, client.OPCBrowserIsAvailable());
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(nullptr, view.MultiQI(i).pItf);
    EXPECT_EQ(0, view.MultiQI(i).hr);
  }
  EXPECT_TRUE(IsEqualIID(*view.MultiQI(0).pIID, IID_IOPCServer));
  EXPECT_TRUE(IsEqualIID(*view.MultiQI(1).pIID, IID_IOPCCommon));
  EXPECT_TRUE(IsEqualIID(*view.MultiQI(2).pIID, IID_IOPCBrowseServerAddressSpace));
  EXPECT_TRUE(IsEqualIID(*view.MultiQI(3).pIID, IID_IOPCItemProperties));
  QARUnicodeString name("untouched");
  EXPECT_EQ(S_OK, client.GetOpcSrvName(name));
  EXPECT_EQ("", Utf8(name));
  EXPECT_TRUE(log.Lines().empty());
}

TEST_F(LifecycleTest, StartTakesTheFourInterfacesAndNamesTheClient) {
  opcsim::Simulator sim;
  {
    VEMDcnOpcClient client;
    VEMDcnOpcClientInspector view(client);
    EXPECT_EQ(S_OK, client.OpcStart(kProgId, "", 500, 2.5f));
    EXPECT_TRUE(view.Started());
    EXPECT_TRUE(view.ComInitialized());
    EXPECT_TRUE(view.HasServer() && view.HasCommon() && view.HasBrowse() && view.HasItemProperties());
    EXPECT_EQ(500u, view.UpdateRate());
    EXPECT_EQ(2.5f, view.PercentDeadband());

    const auto names = sim.Calls().Of("IOPCCommon::SetClientName");
    ASSERT_EQ(1u, names.size());
    EXPECT_EQ("RozaduzUrurure", names[0].Arg("name"));
    EXPECT_EQ(kProgId, sim.Calls().Last("IOPCServerList::CLSIDFromProgID").Arg("progid"));

    EXPECT_EQ(S_OK, client.OpcStop());
    EXPECT_FALSE(view.Started());
    EXPECT_FALSE(view.HasServer() || view.HasCommon() || view.HasBrowse() || view.HasItemProperties());
    EXPECT_EQ(0, opcsim::LiveObjects());
    QARUnicodeString name;
    client.GetOpcSrvName(name);
    EXPECT_EQ(kProgId, Utf8(name));
  }
  EXPECT_TRUE(log.Lines().empty());
}

TEST_F(LifecycleTest, RestartAfterStopStartsFromTheResetState) {
  opcsim::Simulator sim;
  VEMDcnOpcClient client;
  VEMDcnOpcClientInspector view(client);
  for (int round = 0; round < 2; ++round) {
    ASSERT_EQ(S_OK, client.OpcStart(kProgId, "localhost", 100, 0.0f));
    EXPECT_EQ(11, view.SupportedTypeCount());
    EXPECT_EQ(1u, view.NextClientHandle());
    ASSERT_EQ(S_OK, client.OpcStop());
    EXPECT_EQ(11, view.SupportedTypeCount());
  }
  EXPECT_EQ(2u, sim.Calls().Count("IOPCCommon::SetClientName"));
  EXPECT_EQ(0, opcsim::LiveObjects());
}

TEST_F(LifecycleTest, DestructorStopsAStartedClient) {
  opcsim::Simulator sim;
  {
    VEMDcnOpcClient client;
    ASSERT_EQ(S_OK, client.OpcStart(kProgId, "", 100, 0.0f));
    EXPECT_GT(opcsim::LiveObjects(), 0);
  }
  EXPECT_EQ(0, opcsim::LiveObjects());
}

TEST_F(LifecycleTest, UnknownProgIdFailsWithTheServerNamedAndKeepsWhatWasStored) {
  opcsim::Simulator sim;
  VEMDcnOpcClient client;
  VEMDcnOpcClientInspector view(client);
  const long hr = client.OpcStart("No.Such.Server", "", 250, 1.5f);
  EXPECT_TRUE(FAILED(hr));
  const ReportedError error = Reported(hr);
  ASSERT_TRUE(error.present);
  EXPECT_EQ("VEMOPCERR02", error.key);
  ASSERT_EQ(4u, error.parameters.size());
  EXPECT_NE(std::string::npos, error.parameters[2].find("No.Such.Server"));
  EXPECT_FALSE(view.Started());
  EXPECT_EQ(250u, view.UpdateRate());
  EXPECT_EQ(1.5f, view.PercentDeadband());
  QARUnicodeString name;
  client.GetOpcSrvName(name);
  EXPECT_EQ("No.Such.Server", Utf8(name));
  EXPECT_EQ(S_OK, client.OpcStop());
  EXPECT_FALSE(view.ComInitialized());
}

TEST_F(LifecycleTest, ServerWithoutCommonInterfaceFailsTheStartButStaysConnected) {
  opcsim::ServerClass noCommon;
  noCommon.common = false;
  opcsim::Simulator sim(WithClass(noCommon));
  VEMDcnOpcClient client;
  VEMDcnOpcClientInspector view(client);
  const long hr = client.OpcStart(kProgId, "", 100, 0.0f);
  EXPECT_TRUE(FAILED(hr));
  const ReportedError error = Reported(hr);
  ASSERT_TRUE(error.present);
  EXPECT_EQ("VEMOPCERR14", error.key);
  ASSERT_EQ(1u, error.parameters.size());
  EXPECT_NE(std::string::npos, error.parameters[0].find("Failed to query IOPCCommon"));
  EXPECT_TRUE(view.Started());
  EXPECT_EQ(0u, sim.Calls().Count("IOPCCommon::SetClientName"));
  EXPECT_EQ(S_OK, client.OpcStop());
  EXPECT_EQ(0, opcsim::LiveObjects());
}

TEST_F(LifecycleTest, ServerWithoutItemPropertiesFailsTheStart) {
  opcsim::ServerClass noProperties;
  noProperties.properties = false;
  opcsim::Simulator sim(WithClass(noProperties));
  VEMDcnOpcClient client;
  const long hr = client.OpcStart(kProgId, "", 100, 0.0f);
  const ReportedError error = Reported(hr);
  ASSERT_TRUE(error.present);
  EXPECT_EQ("VEMOPCERR14", error.key);
  EXPECT_NE(std::string::npos, error.parameters[0].find("Failed to query IOPCItemProperties"));
  EXPECT_EQ(S_OK, client.OpcStop());
}

TEST_F(LifecycleTest, ServerWithoutBrowsingConnectsWithBrowsingUnavailable) {
  opcsim::ServerClass noBrowse;
  noBrowse.browse = false;
  opcsim::Simulator sim(WithClass(noBrowse));
  VEMDcnOpcClient client;
  EXPECT_EQ(S_OK, client.OpcStart(kProgId, "", 100, 0.0f));
  EXPECT_EQ(0, client.OPCBrowserIsAvailable());
  EXPECT_EQ(S_OK, client.OpcStop());
  EXPECT_EQ(1, client.OPCBrowserIsAvailable());
}

TEST_F(LifecycleTest, FailingClientNameIsReportedWithItsContext) {
  opcsim::Simulator sim;
  sim.Faults().Add(opcsim::Fault::Fail("IOPCCommon::SetClientName", E_ACCESSDENIED));
  VEMDcnOpcClient client;
  const long hr = client.OpcStart(kProgId, "", 100, 0.0f);
  const ReportedError error = Reported(hr);
  ASSERT_TRUE(error.present);
  EXPECT_EQ("VEMOPCERR14", error.key);
  EXPECT_NE(std::string::npos, error.parameters[0].find("IOPCCommon::SetClientName"));
  EXPECT_EQ(S_OK, client.OpcStop());
}

TEST_F(LifecycleTest, FailedActivationIsWrappedWithTheServerName) {
  opcsim::Simulator sim;
  sim.Faults().Add(opcsim::Fault::Fail("IClassFactory::CreateInstance", E_OUTOFMEMORY).When(
      [](const opcsim::Call& call) { return call.Arg("progid") == "OpcSim.DAServer.1"; }));
  VEMDcnOpcClient client;
  const long hr = client.OpcStart(kProgId, "", 100, 0.0f);
  const ReportedError error = Reported(hr);
  ASSERT_TRUE(error.present);
  EXPECT_EQ("VEMOPCERR13", error.key);
  ASSERT_EQ(2u, error.parameters.size());
  EXPECT_EQ(kProgId, error.parameters[0]);
  EXPECT_NE(std::string::npos, error.parameters[1].find("CoCreateInstanceEx"));
  EXPECT_EQ(S_OK, client.OpcStop());
}

TEST_F(LifecycleTest, HostWithoutServerListCannotResolveTheProgId) {
  opcsim::Options options;
  options.serverList = false;
  opcsim::Simulator sim(options);
  VEMDcnOpcClient client;
  const long hr = client.OpcStart(kProgId, "", 100, 0.0f);
  const ReportedError error = Reported(hr);
  ASSERT_TRUE(error.present);
  EXPECT_EQ("VEMOPCERR02", error.key);
  EXPECT_NE(std::string::npos, error.parameters[2].find(kProgId));
  EXPECT_EQ(S_OK, client.OpcStop());
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
  // Balanced: the apartment this fixture entered is still the only one left.
  EXPECT_EQ(S_FALSE, CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
  CoUninitialize();
}

TEST_F(LifecycleTest, NullProgIdIsRefusedWithoutTouchingCom) {
  VEMDcnOpcClient client;
  VEMDcnOpcClientInspector view(client);
  GUID clsid = GUID_NULL;
  EXPECT_EQ(E_FAIL, client.GetOpcServerCLSID(nullptr, clsid));
  EXPECT_FALSE(view.ComInitialized());
  EXPECT_FALSE(Reported(E_FAIL).present);
}

}  // namespace

namespace {

TEST_F(LifecycleTest, EntryWhoseResultContradictsItsPointerIsAnInternalFault) {
  opcsim::Simulator sim;
  // A server that answers the query for IOPCCommon with success and no pointer.
  sim.Faults().Add(opcsim::Fault::NullOut("IUnknown::QueryInterface").When([](const opcsim::Call& call) {
    return call.Arg("object") == "server" && call.Arg("iid") == "IOPCCommon";
  }));
  VEMDcnOpcClient client;
  VEMDcnOpcClientInspector view(client);
  EXPECT_EQ(E_FAIL, client.OpcStart(kProgId, "", 100, 0.0f));
  EXPECT_FALSE(view.HasCommon());
  EXPECT_TRUE(view.Started());
  EXPECT_EQ(0u, sim.Calls().Count("IOPCCommon::SetClientName"));
  bool reported = false;
  for (const std::string& line : log.Lines())
    reported |= line.rfind("AssertionFailed:FALSE", 0) == 0 &&
                line.find("VEMDcn/VEMDcnOpcClient.m/src/VEMDcnOpcClient") != std::string::npos;
  EXPECT_TRUE(reported);
  EXPECT_EQ(S_OK, client.OpcStop());
}

}  // namespace

namespace {

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
