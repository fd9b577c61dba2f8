// opcclient tree: the tree the library builds, indented, nested or flattened.
#include "opcclient_test_support.h"

namespace {

using namespace opcclienttest;
using opcclient::Format;

class TreeCommand : public CommandTest {
 protected:
  Result Tree(const std::string& pattern, Format format, const opcclient::ServerChoice& choice) {
    return RunCommand([&](opcclient::Console& console) { return opcclient::ShowTree(choice, pattern, format, console); });
  }
};

TEST_F(TreeCommand, IndentsBranchesAndAlignsTheLeavesItemIDs) {
  const Result result = Tree("*Area2.Tank1.*", Format::Table, embedded);
  EXPECT_EQ(opcclient::kSucceeded, result.code) << result.err;
  EXPECT_EQ(
      "Plant/\n"
      "  Area1/\n"
      "    Line1/\n"
      "    Line2/\n"
      "  Area2/\n"
      "    Tank1/\n"
      "      Level     Plant.Area2.Tank1.Level\n"
      "      Setpoint  Plant.Area2.Tank1.Setpoint\n"
      "      Reset     Plant.Area2.Tank1.Reset\n"
      "    Spare/\n"
      "  Types/\n"
      "  ReadOnly/\n"
      "  WriteOnly/\n",
      result.out);
}

TEST_F(TreeCommand, JsonNestsAndCsvFlattensDepthFirst) {
  const auto tree = opcclient::Json::parse(Tree("Status", Format::Json, embedded).out);
  EXPECT_EQ(opcclient::Json::parse(R"({"name": "Status", "tag": "Status"})"), tree[0]);
  EXPECT_EQ("Area1", tree[1]["children"][0]["name"]);
  EXPECT_EQ(opcclient::Json::array(), tree[1]["children"][0]["children"][0]["children"]);
  const std::string csv = Tree("*Line2.S*", Format::Csv, embedded).out;
  EXPECT_EQ(0u, csv.find("Level,Kind,Name,Tag\r\n0,branch,Plant,\r\n1,branch,Area1,\r\n2,branch,Line1,\r\n"
                         "2,branch,Line2,\r\n3,leaf,Speed,Plant.Area1.Line2.Speed\r\n3,leaf,Start,"))
      << csv;
}

// A failure keeps what the walk completed: the branches finished before it.
TEST_F(TreeCommand, AFailureShowsThePartialTreeAndTheError) {
  opcsim::Simulator simulator;
  simulator.Faults().Add(opcsim::Fault::Fail("IOPCBrowseServerAddressSpace::GetItemID", E_FAIL)
                             .When([](const opcsim::Call& call) { return call.Arg("name") == "Setpoint"; }));
  const Result result = Tree("*", Format::Table, Named(simulator));
  EXPECT_EQ(opcclient::kFailed, result.code);
  EXPECT_EQ("Status  Status\n", result.out);
  EXPECT_EQ(0u, result.err.find("opcclient: browsing the tree failed (0x80004005): [System] Error - "
                                "IOPCBrowseServerAddressSpace::GetItemID"))
      << result.err;
}

}  // namespace
