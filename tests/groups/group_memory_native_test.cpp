// Task memory: every block a server hands out, on success or failure, goes
// back. Native only: our layer counts the blocks.
#include "group_test_support.h"
#include "native_com_ext.h"

using namespace grouptest;
using opcsim::Fault;

namespace {

class GroupMemoryTest : public GroupTest {};

TEST_F(GroupMemoryTest, EveryBlockGoesBack) {
  const LONG before = NativeComLiveTaskAllocations();
  const Ids ids = {"Plant.Types.String", "Plant.Types.DoubleArray", "Plant.ReadOnly.Version"};
  const Fault faults[] = {Fault::Answer("IOPCItemMgt::AddItems", E_FAIL), Fault::Refuse("IOPCItemMgt::AddItems", {ids[2]}),
                          Fault::Refuse("IOPCSyncIO::Read", {ids[0]}), Fault::Answer("IOPCSyncIO::Read", E_FAIL),
                          Fault::Refuse("IOPCSyncIO::Write", {ids[1]}), Fault::Refuse("IOPCAsyncIO2::Write", {ids[1]})};
  for (const Fault& fault : faults) {
    sim->Faults().Add(fault);
    unsigned long group = 0;
    if (SUCCEEDED(Define({"VEM_APP_INPUTS", ids, {}, nullptr, 1, 1, 1}, group))) {
      Values values(3);
      client->SyncReadGroup(group, Array(values), 1, OPC_DS_DEVICE);
      client->SyncWriteGroup(group, Array(values), 1);
      client->ASyncWriteGroup(group, Array(values), 0);
    }
    sim->Faults().Clear();
    StartClient();
  }
  client->OpcStop();
  EXPECT_EQ(before, NativeComLiveTaskAllocations());
}

}  // namespace
