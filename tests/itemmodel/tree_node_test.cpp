// Browse tree nodes: content, children and their references, class identity.
#include <gtest/gtest.h>

#include <string>

#include "VEMDcnOpcItemTreeNode.h"

namespace {

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
  VEMDcnOpcItemTreeNode* empty = new VEMDcnOpcItemTreeNode;
  EXPECT_EQ(Texts(*empty), "||||");
  EXPECT_EQ(empty->IsLeaf(), 1);
  EXPECT_EQ(empty->IsEmptyBranch(), 0);
  EXPECT_EQ(empty->GetChildren().Size(), 0);
  EXPECT_EQ(empty->Release(), 0u);

  VEMDcnOpcItemTreeNode* leaf = new VEMDcnOpcItemTreeNode("Level", "Plant.Level", "float64", "Out", 1);
  EXPECT_EQ(Texts(*leaf), "Level|Plant.Level|float64||Out");
  leaf->SetType("int16");
  leaf->SetOpcType("VT_I2");
  leaf->SetDirection("In");
  EXPECT_EQ(Texts(*leaf), "Level|Plant.Level|int16|VT_I2|In");
  leaf->Release();

  VEMDcnOpcItemTreeNode* branch = new VEMDcnOpcItemTreeNode("Area", "", "", "", 0);
  EXPECT_EQ(branch->IsEmptyBranch(), 1);
  branch->Release();
}

TEST(TreeNode, AddChildTakesExactlyOneReferenceAndMakesABranch) {
  VEMDcnOpcItemTreeNode* parent = new VEMDcnOpcItemTreeNode;  // built as a leaf
  VEMDcnOpcItemTreeNode* child = new VEMDcnOpcItemTreeNode;
  parent->AddChild(child);
  EXPECT_EQ(parent->IsLeaf(), 0);
  EXPECT_EQ(parent->IsEmptyBranch(), 0);
  EXPECT_EQ(child->GetRefCount(), 2u);
  {
    QARListValQARBaseUnknown_var children = parent->GetChildren();
    EXPECT_EQ(child->GetRefCount(), 3u) << "the copy holds references of its own";
    EXPECT_EQ(children[1].GetPointer(), child);
    children.RemovePosition(1);
  }
  EXPECT_EQ(parent->GetChildren().Size(), 1);
  EXPECT_EQ(child->GetRefCount(), 2u);
  parent->Release();
  EXPECT_EQ(child->Release(), 0u);
}

TEST(TreeNode, ReleasingTheRootFreesTheWholeTree) {
  CountedNode* root = new CountedNode(0);
  for (int b = 0; b < 2; ++b) {
    CountedNode* branch = new CountedNode(0);
    root->AddChild(branch);
    for (int l = 0; l < 3; ++l) {
      CountedNode* leaf = new CountedNode(1);
      branch->AddChild(leaf);
      leaf->Release();  // the branch is now its only owner
    }
    branch->AddChild(static_cast<CountedNode*>(branch->GetChildren()[1].GetPointer()));  // a leaf twice
    branch->Release();
  }
  EXPECT_EQ(CountedNode::alive, 9);
  root->Release();
  EXPECT_EQ(CountedNode::alive, 0);
}

TEST(TreeNode, ClassIdentity) {
  VEMDcnOpcItemTreeNode* node = new VEMDcnOpcItemTreeNode;
  EXPECT_STREQ(node->IsA(), "VEMDcnOpcItemTreeNode");
  EXPECT_STREQ(VEMDcnOpcItemTreeNode::ClassName(), "VEMDcnOpcItemTreeNode");
  EXPECT_EQ(node->IsAKindOf("VEMDcnOpcItemTreeNode"), 1);
  EXPECT_EQ(node->IsAKindOf("QARBaseUnknown"), 1);
  EXPECT_EQ(node->IsAKindOf("VEMDcnOpcError"), 0);
  EXPECT_EQ(VEMDcnOpcItemTreeNode::CreateItself(), nullptr);

  QARMetaClass* meta = VEMDcnOpcItemTreeNode::MetaObject();
  EXPECT_EQ(node->GetMetaObject(), meta);
  EXPECT_EQ(meta->GetParent(), QARBaseUnknown::MetaObject());
  EXPECT_EQ(meta->GetTypeOfClass(), QARImplementationClass);
  EXPECT_STREQ(meta->GetExtendedClassName(), "QARNull");
  EXPECT_STREQ(meta->GetFrameworkName(), "VEMDcn");
  EXPECT_EQ(meta->GetInstanceSize(), sizeof(VEMDcnOpcItemTreeNode));
  EXPECT_TRUE(IsEqualGUID(VEMDcnOpcItemTreeNode::ClassId(), meta->GetClassId()));

  // How tag validation reaches a node from a handle.
  QARBaseUnknown_var handle(node);
  EXPECT_EQ(QARSysDynamicCast<VEMDcnOpcItemTreeNode>(handle), node);
  handle.Reset();
  node->Release();
}
