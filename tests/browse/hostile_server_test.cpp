// Servers whose address space never ends: every walk stops at its bound with
// a failure and an error naming it, and gives back all it was handed.
#include "browse_test_support.h"

using namespace browsetest;
using opcsim::Fault;

namespace {

class HostileServerTest : public BrowseTest {
 protected:
  // A with the leaves x and y and `links` sub-branches that lead back to A.
  void StartSelfContaining(int links) {
    auto space = Space("A.x I4 R\nA.y I4 R\n");
    const std::uint32_t a = space->FindBranch(OLESTR("A"));
    for (int i = 0; i < links; ++i) space->AddBranchLink(a, comown::to_wide("Self" + std::to_string(i)), a);
    opcsim::Options options;
    options.space = space;
    Start(options);
  }
};

const std::string kDeeperThanBound =
    "IOPCBrowseServerAddressSpace::ChangeBrowsePosition(OPC_BROWSE_DOWN): more than 256 levels deep";

TEST_F(HostileServerTest, BranchThatContainsItselfStopsAtTheDepthBound) {
  StartSelfContaining(1);
  Dictionary items;
  ExpectErrors(client->GetOpcItemsList("*", VT_EMPTY, "", items.put()), {kDeeperThanBound});
  // Its leaves are listed once; the position is left where the bound was met.
  EXPECT_EQ((std::vector<std::string>{"A.x", "A.y"}), items.Ids());
  std::vector<std::string> steps(1, "to");  // the return to the root, then 256 steps down
  steps.resize(1 + 256, "down");
  EXPECT_EQ(steps, Args(kChange, "direction"));

  const auto root = NewRoot();
  ExpectErrors(client->GetOpcItemsTree("*", *root), {kDeeperThanBound});
  EXPECT_TRUE(TreeLines(*root).empty());  // every node was on the path to the bound
}

TEST_F(HostileServerTest, BranchThatContainsItselfTwiceStopsAtTheWalkBound) {
  StartSelfContaining(2);
  View().LimitWalks(256, 256, 10000000, 500);
  Dictionary items;
  // The 501st name is a leaf's, so the leaf part adds its own line.
  ExpectErrors(client->GetOpcItemsList("*", VT_EMPTY, "", items.put()),
               {"IEnumString::Next(): more than 500 names in one walk", "Error from Next(_browseBranch)"});
  EXPECT_EQ(2u, items.Ids().size());
  // Work in proportion to the bound, not to 2^256.
  EXPECT_LT(Count(kChange), 500u);
  const auto root = NewRoot();
  ExpectErrors(client->GetOpcItemsTree("*", *root),
               {"IEnumString::Next(): more than 500 names in one walk", "Error from Next(_browseBranch)"});
}

TEST_F(HostileServerTest, EndlessEnumerationsStopAtTheEnumerationBound) {
  const std::string bound = "IEnumString::Next(): more than 50 names in one enumeration";
  for (const bool flat : {false, true}) {
    SCOPED_TRACE(flat ? "flat" : "hierarchical");
    opcsim::Options options;
    options.enumeratorsNeverEnd = true;
    options.organisation = flat ? OPC_NS_FLAT : OPC_NS_HIERARCHIAL;
    Start(options);
    View().LimitWalks(256, 256, 50, 1000);
    Dictionary items;
    const long hr = client->GetOpcItemsList("*", VT_EMPTY, "", items.put());
    if (flat)
      ExpectErrors(hr, {bound});
    else
      ExpectErrors(hr, {bound, "Error from Next(_browseBranch)"});
    EXPECT_EQ(51u, Count(kNext));
    EXPECT_EQ(flat ? 5u : 1u, items.Ids().size());
    // Nothing qualifies "Nowhere", and the listing never ends by itself.
    unsigned short* id = nullptr;
    ExpectErrors(client->GetFullyQualifiedItem(reinterpret_cast<const unsigned short*>(OLESTR("Top")), id), {bound});
    EXPECT_EQ(nullptr, id);
    EXPECT_EQ(S_OK, client->OpcStop());
  }
}

TEST_F(HostileServerTest, EnumerationsThatEndWithSuccessEndTheWalkNormally) {
  for (const bool flat : {false, true}) {
    SCOPED_TRACE(flat ? "flat" : "hierarchical");
    opcsim::Options options;
    options.enumeratorsEndWithSFalse = false;
    options.organisation = flat ? OPC_NS_FLAT : OPC_NS_HIERARCHIAL;
    Start(options);
    Dictionary items;
    EXPECT_EQ(S_OK, client->GetOpcItemsList("*", VT_EMPTY, "", items.put()));
    EXPECT_EQ(5u, items.Ids().size());
    const auto root = NewRoot();
    EXPECT_EQ(S_OK, client->GetOpcItemsTree("*", *root));
    EXPECT_EQ(S_OK, client->OpcStop());
  }
}

TEST_F(HostileServerTest, ClimbThatNeverMeetsTheRootGivesUp) {
  opcsim::Options options;
  options.browseUpNeverRefused = true;
  Start(options);
  sim->Faults().Add(On(Fault::Fail(kChange, E_INVALIDARG), "direction", "to"));
  const std::string gaveUp =
      "IOPCBrowseServerAddressSpace::ChangeBrowsePosition(OPC_BROWSE_UP): more than 256 steps up to the root";
  ExpectErrors(client->BrowseToRoot(), {gaveUp});
  EXPECT_EQ(1u + 257u, Count(kChange));
  // A listing does not walk from a position its climb could not leave.
  sim->Calls().Clear();
  Dictionary items;
  ExpectErrors(client->GetOpcItemsList("*", VT_EMPTY, "", items.put()), {gaveUp});
  const auto root = NewRoot();
  ExpectErrors(client->GetOpcItemsTree("*", *root), {gaveUp});
  EXPECT_EQ(0u, Count(kBrowse));
  EXPECT_EQ(nullptr, items.dico);
}

}  // namespace
