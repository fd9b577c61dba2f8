// The trace log: its switch, its time stamps and its lines.
#include <regex>
#include <thread>

#include "client_test_support.h"

using namespace clienttest;

namespace {

// A trace line: "Y.M.D h:m:s,ms<TAB><TAB><TAB>..." with no zero padding.
const std::regex kStamp(R"(^[0-9]{4}\.[1-9][0-9]?\.[1-9][0-9]? [0-9]{1,2}:[0-9]{1,2}:[0-9]{1,2},[0-9]{1,3}\t)");

class TraceTest : public ClientTest {
 protected:
  std::vector<std::string> TraceLines() { return log.Containing("VEMDcnOpcClient -> "); }
};

TEST_F(TraceTest, YesWritesCreatedAndDeletedLines) {
  SetTraceVariable("yes");
  {
    VEMDcnOpcClient client;
    EXPECT_TRUE(VEMDcnOpcClientInspector(client).TraceOn());
    // The switch is read at construction only.
    SetTraceVariable("no");
  }
  const auto lines = TraceLines();
  ASSERT_EQ(2u, lines.size());
  EXPECT_TRUE(std::regex_search(lines[0], kStamp)) << lines[0];
  EXPECT_NE(std::string::npos, lines[0].find("\t\tVEMDcnOpcClient -> OPC Client created"));
  EXPECT_EQ(lines[0].size(), lines[0].find("\t\tVEMDcnOpcClient -> OPC Client created") +
                                 std::string("\t\tVEMDcnOpcClient -> OPC Client created").size());
  EXPECT_NE(std::string::npos, lines[1].find("\t\tVEMDcnOpcClient -> OPC Client deleted"));
  EXPECT_EQ(10u, VEMDcnOpcClientInspector::TicksPerMicrosecond());  // durations in microseconds, not ticks
}

TEST_F(TraceTest, AnythingButYesLeavesTheTraceOff) {
  for (const char* value : {"Yes", "YES", "1", "yes ", ""}) {
    SetTraceVariable(value);
    VEMDcnOpcClient client;
    EXPECT_FALSE(VEMDcnOpcClientInspector(client).TraceOn()) << value;
  }
  SetTraceVariable(nullptr);
  { VEMDcnOpcClient client; }
  EXPECT_TRUE(TraceLines().empty());
}

// Clients of several threads share one trace text: each line still comes whole.
TEST_F(TraceTest, ClientsOnTwoThreadsTraceWholeLines) {
  SetTraceVariable("yes");
  const int kClients = 1000;
  const auto createAndDelete = [] {
    for (int i = 0; i < kClients; ++i) VEMDcnOpcClient client;
  };
  std::thread other(createAndDelete);
  createAndDelete();
  other.join();
  size_t created = 0, deleted = 0;
  for (const std::string& line : TraceLines()) {
    const size_t tab = line.find("\t\tVEMDcnOpcClient -> ");
    ASSERT_TRUE(tab != std::string::npos && std::regex_search(line, kStamp)) << line;
    created += line.substr(tab) == "\t\tVEMDcnOpcClient -> OPC Client created";
    deleted += line.substr(tab) == "\t\tVEMDcnOpcClient -> OPC Client deleted";
  }
  EXPECT_EQ(2u * kClients, created);
  EXPECT_EQ(2u * kClients, deleted);
}

}  // namespace
