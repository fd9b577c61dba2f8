// Server status texts.
#include "QARMsgCatalog.h"
#include "client_test_support.h"

using namespace clienttest;

namespace {

std::string StatusText(const char* vendor, const char* major, const char* minor, const char* build) {
  const QARUnicodeString p[4] = {vendor, major, minor, build};
  return Utf8(QARMsgCatalog::BuildMessage("VEMDcnOpcClient", "VEMOPCINF00", p, 4, QARUnicodeString()));
}

std::string StateText(const char* key) {
  return Utf8(QARMsgCatalog::BuildMessage("VEMDcnOpcClient", key, nullptr, 0, QARUnicodeString()));
}

class StatusTest : public ClientTest {};

TEST_F(StatusTest, VendorVersionAndEveryStateOfTheServer) {
  opcsim::ServerClass server;
  server.vendor = "Acme Simulation";
  server.majorVersion = 2;
  server.minorVersion = 5;
  server.buildNumber = 0;
  opcsim::Simulator sim(WithClass(server));
  VEMDcnOpcClient client;
  ASSERT_EQ(S_OK, client.OpcStart("OpcSim.DAServer.1", "", 100, 0.0f));
  // Any DWORD may come from a server, far outside the enumeration included.
  const struct {
    DWORD state;
    const char* key;
  } cases[] = {{1, "VEMOPCINF01"}, {2, "VEMOPCINF02"}, {3, "VEMOPCINF03"}, {4, "VEMOPCINF04"}, {5, "VEMOPCINF05"},
               {0, nullptr},     {6, nullptr},       {8, nullptr},       {0xFFFFFFFFu, nullptr}};
  for (const auto& c : cases) {
    sim.SetServerState(c.state);
    QARUnicodeString status, text("before");
    ASSERT_EQ(S_OK, client.GetServerStatus(status, text)) << c.state;
    EXPECT_EQ(c.key ? StateText(c.key) : std::string(), Utf8(text)) << c.state;
    EXPECT_EQ(StatusText("Acme Simulation", "2", "5", "0"), Utf8(status));
  }
  EXPECT_EQ(S_OK, client.OpcStop());
}

// Without a connection, a failed call or a success without a record: the
// caller's texts stay as they were.
TEST_F(StatusTest, FailedOrEmptyAnswersLeaveTheTextsAlone) {
  opcsim::Simulator sim;
  VEMDcnOpcClient client;
  QARUnicodeString status("before"), state("before");
  EXPECT_EQ(E_POINTER, client.GetServerStatus(status, state));  // not connected: no COM call
  ASSERT_EQ(S_OK, client.OpcStart("OpcSim.DAServer.1", "", 100, 0.0f));
  EXPECT_EQ(0u, sim.Calls().Count("IOPCServer::GetStatus"));

  sim.Faults().Add(opcsim::Fault::Fail("IOPCServer::GetStatus", E_OUTOFMEMORY).OnCall(1));
  const ReportedError error = Reported(client.GetServerStatus(status, state));
  ASSERT_TRUE(error.present);
  EXPECT_EQ("IOPCServer::GetStatus", error.parameters[2]);

  sim.Faults().Add(opcsim::Fault::NullOut("IOPCServer::GetStatus").OnCall(1));
  EXPECT_EQ(E_POINTER, client.GetServerStatus(status, state));
  EXPECT_EQ(2u, log.Count("Invalid NULL input pointer"));
  EXPECT_EQ("before", Utf8(status));
  EXPECT_EQ("before", Utf8(state));
  EXPECT_EQ(S_OK, client.OpcStop());
}

}  // namespace
