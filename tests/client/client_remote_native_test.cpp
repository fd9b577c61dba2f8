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

TEST_F(RemoteActivationTest, LocalNamesPassNoServerInformation) {
  opcsim::Simulator sim;
  VEMDcnOpcClient client;
  for (const char* host : {"", "localhost"}) {
    ASSERT_EQ(S_OK, client.OpcStart("OpcSim.DAServer.1", host, 100, 0.0f)) << host;
    EXPECT_EQ("", LastActivationHost()) << host;
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
}

TEST_F(RemoteActivationTest, LocalhostInAnotherCaseIsSentAsARemoteName) {
  opcsim::Simulator sim;
  VEMDcnOpcClient client;
  ASSERT_EQ(S_OK, client.OpcStart("OpcSim.DAServer.1", "LocalHost", 100, 0.0f));
  EXPECT_EQ("LocalHost", LastActivationHost());
  ASSERT_EQ(S_OK, client.OpcStop());
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
