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

// Every matching leaf of the walk becomes a record; every branch is entered.
class RecordFiler final : public vemdcn::BranchVisitor {
 public:
  RecordFiler(VARTYPE dataType, DWORD accessRights, QARHashDicVEMDcnOpcItem** items)
      : _DataType(dataType), _AccessRights(accessRights), _Items(items) {}

  HRESULT Leaf(const WCHAR* name, const WCHAR* itemId) override {
    if (InsertRecord(name, itemId, _DataType, _AccessRights, _Items) != Inserted::OutOfMemory) return S_OK;
    QARSysLogError(vemdcn::kInvalidNullPointer);
    return E_OUTOFMEMORY;
  }
  bool Enter(const WCHAR*) override { return true; }
  void Leave(bool) override {}

 private:
  VARTYPE _DataType;
  DWORD _AccessRights;
  QARHashDicVEMDcnOpcItem** _Items;
};

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
  RecordFiler filer(dataType, accessRights, items);
  return _WalkBranch(pattern, dataType, accessRights, filer);
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
