// Browse tree nodes: content, children and their references, class identity.
#include <gtest/gtest.h>

#include <string>

#include "VEMDcnOpcItemTreeNode.h"
#include "comown.h"

namespace {

using comown::com_ptr;
using Node = com_ptr<VEMDcnOpcItemTreeNode>;

std::string Utf8(const QARUnicodeString& text) { return text.ConvertToChar().ConvertToChar(); }

std::string Texts(const VEMDcnOpcItemTreeNode& node) {
  return Utf8(node.GetName() + "|" + node.GetTag() + "|" + node.GetType() + "|" + node.GetOpcType() + "|" +
              node.GetDirection());
}

// Counts the nodes alive, to see that a tree is freed, and freed once.
struct CountedNode : VEMDcnOpcItemTreeNode {
  static int alive;
  explicit CountedNode(unsigned char isLeaf) : VEMDcnOpcItemTreeNode("n", "", "", "", isLeaf) { ++alive; }
  ~CountedNode() override { --alive; }
};
int CountedNode::alive = 0;

}  // namespace

TEST(TreeNode, TextsLeafFlagAndSetters) {
  const Node empty(new VEMDcnOpcItemTreeNode, comown::attach);
  EXPECT_EQ(Texts(*empty), "||||");
  EXPECT_EQ(empty->IsLeaf(), 1);
  EXPECT_EQ(empty->IsEmptyBranch(), 0);
  EXPECT_EQ(empty->GetChildren().Size(), 0);

  const Node leaf(new VEMDcnOpcItemTreeNode("Level", "Plant.Level", "float64", "Out", 1), comown::attach);
  EXPECT_EQ(Texts(*leaf), "Level|Plant.Level|float64||Out");
  leaf->SetType("int16");
  leaf->SetOpcType("VT_I2");
  leaf->SetDirection("In");
  EXPECT_EQ(Texts(*leaf), "Level|Plant.Level|int16|VT_I2|In");
  EXPECT_EQ(Node(new VEMDcnOpcItemTreeNode("Area", "", "", "", 0), comown::attach)->IsEmptyBranch(), 1);
}

TEST(TreeNode, AddChildTakesExactlyOneReferenceAndMakesABranch) {
  Node parent(new VEMDcnOpcItemTreeNode, comown::attach);  // built as a leaf
  const Node child(new VEMDcnOpcItemTreeNode, comown::attach);
  parent->AddChild(child.get());
  EXPECT_EQ(parent->IsLeaf(), 0);
  EXPECT_EQ(parent->IsEmptyBranch(), 0);
  EXPECT_EQ(child->GetRefCount(), 2u);
  {
    QARListValQARBaseUnknown_var children = parent->GetChildren();
    EXPECT_EQ(child->GetRefCount(), 3u) << "the copy holds references of its own";
    EXPECT_EQ(children[1].GetPointer(), child.get());
    children.RemovePosition(1);
  }
  EXPECT_EQ(parent->GetChildren().Size(), 1);
  EXPECT_EQ(child->GetRefCount(), 2u);
  parent.reset();
  EXPECT_EQ(child->GetRefCount(), 1u);
}

TEST(TreeNode, ReleasingTheRootFreesTheWholeTree) {
  com_ptr<CountedNode> root(new CountedNode(0), comown::attach);
  for (int b = 0; b < 2; ++b) {
    const com_ptr<CountedNode> branch(new CountedNode(0), comown::attach);
    root->AddChild(branch.get());
    for (int l = 0; l < 3; ++l) branch->AddChild(com_ptr<CountedNode>(new CountedNode(1), comown::attach).get());
    branch->AddChild(static_cast<CountedNode*>(branch->GetChildren()[1].GetPointer()));  // a leaf twice
  }
  EXPECT_EQ(CountedNode::alive, 9);
  root.reset();
  EXPECT_EQ(CountedNode::alive, 0);
}

TEST(TreeNode, IsFoundByClassNameAndCast) {
  VEMDcnOpcItemTreeNode* node = new VEMDcnOpcItemTreeNode;
  QARBaseUnknown_var handle;
  handle.Attach(node);
  EXPECT_STREQ("VEMDcnOpcItemTreeNode", handle->IsA());
  EXPECT_EQ(1, handle->IsAKindOf("VEMDcnOpcItemTreeNode"));
  EXPECT_EQ(1, handle->IsAKindOf("QARBaseUnknown"));
  EXPECT_EQ(0, handle->IsAKindOf("VEMDcnOpcError"));
  EXPECT_EQ(node, QARSysDynamicCast<VEMDcnOpcItemTreeNode>(handle));  // how tag validation reaches a node
}
