// Cases that change the registration for a while, run apart from the others.
// The control case shows that the calls of the other tests really cross
// processes: without the proxies of opc_proxy.dll no OPC interface of the
// server can be marshaled, and the same start fails.
#include <fstream>

#include "VEMDcnOpcClient.h"
#include "xproc_test_support.h"

namespace xproc {
namespace {

using Registration = CrossProcessTest;

TEST_F(Registration, WithoutTheProxyDllTheStartFails) {
  ProxyRegistration proxies;
  ASSERT_EQ(S_OK, proxies.Unregister());
  {
    VEMDcnOpcClient client;
    EXPECT_TRUE(FAILED(client.OpcStart(Text(kServerProgId), Text(""), 1000, 0.0f)));
    client.OpcStop();
  }
  ASSERT_TRUE(WaitForNoServer(10000));
  ASSERT_EQ(S_OK, proxies.Register());
  VEMDcnOpcClient client;
  EXPECT_EQ(S_OK, client.OpcStart(Text(kServerProgId), Text(""), 1000, 0.0f));
  EXPECT_EQ(S_OK, client.OpcStop());
}

// COM starts the server with the command line of its registration, and so
// with the address space file named there.
TEST_F(Registration, TheServerServesTheAddressSpaceFileItWasRegisteredWith) {
  WCHAR folder[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, folder);
  const std::wstring file = std::wstring(folder) + L"xproc-space.txt";
  std::ofstream(comown::to_utf8(file.c_str())) << "separator /\nFactory/Line/Speed I4 RW 5\n";
  ASSERT_EQ(0u, RunServerProgram(L"/RegServer --space \"" + file + L"\""));
  {
    comown::com_ptr<IOPCServer> server = ActivateServer();
    ASSERT_TRUE(server);
    comown::com_ptr<IOPCBrowseServerAddressSpace> browse = server.as<IOPCBrowseServerAddressSpace>();
    ASSERT_TRUE(browse);
    comown::task_string id;
    EXPECT_EQ(S_OK, browse->GetItemID(const_cast<LPWSTR>(L"Factory/Line/Speed"), id.put()));
    EXPECT_TRUE(FAILED(browse->GetItemID(const_cast<LPWSTR>(L"Plant.Area1.Line1.Speed"), id.put())));
  }
  EXPECT_EQ(0u, RunServerProgram(L"/RegServer"));
  DeleteFileW(file.c_str());
}

}  // namespace
}  // namespace xproc
