// Where an activation went. Native only: only our COM layer can tell which
// host a COSERVERINFO named, since the real runtime hands it to the network.
#include <native_com_ext.h>

#include "client_test_support.h"

using namespace clienttest;

namespace {

std::string LastActivationHost() {
  WCHAR buffer[256];
  NativeComLastActivationHost(buffer, 256);
  return Utf8(QARUnicodeString(buffer));
}

class RemoteActivationTest : public ClientTest {};

// Only an empty name and "localhost" exactly pass no server information.
TEST_F(RemoteActivationTest, LocalNamesPassNoServerInformation) {
  opcsim::Simulator sim;
  VEMDcnOpcClient client;
  const struct {
    const char* host;
    const char* sent;
  } cases[] = {{"", ""}, {"localhost", ""}, {"LocalHost", "LocalHost"}};
  for (const auto& c : cases) {
    ASSERT_EQ(S_OK, client.OpcStart("OpcSim.DAServer.1", c.host, 100, 0.0f)) << c.host;
    EXPECT_EQ(c.sent, LastActivationHost()) << c.host;
    EXPECT_EQ(static_cast<DWORD>(CLSCTX_SERVER), NativeComLastActivationContext());
    ASSERT_EQ(S_OK, client.OpcStop());
  }
}

TEST_F(RemoteActivationTest, OtherNamesGoToThatHostAsWritten) {
  opcsim::Options options;
  options.host = "plant-a";
  opcsim::Simulator sim(options);
  VEMDcnOpcClient client;
  VEMDcnOpcClientInspector view(client);
  client.SetHostName("elsewhere");
  ASSERT_EQ(S_OK, client.OpcStart("OpcSim.DAServer.1", "PLANT-A", 100, 0.0f));
  EXPECT_EQ("PLANT-A", LastActivationHost());
  EXPECT_EQ(static_cast<DWORD>(CLSCTX_SERVER), NativeComLastActivationContext());
  EXPECT_EQ("PLANT-A", Utf8(view.HostName()));
  ASSERT_EQ(S_OK, client.OpcStop());
  // A server of that host is not one of this machine's.
  EXPECT_TRUE(Reported(client.OpcStart("OpcSim.DAServer.1", "", 100, 0.0f)).present);
  EXPECT_EQ(S_OK, client.OpcStop());
}

TEST_F(RemoteActivationTest, UnknownHostIsReportedByTheServerListActivation) {
  opcsim::Simulator sim;
  VEMDcnOpcClient client;
  const long hr = client.OpcStart("OpcSim.DAServer.1", "nowhere", 100, 0.0f);
  const ReportedError error = Reported(hr);
  ASSERT_TRUE(error.present);
  // The class lookup runs first and fails at the host: the report names the server.
  EXPECT_NE(std::string::npos, error.parameters[2].find("OpcSim.DAServer.1"));
  EXPECT_EQ(S_OK, client.OpcStop());
}

}  // namespace
