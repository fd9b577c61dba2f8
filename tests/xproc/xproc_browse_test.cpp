// Browsing across processes: listings and the tree are built from the names
// and item IDs the server hands out as out-strings, validation from a group
// the client makes and removes on the server.
#include <algorithm>
#include <memory>

#include "QARHashDicVEMDcnOpcItem.h"
#include "VEMDcnOpcClient.h"
#include "VEMDcnOpcItem.h"
#include "VEMDcnOpcItemTreeNode.h"
#include "xproc_test_support.h"

namespace xproc {
namespace {

using Browsing = CrossProcessTest;
using Ids = std::vector<std::string>;

// The sorted IDs of a listing; the dictionary and its items are freed.
Ids ListedIds(QARHashDicVEMDcnOpcItem* dico) {
  Ids ids;
  if (dico == nullptr) return ids;
  QARHashCodeIter it(dico->GetDico());
  while (it.Next()) {
    const auto* item = static_cast<VEMDcnOpcItem*>(it.GetValue());
    ids.push_back(Utf8(item->_Path) + "|" + Utf8(item->_Name) + "|" + Utf8(item->_ItemID));
    delete item;
  }
  delete dico;
  std::sort(ids.begin(), ids.end());
  return ids;
}

void TreeLines(const VEMDcnOpcItemTreeNode& node, const std::string& indent, Ids& out) {
  const QARListValQARBaseUnknown_var children = node.GetChildren();
  for (int i = 1; i <= children.Size(); ++i) {
    const auto* child = static_cast<const VEMDcnOpcItemTreeNode*>(children[i].GetPointer());
    out.push_back(indent + Utf8(child->GetName()) + (child->IsLeaf() ? "=" + Utf8(child->GetTag()) : ""));
    TreeLines(*child, indent + " ", out);
  }
}

class BrowsingClient : public Browsing {
 protected:
  void SetUp() override {
    Browsing::SetUp();
    ASSERT_EQ(S_OK, client.OpcStart(Text(kServerProgId), Text(""), 1000, 0.0f));
  }
  void TearDown() override {
    EXPECT_EQ(S_OK, client.OpcStop());
    Browsing::TearDown();
  }
  VEMDcnOpcClient client;
};

// A listing walks the space once per supported type: some thousand calls,
// a few seconds across processes.
TEST_F(BrowsingClient, ListingsCarryTheServersNamesAndIds) {
  const struct {
    const char* pattern;
    Ids ids;
  } rows[] = {
      {"Plant.Area1.Line2.*",
       {"Plant.Area1.Line2|Speed|Plant.Area1.Line2.Speed", "Plant.Area1.Line2|Start|Plant.Area1.Line2.Start",
        "Plant.Area1.Line2|Temperature|Plant.Area1.Line2.Temperature"}},
      {"*.read?nly.s*", {"Plant.ReadOnly|Serial|Plant.ReadOnly.Serial"}},
  };
  for (const auto& row : rows) {
    QARHashDicVEMDcnOpcItem* dico = nullptr;
    EXPECT_TRUE(SUCCEEDED(client.GetOpcItemsList(Text(row.pattern), &dico))) << row.pattern;
    EXPECT_EQ(row.ids, ListedIds(dico)) << row.pattern;
  }
}

TEST_F(BrowsingClient, TheTreeHasEveryBranchAndTheMatchingLeaves) {
  VEMDcnOpcItemTreeNode root;
  ASSERT_EQ(S_FALSE, client.GetOpcItemsTree(Text("*Tank1.*"), root));  // as in process
  Ids lines;
  TreeLines(root, "", lines);
  const Ids expected = {"Plant", " Area1", "  Line1", "  Line2", " Area2", "  Tank1",
                        "   Level=Plant.Area2.Tank1.Level", "   Setpoint=Plant.Area2.Tank1.Setpoint",
                        "   Reset=Plant.Area2.Tank1.Reset", "  Spare", " Types", " ReadOnly", " WriteOnly"};
  Ids sortedLines = lines, sortedExpected = expected;
  std::sort(sortedLines.begin(), sortedLines.end());
  std::sort(sortedExpected.begin(), sortedExpected.end());
  EXPECT_EQ(sortedExpected, sortedLines);
}

TEST_F(BrowsingClient, ValidationCompletesKnownTagsAndRefusesTheOthers) {
  QARListValQARBaseUnknown_var tags;
  for (const char* tag : {"Plant.Area1.Line1.Temperature", "Plant.Area1.Line2.Start", "Plant.Nope"}) {
    comown::com_ptr<VEMDcnOpcItemTreeNode> node(new VEMDcnOpcItemTreeNode("n", tag, "", "", 1), comown::attach);
    tags.Append(node.get());
  }
  EXPECT_TRUE(FAILED(client.ValidateTags(tags)));
  const auto completion = [&](int position) {
    const auto* node = static_cast<const VEMDcnOpcItemTreeNode*>(tags[position].GetPointer());
    return Utf8(node->GetOpcType()) + "|" + Utf8(node->GetDirection());
  };
  EXPECT_EQ("VT_R8|Out", completion(1));
  EXPECT_EQ("VT_BOOL|In", completion(2));
  EXPECT_EQ("|", completion(3));
}

}  // namespace
}  // namespace xproc
