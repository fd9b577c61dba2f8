// Item listing: the server's address space into a dictionary of item
// records, one per leaf whose item ID matches the host's pattern.
#include <memory>
#include <new>

#include "QARHashDicVEMDcnOpcItem.h"
#include "VEMDcnOpcClient.h"
#include "VEMDcnOpcClientInternal.h"
#include "VEMDcnOpcClientWalk.h"
#include "VEMDcnOpcItem.h"

using vemdcn::ErrorSlot;
using vemdcn::NameEnumeration;

namespace {

// The access text of the one-type listing as OPC access rights; anything
// but the three texts, exactly, means no filter.
DWORD AccessRightsOf(const QARUnicodeString& access) {
  if (access == QARUnicodeString("Readable")) return OPC_READABLE;
  if (access == QARUnicodeString("Writable")) return OPC_WRITEABLE;
  if (access == QARUnicodeString("Readable/Writable")) return OPC_READABLE | OPC_WRITEABLE;
  return 0;
}

enum class Inserted { Yes, Duplicate, OutOfMemory };

// Files a record under its item ID, making the dictionary at the first one.
// The record that holds an ID first keeps it.
Inserted InsertRecord(const WCHAR* name, const WCHAR* itemId, VARTYPE dataType, DWORD accessRights,
                      QARHashDicVEMDcnOpcItem** items) {
  std::unique_ptr<VEMDcnOpcItem> item = vemdcn::NewItemRecord(name, itemId, dataType, accessRights);
  if (!item) return Inserted::OutOfMemory;
  if (*items == nullptr) {
    *items = new (std::nothrow) QARHashDicVEMDcnOpcItem(10);
    if (*items == nullptr) return Inserted::OutOfMemory;
  }
  if ((*items)->Insert(item->_ItemID, item.get()) == 0) return Inserted::Duplicate;
  (void)item.release();  // the dictionary's caller owns it now
  return Inserted::Yes;
}

}  // namespace

long VEMDcnOpcClient::GetOpcItemsList(const QARUnicodeString& pattern, QARHashDicVEMDcnOpcItem** items) {
  return vemdcn::Guarded([&]() -> long {
    if (items == nullptr) {
      QARSysLogError(vemdcn::kInvalidNullInputPointer);
      return E_POINTER;
    }
    if (_SupportedDataTypes.Size() < 1) return E_FAIL;
    // One pass per type: a server that converts lists an item under several
    // types, and the first pass that lists it decides its record.
    long hr = E_FAIL;
    for (int i = 1; i <= _SupportedDataTypes.Size(); ++i)
      hr = _BrowseOPCItemIDs(pattern, OPC_READABLE | OPC_WRITEABLE, _SupportedDataTypes[i], items);
    return hr;
  });
}

long VEMDcnOpcClient::GetOpcItemsList(const QARUnicodeString& pattern, VARTYPE dataType,
                                      const QARUnicodeString& access, QARHashDicVEMDcnOpcItem** items) {
  return vemdcn::Guarded([&]() -> long {
    if (items == nullptr) {
      QARSysLogError(vemdcn::kInvalidNullInputPointer);
      return E_POINTER;
    }
    return _BrowseOPCItemIDs(pattern, AccessRightsOf(access), dataType, items);
  });
}

long VEMDcnOpcClient::_BrowseOPCItemIDs(const QARUnicodeString& pattern, DWORD accessRights, VARTYPE dataType,
                                        QARHashDicVEMDcnOpcItem** items) {
  if (_pBrowseAddressSpace() == nullptr) {
    QARSysLogError(vemdcn::kInvalidNullInputPointer);
    return E_POINTER;
  }
  OPCNAMESPACETYPE organisation;
  const long hr = _QueryOrganization(organisation);
  if (FAILED(hr)) return hr;
  _BrowseProgress = BrowseProgress();
  if (organisation != OPC_NS_HIERARCHIAL) return _BrowseFlat(pattern, dataType, accessRights, items);

  // The walk starts wherever the climb ended, unless the climb gave up: a
  // position that deep is nowhere a walk should start from.
  const long root = BrowseToRoot();
  if (_BrowseProgress.climbGaveUp) return root;
  return _BrowseBranch(pattern, dataType, accessRights, items);
}

