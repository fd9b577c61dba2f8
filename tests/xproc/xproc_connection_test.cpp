// The client against opcsim-server.exe in another process: start and stop,
// status, ProgID lookup and discovery through the machine's server list.
#include <memory>

#include "QARError.h"
#include "VEMDcnOpcClient.h"
#include "opcsim/simulator.h"
#include "xproc_test_support.h"

namespace xproc {
namespace {

using Connection = CrossProcessTest;

TEST_F(Connection, StartReadsTheStatusAcrossProcessesAndStopEndsTheServer) {
  VEMDcnOpcClient client;
  ASSERT_EQ(S_OK, client.OpcStart(Text(kServerProgId), Text(""), 1000, 0.0f));
  EXPECT_EQ(1u, ServerProcesses().size());  // COM started the server for us, once

  QARUnicodeString status, state;
  ASSERT_EQ(S_OK, client.GetServerStatus(status, state));
  EXPECT_EQ(std::string(kServerVendor) + " (version 2.5, build 0)", Utf8(status));
  EXPECT_EQ("Running", Utf8(state));

  EXPECT_EQ(S_OK, client.OpcStop());
  // TearDown: the server process exits now that the client let everything go.
}

TEST_F(Connection, ProgIdsResolveThroughTheMachineServerList) {
  VEMDcnOpcClient client;
  struct Case {
    const char* progId;
    HRESULT result;
  } const cases[] = {{kServerProgId, S_OK}, {"OPC.ServerList.1", S_OK}, {"Missing.Server.1", CO_E_CLASSSTRING}};
  for (const Case& c : cases) {
    std::wstring progId = comown::to_wide(c.progId);
    GUID clsid = GUID_NULL;
    EXPECT_EQ(c.result, client.GetOpcServerCLSID(reinterpret_cast<unsigned short*>(&progId[0]), clsid)) << c.progId;
    if (c.progId == kServerProgId) {
      EXPECT_TRUE(IsEqualGUID(CLSID_OpcSimDAServer, clsid));
    }
  }
  client.OpcStop();
}

TEST_F(Connection, DiscoveryListsTheRegisteredServer) {
  VEMDcnOpcClient client;
  QARListValQARUnicodeString* servers = nullptr;
  ASSERT_EQ(S_OK, client.GetOpcServerList(&servers));
  std::unique_ptr<QARListValQARUnicodeString> owned(servers);
  ASSERT_NE(nullptr, servers);
  std::vector<std::string> listed;
  for (int i = 1; i <= servers->Size(); ++i) listed.push_back(Utf8((*servers)[i]));
  EXPECT_EQ(std::vector<std::string>{kServerProgId}, listed);
  client.OpcStop();
}

TEST_F(Connection, AServerThatIsNotRegisteredIsReported) {
  VEMDcnOpcClient client;
  const long hr = client.OpcStart(Text("Missing.Server.1"), Text(""), 1000, 0.0f);
  EXPECT_TRUE(FAILED(hr));
  QARError* error = QARError::QARGetLastError(hr, nullptr);
  ASSERT_NE(nullptr, error);
  EXPECT_NE(std::string::npos, Utf8(error->GetNLSMessage()).find("Server Missing.Server.1 not found"));
  error->Release();
  QARError::QARCleanLastError();
  client.OpcStop();
}

}  // namespace
}  // namespace xproc
