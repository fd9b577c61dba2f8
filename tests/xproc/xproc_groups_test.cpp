// Groups across processes: definition and removal by the stop.
#include "VEMDcnOpcClient.h"
#include "xproc_test_support.h"

namespace xproc {
namespace {

using Groups = CrossProcessTest;
using opcsim::Variant;
namespace variant = opcsim::variant;

const std::vector<std::string> kItems = {"Plant.Types.Int32", "Plant.Types.String"};

// The asynchronous group's subscription takes the completions while the
// host dispatches; the stop removes it with the other groups.
TEST_F(Groups, WithoutTheTableTheStopEndsTheServer) {
  VEMDcnOpcClient client;
  ASSERT_EQ(S_OK, client.OpcStart(Text(kServerProgId), Text(""), 1000, 0.0f));
  unsigned long plain = 0, inputs = 0;
  ASSERT_EQ(S_OK, DefineGroup(client, "G", kItems, 0, 0, plain));
  ASSERT_EQ(S_OK, DefineGroup(client, "VEM_APP_INPUTS", kItems, 0, 1, inputs));
  Variant written[2] = {variant::I4(7), variant::Str("async")}, read[2];
  EXPECT_EQ(S_OK, client.ASyncWriteGroup(inputs, written[0].get(), 0));
  PumpUntil([] { return false; }, 200);  // the completion arrives
  EXPECT_EQ(S_OK, client.SyncReadGroup(plain, read[0].get(), 0, OPC_DS_DEVICE));
  EXPECT_EQ(Shown(*written[0]) + Shown(*written[1]), Shown(*read[0]) + Shown(*read[1]));
  // The stop itself, not the client's destruction, lets the server go.
  EXPECT_EQ(S_OK, client.OpcStop());
  EXPECT_TRUE(WaitForNoServer(10000));
}

}  // namespace
}  // namespace xproc
