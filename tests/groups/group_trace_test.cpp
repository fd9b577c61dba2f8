// The trace lines of reads and writes: one a call, with the count sent.
#include <regex>

#include "group_test_support.h"

using namespace grouptest;

namespace {

class GroupTraceTest : public GroupTest {
 protected:
  // The duration lines since the last call, as "<interface> <operation> <count>".
  Ids Timed() {
    static const std::regex line(
        R"(^[0-9.]+ [0-9:]+,[0-9]+\t\t\t\tVEMDcnOpcClient -> (OPC\w+ \w+) method duration [0-9]+ \xC2\xB5s for ([0-9]+) items$)");
    Ids timed;
    std::smatch match;
    for (const std::string& text : log.Lines())
      if (std::regex_match(text, match, line)) timed.push_back(match[1].str() + " " + match[2].str());
    log.Clear();
    return timed;
  }
};

TEST_F(GroupTraceTest, EveryCallIsTimedWhateverItsOutcome) {
  SetTraceVariable("yes");
  StartClient();
  SetTraceVariable("no");
  const Ids ids = {"Plant.Types.Int32", "Plant.Types.Double", "Plant.Types.String"};
  const unsigned long inputs = Defined({"VEM_APP_INPUTS", ids, {}, nullptr, 1, 1, 1});
  const unsigned long plain = Defined({"Plain", ids});
  Values values = {variant::I4(1), Values::value_type(), variant::Str("x")}, none(3), read(3);
  sim->Faults().Add(Fault::Fail("IOPCSyncIO::Read", E_FAIL).OnCall(2));
  log.Clear();
  client->SyncReadGroup(inputs, Array(read), 0, OPC_DS_CACHE);
  client->SyncReadGroup(inputs, Array(read), 0, OPC_DS_CACHE);  // fails at the server
  client->SyncWriteGroup(inputs, Array(values), 0);
  client->SyncWriteGroup(plain, Array(none), 0);  // nothing to send
  client->ASyncWriteGroup(inputs, Array(values), 1);
  client->ASyncWriteGroup(plain, Array(values), 0);  // no asynchronous interface: nothing sent
  EXPECT_EQ(Ids({"OPCSyncIO read 3", "OPCSyncIO read 3", "OPCSyncIO write 2", "OPCSyncIO write 0",
                 "OPCAsyncIO2 write 2", "OPCAsyncIO2 write 2"}),
            Timed());
  StartClient();  // made with the switch off
  EXPECT_EQ(S_OK, client->SyncWriteGroup(Defined({"Plain", ids}), Array(values), 0));
  EXPECT_TRUE(Timed().empty());
}

}  // namespace
