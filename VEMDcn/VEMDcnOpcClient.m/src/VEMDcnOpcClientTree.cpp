// Tree browsing: the server's hierarchical address space as a tree of
// nodes below the host's root, timed for the trace log.
#include "VEMDcnOpcClient.h"
#include "VEMDcnOpcClientInternal.h"
#include "VEMDcnOpcClientWalk.h"
#include "VEMDcnOpcItemTreeNode.h"

using vemdcn::ErrorSlot;
using vemdcn::NameEnumeration;

namespace {

// A node as the walk makes it: the walk holds the one reference until it
// hands the node to its parent. Null when it cannot be allocated.
comown::com_ptr<VEMDcnOpcItemTreeNode> NewNode(const WCHAR* name, const WCHAR* tag, unsigned char isLeaf) {
  return comown::com_ptr<VEMDcnOpcItemTreeNode>(
      new VEMDcnOpcItemTreeNode(QARUnicodeString(name), QARUnicodeString(tag), QARUnicodeString(), QARUnicodeString(),
                                isLeaf),
      comown::attach);
}

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
  ++_BrowseBranchCount;
  ErrorSlot chain;
  const auto failed = [&](long code, const QARUnicodeString& context) {
    VEMDcnOpcError* error = chain.release();
    try {
      _ConcatenateErrors(code, context, &error);
    } catch (...) {
      chain.reset(error);
      throw;
    }
    chain.reset(error);
  };
  IOPCBrowseServerAddressSpace* browse = _pBrowseAddressSpace();
  if (browse == nullptr) {
    QARSysLogError(vemdcn::kInvalidNullInputPointer);
    return E_POINTER;
  }
  const unsigned short* matchPattern = vemdcn::Units(pattern.GetWChar());

  // Leaves: every one that matches becomes a leaf node.
  NameEnumeration leaves(_BrowseLimits.enumeration, _BrowseLimits.walk, _BrowseProgress.names);
  long hr = browse->BrowseOPCItemIDs(OPC_LEAF, OLESTR(""), dataType, accessRights, leaves.put());
  if (FAILED(hr)) {
    failed(hr, "IOPCBrowseServerAddressSpace::BrowseOPCItemIDs(OPC_LEAF)");
    return chain.Return(hr, __LINE__);
  }
  if (!leaves) {
    QARSysLogError(vemdcn::kInvalidNullInputPointer);
    hr = E_POINTER;
  } else if (FAILED(hr = leaves.Reset())) {
    failed(hr, "IEnumString::Reset()");
  } else if (FAILED(hr = leaves.Next())) {
    failed(hr, leaves.Context("IEnumString::Next()"));
  }
  while (leaves.Fetched()) {
    comown::task_string itemId;
    hr = browse->GetItemID(const_cast<LPWSTR>(leaves.Name()), itemId.put());
    if (SUCCEEDED(hr) && !itemId) hr = E_POINTER;  // a success without the ID
    if (FAILED(hr)) {
      failed(hr, "IOPCBrowseServerAddressSpace::GetItemID");
      break;
    }
    if (MatchPattern(vemdcn::Units(itemId.get()), matchPattern, 0) == 1) {
      // A leaf that cannot be allocated is left out.
      const comown::com_ptr<VEMDcnOpcItemTreeNode> leaf = NewNode(leaves.Name(), itemId.get(), 1);
      if (leaf) node.AddChild(leaf.get());
    }
    if (FAILED(hr = leaves.Next())) failed(hr, leaves.Context("IEnumString::Next()"));
  }
  leaves.Release();
  if (FAILED(hr)) {
    failed(hr, "Error from Next(_browseBranch)");
    return chain.Return(hr, __LINE__);
  }

  // Branches: a branch node joins its parent only once its whole subtree was
  // walked and the step back up succeeded.
  NameEnumeration branches(_BrowseLimits.enumeration, _BrowseLimits.walk, _BrowseProgress.names);
  hr = browse->BrowseOPCItemIDs(OPC_BRANCH, OLESTR(""), VT_EMPTY, 0, branches.put());
  if (FAILED(hr) || !branches) {
    if (hr == S_FALSE)
      failed(hr, "Nothing to enumerate");
    else
      failed(hr, "IOPCBrowseServerAddressSpace::BrowseOPCItemIDs(OPC_BRANCH)");
    return chain.Return(hr, __LINE__);
  }
  if (FAILED(hr = branches.Reset()))
    failed(hr, "IEnumString::Reset()");
  else if (FAILED(hr = branches.Next()))
    failed(hr, branches.Context("IEnumString::Next()"));
  while (branches.Fetched()) {
    // A branch whose node cannot be allocated is not entered.
    const comown::com_ptr<VEMDcnOpcItemTreeNode> branch = NewNode(branches.Name(), OLESTR(""), 0);
    if (branch) {
      if (_BrowseProgress.depth >= _BrowseLimits.depth) {
        hr = E_FAIL;
        failed(hr, vemdcn::BoundContext("IOPCBrowseServerAddressSpace::ChangeBrowsePosition(OPC_BROWSE_DOWN)",
                                        _BrowseLimits.depth, "levels deep"));
        break;
      }
      hr = browse->ChangeBrowsePosition(OPC_BROWSE_DOWN, branches.Name());
      if (FAILED(hr)) {
        failed(hr, "IOPCBrowseServerAddressSpace::ChangeBrowsePosition(OPC_BROWSE_DOWN)");
        break;
      }
      {
        const vemdcn::DepthStep down(_BrowseProgress.depth);
        hr = _BrowseBranch(pattern, dataType, accessRights, *branch);
      }
      // A failure below keeps its own error, leaves the position there and
      // drops the branch with what it had gathered.
      if (FAILED(hr)) break;
      hr = browse->ChangeBrowsePosition(OPC_BROWSE_UP, OLESTR(""));
      if (FAILED(hr)) {
        failed(hr, "IOPCBrowseServerAddressSpace::ChangeBrowsePosition(OPC_BROWSE_UP)");
        break;
      }
      node.AddChild(branch.get());
    }
    if (FAILED(hr = branches.Next())) failed(hr, branches.Context("IEnumString::Next()"));
  }
  return chain.Return(hr, __LINE__);
}
