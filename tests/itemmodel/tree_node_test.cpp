// Browse tree nodes: children and the references that keep a tree alive.
#include <gtest/gtest.h>

#include "VEMDcnOpcItemTreeNode.h"
#include "comown.h"

namespace {

using comown::com_ptr;
using Node = com_ptr<VEMDcnOpcItemTreeNode>;

// Counts the nodes alive, to see that a tree is freed, and freed once.
struct CountedNode : VEMDcnOpcItemTreeNode {
  static int alive;
  explicit CountedNode(unsigned char isLeaf) : VEMDcnOpcItemTreeNode("n", "", "", "", isLeaf) { ++alive; }
  ~CountedNode() override { --alive; }
};
int CountedNode::alive = 0;

}  // namespace

TEST(TreeNode, AddChildTakesExactlyOneReferenceAndMakesABranch) {
  Node parent(new VEMDcnOpcItemTreeNode, comown::attach);  // built as a leaf
  EXPECT_EQ(1, parent->IsAKindOf("VEMDcnOpcItemTreeNode"));  // the name hosts look nodes up by
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
