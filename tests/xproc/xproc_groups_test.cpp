// Groups across processes: definition and removal by the stop.
#include "VEMDcnOpcClient.h"
#include "xproc_test_support.h"

namespace xproc {
namespace {

using Groups = CrossProcessTest;

const std::vector<std::string> kItems = {"Plant.Types.Int32", "Plant.Types.String"};

TEST_F(Groups, WithoutTheTableTheStopEndsTheServer) {
  VEMDcnOpcClient client;
  ASSERT_EQ(S_OK, client.OpcStart(Text(kServerProgId), Text(""), 1000, 0.0f));
  for (const char* name : {"G", "VEM_APP_INPUTS"}) {
    unsigned long group = 0;
    EXPECT_EQ(S_OK, DefineGroup(client, name, kItems, 0, name[0] == 'V', group)) << name;
  }
  // The stop itself, not the client's destruction, lets the server go.
  EXPECT_EQ(S_OK, client.OpcStop());
  EXPECT_TRUE(WaitForNoServer(10000));
}

}  // namespace
}  // namespace xproc
