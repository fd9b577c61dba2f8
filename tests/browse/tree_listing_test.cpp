// Tree browsing: the nodes a host receives, which survive a failure, and the
// trace line that times the walk.
#include <regex>

#include "browse_test_support.h"

using namespace browsetest;
using opcsim::Fault;

namespace {

class TreeListingTest : public BrowseTest {
 protected:
  void TearDown() override {
    QARSimulateAllocationFailures(0);
    BrowseTest::TearDown();
  }
  // The duration lines of tree walks written so far.
  std::vector<std::string> TreeTraceLines() { return log.Containing("VEMDcnOpcClient -> Browse method duration"); }
};

const std::vector<std::string> kWholeTree = {"Top=Top", "A",       "  X=A.X", "  Y=A.Y", "  B",
                                             "    Z=A.B.Z", "C", "  W=C.W", "Empty"};

TEST_F(TreeListingTest, TreeHoldsMatchingLeavesThenBranchesInServerOrder) {
  Start();
  const auto root = NewRoot();
  EXPECT_EQ(S_FALSE, client->GetOpcItemsTree("*", *root));
  EXPECT_EQ(kWholeTree, TreeLines(*root));
  EXPECT_EQ("", Position());
  // No type filter, readable or writable leaves.
  for (const opcsim::Call& call : sim->Calls().Of(kBrowse)) {
    EXPECT_EQ(std::to_string(VT_EMPTY), call.Arg("dataType"));
    EXPECT_EQ(call.Arg("type") == "leaf" ? "3" : "0", call.Arg("accessRights"));
  }
  // Leaves carry their tag only; the rest comes from validation. Nodes are
  // held by their parent alone.
  const QARListValQARBaseUnknown_var children = root->GetChildren();
  const auto* top = static_cast<VEMDcnOpcItemTreeNode*>(children[1].GetPointer());
  EXPECT_EQ("", Utf8(top->GetType()) + Utf8(top->GetOpcType()) + Utf8(top->GetDirection()));
  EXPECT_EQ(2u, top->GetRefCount());  // the list's and the copy's
  const auto* empty = static_cast<VEMDcnOpcItemTreeNode*>(children[4].GetPointer());
  EXPECT_EQ(1, empty->IsEmptyBranch());
}

TEST_F(TreeListingTest, PatternKeepsEveryBranchAndASecondWalkAppendsAgain) {
  Start();
  const auto root = NewRoot();
  EXPECT_EQ(S_FALSE, client->GetOpcItemsTree("nothing", *root));
  const std::vector<std::string> branchesOnly = {"A", "  B", "C", "Empty"};
  EXPECT_EQ(branchesOnly, TreeLines(*root));
  EXPECT_EQ(S_FALSE, client->GetOpcItemsTree("*.?", *root));
  std::vector<std::string> twice = branchesOnly;
  for (const char* line : {"A", "  X=A.X", "  Y=A.Y", "  B", "    Z=A.B.Z", "C", "  W=C.W", "Empty"})
    twice.push_back(line);
  EXPECT_EQ(twice, TreeLines(*root));
}

TEST_F(TreeListingTest, TraceLineCountsBranchVisits) {
  SetTraceVariable("yes");
  opcsim::Options options;
  options.space = Space("P.Q.x I4 R\nP.Q.y I4 R\nR.S.z I4 R\nw I4 R\n");
  Start(options);
  const auto root = NewRoot();
  EXPECT_EQ(S_FALSE, client->GetOpcItemsTree("*", *root));
  const std::vector<std::string> lines = TreeTraceLines();
  ASSERT_EQ(1u, lines.size());
  // The number follows the parenthesis directly; the micro sign arrives as UTF-8.
  EXPECT_TRUE(std::regex_search(
      lines[0], std::regex("\t\t\tVEMDcnOpcClient -> Browse method duration \\(tree output\\)[0-9]+ \xC2\xB5s for 5 items$")))
      << lines[0];
}

TEST_F(TreeListingTest, FlatSpaceGivesNoTreeAndNoTrace) {
  SetTraceVariable("yes");
  StartFlat();
  const auto root = NewRoot();
  EXPECT_EQ(S_OK, client->GetOpcItemsTree("*", *root));
  EXPECT_TRUE(TreeLines(*root).empty());
  EXPECT_TRUE(TreeTraceLines().empty());
  EXPECT_EQ(0u, Count(kBrowse));
}

TEST_F(TreeListingTest, RefusedReturnToRootMeansNoWalk) {
  SetTraceVariable("yes");
  Start();
  sim->Faults().Add(On(Fault::Fail(kChange, E_INVALIDARG), "direction", "to"));
  const auto root = NewRoot();
  // At the root already, the first step up is refused: its code is the result.
  EXPECT_EQ(E_FAIL, client->GetOpcItemsTree("*", *root));
  EXPECT_FALSE(clienttest::Reported(E_FAIL).present);
  EXPECT_TRUE(TreeLines(*root).empty());
  EXPECT_EQ((std::vector<std::string>{"to", "up"}), Args(kChange, "direction"));
  ASSERT_EQ(1u, TreeTraceLines().size());
  EXPECT_NE(std::string::npos, TreeTraceLines()[0].find(" for 0 items"));
}

// Which nodes stay when the walk fails: the path from the root to the
// failure goes, with all it gathered; what the top level finished stays.
TEST_F(TreeListingTest, FailureDropsThePathToItAndKeepsWhatTheTopLevelFinished) {
  struct Case {
    const char* what;
    Fault fault;
    std::vector<std::string> contexts;
    std::vector<std::string> lines;
  };
  const std::vector<Case> cases = {
      {"leaf deep below", On(Fault::Fail(kGetItemID, E_INVALIDARG), "name", "Z"),
       {"IOPCBrowseServerAddressSpace::GetItemID", "Error from Next(_browseBranch)"},
       {"Top=Top"}},
      {"step down at the top", On(Fault::Fail(kChange, E_INVALIDARG), "name", "C"),
       {"IOPCBrowseServerAddressSpace::ChangeBrowsePosition(OPC_BROWSE_DOWN)"},
       {"Top=Top", "A", "  X=A.X", "  Y=A.Y", "  B", "    Z=A.B.Z"}},
      {"step up from a finished branch", On(Fault::Fail(kChange, E_FAIL), "direction", "up").OnCall(2),
       {"IOPCBrowseServerAddressSpace::ChangeBrowsePosition(OPC_BROWSE_UP)"},
       {"Top=Top"}},
      {"branch names of a sub-branch", On(Fault::Fail(kBrowse, E_FAIL), "type", "branch").OnCall(3),
       {"IOPCBrowseServerAddressSpace::BrowseOPCItemIDs(OPC_BRANCH)"},
       {"Top=Top"}},
  };
  Start();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    sim->Faults().Clear();
    sim->Faults().Add(c.fault);
    const auto root = NewRoot();
    ExpectErrors(client->GetOpcItemsTree("*", *root), c.contexts);
    EXPECT_EQ(c.lines, TreeLines(*root));
  }
}

TEST_F(TreeListingTest, NodesThatCannotBeAllocatedAreLeftOut) {
  Start();
  // The first node made is branch A: it is not entered.
  const auto root = NewRoot();
  QARSimulateAllocationFailures(1);
  EXPECT_EQ(S_FALSE, client->GetOpcItemsTree("[AC].*", *root));
  EXPECT_EQ((std::vector<std::string>{"C", "  W=C.W", "Empty"}), TreeLines(*root));
  EXPECT_EQ((std::vector<std::string>{"", "C", "", "Empty", ""}), Args(kChange, "name"));
  // The first node made is leaf Top: the walk goes on without it.
  const auto second = NewRoot();
  QARSimulateAllocationFailures(1);
  EXPECT_EQ(S_FALSE, client->GetOpcItemsTree("*", *second));
  EXPECT_EQ(std::vector<std::string>(kWholeTree.begin() + 1, kWholeTree.end()), TreeLines(*second));
}

}  // namespace
