// What a connection holds goes back to the server, whichever way it ends, and
// only the thread that started a client takes it apart.
#include <string>
#include <thread>

#include "client_test_support.h"

using namespace clienttest;

namespace {

const char* const kProgId = "OpcSim.DAServer.1";

class ConnectionTest : public ClientTest {};

// The query for IOPCServer that follows the server's creation fails, or
// answers success without a pointer. Wine asks the class factory for
// IOPCServer and never again, so there the rule does not fire and the start
// succeeds; either way nothing of the server outlives the stop.
TEST_F(ConnectionTest, StartWithoutIOPCServerFailsAndKeepsNothing) {
  for (const opcsim::Fault& answer : {opcsim::Fault::Fail("IUnknown::QueryInterface", E_NOINTERFACE),
                                      opcsim::Fault::NullOut("IUnknown::QueryInterface")}) {
    int fired = 0;
    opcsim::Simulator sim;
    sim.Faults().Add(opcsim::Fault(answer).When([&](const opcsim::Call& call) {
      const bool hit = call.Arg("object") == "server" && call.Arg("iid") == "IOPCServer" &&
                       sim.Calls().Last("IClassFactory::CreateInstance").returned;
      fired += hit ? 1 : 0;
      return hit;
    }));
    {
      VEMDcnOpcClient client;
      VEMDcnOpcClientInspector view(client);
      const long hr = client.OpcStart(kProgId, "", 100, 0.0f);
      const ReportedError error = Reported(hr);
      if (fired > 0) {
        EXPECT_TRUE(FAILED(hr));
        ASSERT_TRUE(error.present);
        EXPECT_EQ("VEMOPCERR14", error.key);
        EXPECT_NE(std::string::npos, error.parameters[0].find("Failed to query IOPCServer"));
        EXPECT_FALSE(view.Started());
      } else {
        EXPECT_EQ(S_OK, hr);
      }
      EXPECT_EQ(S_OK, client.OpcStop());
      EXPECT_EQ(0, opcsim::LiveObjects());
    }
    EXPECT_EQ(0, opcsim::LiveObjects());
  }
}

// Stopped, or dropped by the next start (here one that then fails).
TEST_F(ConnectionTest, GroupsGoBackInListOrderWhenStoppedOrStartedAgain) {
  opcsim::Simulator sim;
  VEMDcnOpcClient client;
  VEMDcnOpcClientInspector view(client);
  for (const bool startAgain : {false, true}) {
    ASSERT_EQ(S_OK, client.OpcStart(kProgId, "", 100, 0.0f));
    const OPCHANDLE first = view.AddGroup("first");
    const OPCHANDLE second = view.AddGroup("second");
    sim.Calls().Clear();
    if (startAgain) {
      EXPECT_TRUE(FAILED(client.OpcStart("No.Such.Server", "", 100, 0.0f)));
    } else {
      EXPECT_EQ(S_OK, client.OpcStop());
    }
    const auto removed = sim.Calls().Of("IOPCServer::RemoveGroup");
    ASSERT_EQ(2u, removed.size()) << startAgain;
    EXPECT_EQ(std::to_string(first), removed[0].Arg("handle"));
    EXPECT_EQ(std::to_string(second), removed[1].Arg("handle"));
    EXPECT_EQ(0, opcsim::LiveObjects()) << startAgain;
    EXPECT_EQ(0, view.GroupCount());
    EXPECT_FALSE(view.Started());
  }
  EXPECT_EQ(S_OK, client.OpcStop());
}

TEST_F(ConnectionTest, StopOnAnotherThreadLeavesComAndTheConnectionToTheStartingThread) {
  opcsim::Simulator sim;
  VEMDcnOpcClient client;
  VEMDcnOpcClientInspector view(client);
  ASSERT_EQ(S_OK, client.OpcStart(kProgId, "", 100, 0.0f));
  long hr = S_OK;
  ReportedError error;
  HRESULT stillInCom = E_FAIL;
  std::thread([&] {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    hr = client.OpcStop();
    error = Reported(hr);
    stillInCom = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    CoUninitialize();
    CoUninitialize();
  }).join();
  EXPECT_EQ(RPC_E_WRONG_THREAD, hr);
  ASSERT_TRUE(error.present);
  EXPECT_EQ("OpcStop: called on another thread than OpcStart", error.parameters[2]);
  EXPECT_EQ(S_FALSE, stillInCom);  // that thread's own apartment is intact
  EXPECT_TRUE(view.Started() && view.ComInitialized() && view.HasServer());

  EXPECT_EQ(S_OK, client.OpcStop());
  EXPECT_EQ(0, opcsim::LiveObjects());
  EXPECT_EQ(S_FALSE, CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));  // the fixture's apartment only
  CoUninitialize();
}

}  // namespace
