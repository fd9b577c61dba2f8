// Tree browsing: the server's hierarchical address space as a tree of
// nodes below the host's root, timed for the trace log.
#include <utility>
#include <vector>

#include "VEMDcnOpcClient.h"
#include "VEMDcnOpcClientInternal.h"
#include "VEMDcnOpcClientWalk.h"
#include "VEMDcnOpcItemTreeNode.h"

namespace {

// A node as the walk makes it: the walk holds the one reference until it
// hands the node to its parent. Null when it cannot be allocated.
comown::com_ptr<VEMDcnOpcItemTreeNode> NewNode(const WCHAR* name, const WCHAR* tag, unsigned char isLeaf) {
  return comown::com_ptr<VEMDcnOpcItemTreeNode>(
      new VEMDcnOpcItemTreeNode(QARUnicodeString(name), QARUnicodeString(tag), QARUnicodeString(), QARUnicodeString(),
                                isLeaf),
      comown::attach);
}

// Grows the tree below a node: a matching leaf becomes a leaf node, and a
// branch node joins its parent only once its whole subtree was walked and the
// step back up succeeded; a failed branch is dropped with what it gathered.
class TreeGrower final : public vemdcn::BranchVisitor {
 public:
  explicit TreeGrower(VEMDcnOpcItemTreeNode& root) : _Root(root) {}

  HRESULT Leaf(const WCHAR* name, const WCHAR* itemId) override {
    // A leaf that cannot be allocated is left out.
    const comown::com_ptr<VEMDcnOpcItemTreeNode> leaf = NewNode(name, itemId, 1);
    if (leaf) Current().AddChild(leaf.get());
    return S_OK;
  }
  // A branch whose node cannot be allocated is not entered.
  bool Enter(const WCHAR* name) override {
    comown::com_ptr<VEMDcnOpcItemTreeNode> branch = NewNode(name, OLESTR(""), 0);
    if (!branch) return false;
    _Path.push_back(std::move(branch));
    return true;
  }
  void Leave(bool walked) override {
    const comown::com_ptr<VEMDcnOpcItemTreeNode> branch = std::move(_Path.back());
    _Path.pop_back();
    if (walked) Current().AddChild(branch.get());
  }

 private:
  VEMDcnOpcItemTreeNode& Current() { return _Path.empty() ? _Root : *_Path.back(); }

  VEMDcnOpcItemTreeNode& _Root;  // the host's: not counted, it may live on the host's stack
  std::vector<comown::com_ptr<VEMDcnOpcItemTreeNode>> _Path;  // the branches entered, outermost first
};

}  // namespace

long VEMDcnOpcClient::GetOpcItemsTree(const QARUnicodeString& pattern, VEMDcnOpcItemTreeNode& root) {
  return vemdcn::Guarded(
      [&]() -> long { return _BrowseOPCItemIDs(pattern, OPC_READABLE | OPC_WRITEABLE, VT_EMPTY, root); });
}

long VEMDcnOpcClient::_BrowseOPCItemIDs(const QARUnicodeString& pattern, DWORD accessRights, VARTYPE dataType,
                                        VEMDcnOpcItemTreeNode& root) {
  if (_pBrowseAddressSpace() == nullptr) {
    QARSysLogError(vemdcn::kInvalidNullInputPointer);
    return E_POINTER;
  }
  OPCNAMESPACETYPE organisation;
  long hr = _QueryOrganization(organisation);
  // A flat space has no tree to give.
  if (FAILED(hr) || organisation != OPC_NS_HIERARCHIAL) return hr;

  LARGE_INTEGER start = {};
  if (_TraceOn) QueryPerformanceCounter(&start);
  _BrowseProgress = BrowseProgress();
  hr = BrowseToRoot();
  _BrowseBranchCount = 0;
  if (SUCCEEDED(hr)) hr = _BrowseBranch(pattern, dataType, accessRights, root);
  if (_TraceOn)
    _LogDuration("\t\t\tVEMDcnOpcClient -> Browse method duration (tree output)", start.QuadPart, _BrowseBranchCount,
                 "%d");
  return hr;
}

long VEMDcnOpcClient::_BrowseBranch(const QARUnicodeString& pattern, VARTYPE dataType, DWORD accessRights,
                                    VEMDcnOpcItemTreeNode& node) {
  TreeGrower grower(node);
  return _WalkBranch(pattern, dataType, accessRights, grower);
}
