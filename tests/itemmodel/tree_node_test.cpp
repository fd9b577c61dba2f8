// Browse tree nodes: content, children and their references, class identity.
#include <gtest/gtest.h>

#include <string>

#include "VEMDcnOpcItemTreeNode.h"

namespace {

std::string Utf8(const QARUnicodeString& text) { return text.ConvertToChar().ConvertToChar(); }

// Counts the nodes alive, to see that a tree is freed exactly once.
class CountedNode : public VEMDcnOpcItemTreeNode {
 public:
  CountedNode() { ++Alive(); }
  CountedNode(const char* name, unsigned char isLeaf) : VEMDcnOpcItemTreeNode(name, "", "", "", isLeaf) { ++Alive(); }
  ~CountedNode() override { --Alive(); }
  static int& Alive() {
    static int alive = 0;
    return alive;
  }
};

}  // namespace

TEST(TreeNode, DefaultNodeIsAnEmptyLeaf) {
  VEMDcnOpcItemTreeNode* node = new VEMDcnOpcItemTreeNode;
  EXPECT_EQ(node->IsLeaf(), 1);
  EXPECT_EQ(node->IsEmptyBranch(), 0);
  for (const QARUnicodeString& text :
       {node->GetName(), node->GetTag(), node->GetType(), node->GetOpcType(), node->GetDirection()}) {
    EXPECT_TRUE(text.IsEmpty());
  }
  EXPECT_EQ(node->GetChildren().Size(), 0);
  EXPECT_EQ(node->Release(), 0u);
}

TEST(TreeNode, ConstructorAndSettersFillTheTexts) {
  VEMDcnOpcItemTreeNode* leaf = new VEMDcnOpcItemTreeNode("Level", "Plant.Tank1.Level", "float64", "Out", 1);
  EXPECT_EQ(Utf8(leaf->GetName()), "Level");
  EXPECT_EQ(Utf8(leaf->GetTag()), "Plant.Tank1.Level");
  EXPECT_EQ(Utf8(leaf->GetType()), "float64");
  EXPECT_EQ(Utf8(leaf->GetDirection()), "Out");
  EXPECT_TRUE(leaf->GetOpcType().IsEmpty());

  leaf->SetType("int16");
  leaf->SetOpcType("VT_I2");
  leaf->SetDirection("In");
  EXPECT_EQ(Utf8(leaf->GetType()), "int16");
  EXPECT_EQ(Utf8(leaf->GetOpcType()), "VT_I2");
  EXPECT_EQ(Utf8(leaf->GetDirection()), "In");
  EXPECT_EQ(Utf8(leaf->GetName()), "Level");
  leaf->Release();
}

TEST(TreeNode, AddChildTakesExactlyOneReferenceAndMakesABranch) {
  VEMDcnOpcItemTreeNode* parent = new VEMDcnOpcItemTreeNode;  // built as a leaf
  VEMDcnOpcItemTreeNode* child = new VEMDcnOpcItemTreeNode;
  parent->AddChild(child);
  EXPECT_EQ(parent->IsLeaf(), 0);
  EXPECT_EQ(parent->IsEmptyBranch(), 0);
  EXPECT_EQ(child->GetRefCount(), 2u);
  ASSERT_EQ(parent->GetChildren().Size(), 1);
  EXPECT_EQ(parent->GetChildren()[1].GetPointer(), child);
  child->Release();
  parent->Release();
}

TEST(TreeNode, OnlyABranchWithoutChildrenIsEmpty) {
  VEMDcnOpcItemTreeNode* branch = new VEMDcnOpcItemTreeNode("Area", "", "", "", 0);
  EXPECT_EQ(branch->IsLeaf(), 0);
  EXPECT_EQ(branch->IsEmptyBranch(), 1);
  branch->Release();
}

TEST(TreeNode, ReleasingTheRootFreesTheWholeTree) {
  CountedNode::Alive() = 0;
  CountedNode* root = new CountedNode("root", 0);
  for (int b = 0; b < 2; ++b) {
    CountedNode* branch = new CountedNode("branch", 0);
    root->AddChild(branch);
    for (int l = 0; l < 3; ++l) {
      CountedNode* leaf = new CountedNode("leaf", 1);
      branch->AddChild(leaf);
      leaf->Release();  // the branch is now its only owner
    }
    branch->Release();
  }
  EXPECT_EQ(CountedNode::Alive(), 9);
  root->Release();
  EXPECT_EQ(CountedNode::Alive(), 0);
}

TEST(TreeNode, AChildAddedTwiceLivesUntilBothHandlesAreGone) {
  CountedNode::Alive() = 0;
  CountedNode* parent = new CountedNode("parent", 0);
  CountedNode* child = new CountedNode("child", 1);
  parent->AddChild(child);
  parent->AddChild(child);
  child->Release();
  QARListValQARBaseUnknown_var children = parent->GetChildren();
  ASSERT_EQ(children.Size(), 2);
  EXPECT_EQ(children[1].GetPointer(), children[2].GetPointer());
  children.RemoveAll();

  parent->Release();
  EXPECT_EQ(CountedNode::Alive(), 0);
}

TEST(TreeNode, GetChildrenGivesAnIndependentListWithItsOwnReferences) {
  VEMDcnOpcItemTreeNode* parent = new VEMDcnOpcItemTreeNode;
  VEMDcnOpcItemTreeNode* child = new VEMDcnOpcItemTreeNode;
  parent->AddChild(child);
  {
    QARListValQARBaseUnknown_var children = parent->GetChildren();
    EXPECT_EQ(child->GetRefCount(), 3u);
    children.RemovePosition(1);
    EXPECT_EQ(children.Size(), 0);
  }
  EXPECT_EQ(parent->GetChildren().Size(), 1);
  EXPECT_EQ(child->GetRefCount(), 2u);
  parent->Release();
  EXPECT_EQ(child->GetRefCount(), 1u);
  child->Release();
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

  // What tag validation does with the handles of a tree.
  QARBaseUnknown_var handle(node);
  EXPECT_EQ(QARSysDynamicCast<VEMDcnOpcItemTreeNode>(handle), node);
  handle.Reset();
  node->Release();
}
