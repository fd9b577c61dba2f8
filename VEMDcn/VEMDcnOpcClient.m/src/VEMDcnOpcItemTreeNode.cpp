// VEMDcnOpcItemTreeNode: the node of the browse tree.
#include "VEMDcnOpcItemTreeNode.h"

#include <utility>

QARMetaClass* VEMDcnOpcItemTreeNode::meta_object = nullptr;

VEMDcnOpcItemTreeNode::VEMDcnOpcItemTreeNode() : _IsLeaf(1) {}

VEMDcnOpcItemTreeNode::VEMDcnOpcItemTreeNode(QARUnicodeString iName, QARUnicodeString iTag, QARUnicodeString iType,
                                             QARUnicodeString iDirection, unsigned char iIsLeaf)
    : _Name(std::move(iName)),
      _Tag(std::move(iTag)),
      _Type(std::move(iType)),
      _Direction(std::move(iDirection)),
      _IsLeaf(iIsLeaf) {}

// _Children goes with the node and releases every child.
VEMDcnOpcItemTreeNode::~VEMDcnOpcItemTreeNode() {}

QARMetaClass* VEMDcnOpcItemTreeNode::MetaObject() {
  // fct_RetrieveMetaObject hands every caller the same record, so threads
  // racing here store the same pointer; the atomic accesses keep that race
  // well defined without a lock.
  QARMetaClass* meta = __atomic_load_n(&meta_object, __ATOMIC_ACQUIRE);
  if (meta == nullptr) {
    meta = fct_RetrieveMetaObject("VEMDcnOpcItemTreeNode", QARImplementationClass, QARBaseUnknown::MetaObject(),
                                  "QARNull", "VEMDcn", sizeof(VEMDcnOpcItemTreeNode));
    __atomic_store_n(&meta_object, meta, __ATOMIC_RELEASE);
  }
  return meta;
}

QARMetaClass* VEMDcnOpcItemTreeNode::GetMetaObject() const { return MetaObject(); }

const GUID& VEMDcnOpcItemTreeNode::ClassId() { return MetaObject()->GetClassId(); }

const char* VEMDcnOpcItemTreeNode::ClassName() { return MetaObject()->IsA(); }

const char* VEMDcnOpcItemTreeNode::IsA() const { return ClassName(); }

int VEMDcnOpcItemTreeNode::IsAKindOf(const char* iClassName) const { return MetaObject()->IsAKindOf(iClassName); }

QARBaseUnknown* VEMDcnOpcItemTreeNode::CreateItself() { return nullptr; }

QARUnicodeString VEMDcnOpcItemTreeNode::GetName() const { return _Name; }
QARUnicodeString VEMDcnOpcItemTreeNode::GetTag() const { return _Tag; }
QARUnicodeString VEMDcnOpcItemTreeNode::GetType() const { return _Type; }
QARUnicodeString VEMDcnOpcItemTreeNode::GetOpcType() const { return _OpcType; }
QARUnicodeString VEMDcnOpcItemTreeNode::GetDirection() const { return _Direction; }

void VEMDcnOpcItemTreeNode::SetType(const QARUnicodeString& iType) { _Type = iType; }
void VEMDcnOpcItemTreeNode::SetOpcType(const QARUnicodeString& iOpcType) { _OpcType = iOpcType; }
void VEMDcnOpcItemTreeNode::SetDirection(const QARUnicodeString& iDirection) { _Direction = iDirection; }

QARListValQARBaseUnknown_var VEMDcnOpcItemTreeNode::GetChildren() const { return _Children; }

void VEMDcnOpcItemTreeNode::AddChild(VEMDcnOpcItemTreeNode* iChild) {
  // The handle's one reference moves into the list: the node gains exactly
  // one reference on the child.
  _Children.Append(QARBaseUnknown_var(iChild));
  _IsLeaf = 0;
}

unsigned char VEMDcnOpcItemTreeNode::IsLeaf() const { return _IsLeaf; }

// A branch counts as empty only while it has no children: that is what a host
// showing the tree needs to know, where the flag alone would call every branch
// empty.
unsigned char VEMDcnOpcItemTreeNode::IsEmptyBranch() const {
  return (_IsLeaf == 0 && _Children.Size() == 0) ? 1 : 0;
}