long VEMDcnOpcClient::_BrowseBranch(const QARUnicodeString& pattern, VARTYPE dataType, DWORD accessRights,
                                    QARHashDicVEMDcnOpcItem** items) {
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

  // Leaves: every one that matches becomes a record.
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
        InsertRecord(leaves.Name(), itemId.get(), dataType, accessRights, items) == Inserted::OutOfMemory) {
      QARSysLogError(vemdcn::kInvalidNullPointer);
      hr = E_OUTOFMEMORY;
      break;
    }
    if (FAILED(hr = leaves.Next())) failed(hr, leaves.Context("IEnumString::Next()"));
  }
  leaves.Release();
  if (FAILED(hr)) {
    failed(hr, "Error from Next(_browseBranch)");
    return chain.Return(hr, __LINE__);
  }

  // Branches, depth first; each step down is paired with a step up.
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
      hr = _BrowseBranch(pattern, dataType, accessRights, items);
    }
    // A failure below keeps its own error and leaves the position there.
    if (FAILED(hr)) break;
    hr = browse->ChangeBrowsePosition(OPC_BROWSE_UP, OLESTR(""));
    if (FAILED(hr)) {
      failed(hr, "IOPCBrowseServerAddressSpace::ChangeBrowsePosition(OPC_BROWSE_UP)");
      break;
    }
    if (FAILED(hr = branches.Next())) failed(hr, branches.Context("IEnumString::Next()"));
  }
  return chain.Return(hr, __LINE__);
}

long VEMDcnOpcClient::_BrowseFlat(const QARUnicodeString& pattern, VARTYPE dataType, DWORD accessRights,
                                  QARHashDicVEMDcnOpcItem** items) {
  IOPCBrowseServerAddressSpace* browse = _pBrowseAddressSpace();
  if (browse == nullptr) {
    QARSysLogError(vemdcn::kInvalidNullInputPointer);
    return E_POINTER;
  }
  const unsigned short* matchPattern = vemdcn::Units(pattern.GetWChar());
  ErrorSlot error;
  NameEnumeration ids(_BrowseLimits.enumeration, _BrowseLimits.walk, _BrowseProgress.names);
  long hr = browse->BrowseOPCItemIDs(OPC_FLAT, OLESTR("*"), dataType, accessRights, ids.put());
  if (hr == S_FALSE) {
    error.reset(_GetError(hr, "There is nothing to enumerate", nullptr));
    return error.Return(hr, __LINE__);
  }
  if (hr != S_OK || !ids) {
    error.reset(_GetError(hr, "IOPCBrowseServerAddressSpace::BrowseOPCItemIDs", browse));
    return error.Return(FAILED(hr) ? hr : E_POINTER, __LINE__);
  }

  // A refused ID does not end the walk; the last refusal is reported.
  hr = ids.Next();
  while (hr == S_OK && ids.Fetched()) {
    comown::task_string itemId;
    const long found = browse->GetItemID(const_cast<LPWSTR>(ids.Name()), itemId.put());
    if (FAILED(found) || !itemId) {
      error.reset(_GetError(FAILED(found) ? found : E_POINTER, "IOPCBrowseServerAddressSpace::GetItemID", browse));
    } else if (MatchPattern(vemdcn::Units(itemId.get()), matchPattern, 0) == 1 &&
               InsertRecord(ids.Name(), itemId.get(), dataType, accessRights, items) == Inserted::OutOfMemory) {
      QARSysLogError(vemdcn::kInvalidNullPointer);
    }
    hr = ids.Next();
  }
  if (FAILED(hr)) error.reset(_GetError(hr, ids.Context("Error from Next (_BrowseOPCItemIDs)"), ids.get()));
  return error.Return(hr, __LINE__);
}
