// One node of a browse tree: a branch holds child nodes, a leaf stands for
// one OPC item. Nodes are reference counted framework objects; each node holds
// one reference on each of its children, so releasing the root frees the tree.
#pragma once

#include "QARBaseUnknown.h"
#include "QARListVal.h"
#include "QARMetaClass.h"
#include "QARUnicodeString.h"
#include "VEMDcnExport.h"

class VEMDCN_EXPORT VEMDcnOpcItemTreeNode : public QARBaseUnknown {
 public:
  // A leaf with empty texts.
  VEMDcnOpcItemTreeNode();
  // The texts are taken by value: a walk that makes a node per leaf hands
  // over the texts it has just built instead of having them copied.
  VEMDcnOpcItemTreeNode(QARUnicodeString iName, QARUnicodeString iTag, QARUnicodeString iType,
                        QARUnicodeString iDirection, unsigned char iIsLeaf);
  VEMDcnOpcItemTreeNode(const VEMDcnOpcItemTreeNode&) = delete;
  VEMDcnOpcItemTreeNode& operator=(const VEMDcnOpcItemTreeNode&) = delete;

  virtual ~VEMDcnOpcItemTreeNode();
  virtual QARMetaClass* GetMetaObject() const;
  virtual const char* IsA() const;
  virtual int IsAKindOf(const char* iClassName) const;

  static QARMetaClass* MetaObject();
  static const GUID& ClassId();
  static const char* ClassName();
  // Nodes cannot be created by class name: always null.
  static QARBaseUnknown* CreateItself();

  QARUnicodeString GetName() const;
  QARUnicodeString GetTag() const;
  QARUnicodeString GetType() const;
  QARUnicodeString GetOpcType() const;
  QARUnicodeString GetDirection() const;

  void SetType(const QARUnicodeString& iType);
  void SetOpcType(const QARUnicodeString& iOpcType);
  void SetDirection(const QARUnicodeString& iDirection);

  // Handles on the children in the order they were added; the copy holds
  // references of its own.
  QARListValQARBaseUnknown_var GetChildren() const;
  // Takes one reference on the child (the caller keeps its own) and makes
  // this node a branch for good.
  void AddChild(VEMDcnOpcItemTreeNode* iChild);

  unsigned char IsLeaf() const;
  // 1 for a branch without children, 0 for a leaf or a branch with children.
  unsigned char IsEmptyBranch() const;

 private:
  static QARMetaClass* meta_object;

  QARUnicodeString _Name;
  QARUnicodeString _Tag;
  QARUnicodeString _Type;
  QARUnicodeString _OpcType;
  QARUnicodeString _Direction;
  unsigned char _IsLeaf;
  QARListValQARBaseUnknown_var _Children;
};
