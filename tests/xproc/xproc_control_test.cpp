// The control case: the calls of the other tests really cross processes.
// Without the proxies of opc_proxy.dll no OPC interface of the server can be
// marshaled, and the same start fails; registered again, it works.
#include "VEMDcnOpcClient.h"
#include "xproc_test_support.h"

namespace xproc {
namespace {

using Control = CrossProcessTest;

TEST_F(Control, WithoutTheProxyDllTheStartFails) {
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

}  // namespace
}  // namespace xproc
