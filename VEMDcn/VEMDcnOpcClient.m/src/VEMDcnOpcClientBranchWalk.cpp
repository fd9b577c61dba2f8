// The depth-first walk over a hierarchical address space that both listings
// share: the leaves of each branch first, then its branches, each step down
// paired with a step up. What becomes of a leaf or a branch is the visitor's.
#include "VEMDcnOpcClient.h"
#include "VEMDcnOpcClientInternal.h"
#include "VEMDcnOpcClientWalk.h"

using vemdcn::ErrorSlot;
using vemdcn::NameEnumeration;

long VEMDcnOpcClient::_WalkBranch(const QARUnicodeString& pattern, VARTYPE dataType, DWORD accessRights,
                                  vemdcn::BranchVisitor& visitor) {
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
    if (MatchPattern(vemdcn::Units(itemId.get()), matchPattern, 0) == 1 &&
        FAILED(hr = visitor.Leaf(leaves.Name(), itemId.get())))
      break;
    if (FAILED(hr = leaves.Next())) failed(hr, leaves.Context("IEnumString::Next()"));
  }
  leaves.Release();
  if (FAILED(hr)) {
    failed(hr, "Error from Next(_browseBranch)");
    return chain.Return(hr, __LINE__);
  }

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
    if (visitor.Enter(branches.Name())) {
      bool walked = false;
      if (_BrowseProgress.depth >= _BrowseLimits.depth) {
        hr = E_FAIL;
        failed(hr, vemdcn::BoundContext("IOPCBrowseServerAddressSpace::ChangeBrowsePosition(OPC_BROWSE_DOWN)",
                                        _BrowseLimits.depth, "levels deep"));
      } else if (FAILED(hr = browse->ChangeBrowsePosition(OPC_BROWSE_DOWN, branches.Name()))) {
        failed(hr, "IOPCBrowseServerAddressSpace::ChangeBrowsePosition(OPC_BROWSE_DOWN)");
      } else {
        {
          const vemdcn::DepthStep down(_BrowseProgress.depth);
          hr = _WalkBranch(pattern, dataType, accessRights, visitor);
        }
        // A failure below keeps its own error and leaves the position there.
        if (SUCCEEDED(hr) && FAILED(hr = browse->ChangeBrowsePosition(OPC_BROWSE_UP, OLESTR(""))))
          failed(hr, "IOPCBrowseServerAddressSpace::ChangeBrowsePosition(OPC_BROWSE_UP)");
        walked = SUCCEEDED(hr);
      }
      visitor.Leave(walked);
      if (!walked) break;
    }
    if (FAILED(hr = branches.Next())) failed(hr, branches.Context("IEnumString::Next()"));
  }
  return chain.Return(hr, __LINE__);
}
