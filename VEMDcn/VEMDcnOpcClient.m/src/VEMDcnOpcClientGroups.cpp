// Group definition: a group and its items made on the server, kept as a
// record in the client's connection, named to the caller by its handle.
#include <memory>
#include <new>

#include "QARMsgCatalog.h"
#include "VEMDcnOpcClient.h"
#include "VEMDcnOpcClientConnection.h"
#include "VEMDcnOpcClientInternal.h"

using vemdcn::ErrorSlot;

namespace {

WCHAR kNoAccessPath[] = OLESTR("");

// The library's interface speaks unsigned short; COM speaks WCHAR, the same
// 16-bit code units.
const WCHAR* Wide(const unsigned short* text) { return reinterpret_cast<const WCHAR*>(text); }

// One definition an item, with the client handles taken from the running counter.
std::unique_ptr<OPCITEMDEF[]> ItemDefinitions(unsigned long count, unsigned short* accessPath,
                                              const unsigned short* const* itemIDs, const VARIANT* requestedTypes,
                                              BOOL active, unsigned int& nextClientHandle) {
  std::unique_ptr<OPCITEMDEF[]> definitions(new (std::nothrow) OPCITEMDEF[count]());
  if (!definitions) return definitions;
  LPWSTR path = accessPath != nullptr ? reinterpret_cast<LPWSTR>(accessPath) : kNoAccessPath;
  for (unsigned long i = 0; i < count; ++i) {
    OPCITEMDEF& definition = definitions[i];
    definition.szAccessPath = path;
    definition.szItemID = const_cast<LPWSTR>(Wide(itemIDs[i]));  // the server only reads it
    definition.bActive = active;
    definition.hClient = nextClientHandle++;
    definition.vtRequestedDataType = requestedTypes[i].vt;
  }
  return definitions;
}

// What a failed step returns without an error object: a server's success
// without its answer is still a failure.
long FailureCode(HRESULT hr) { return FAILED(hr) ? hr : E_FAIL; }

QARUnicodeString RefusedItemText(const unsigned short* itemID) {
  const QARUnicodeString id(Wide(itemID));
  return QARMsgCatalog::BuildMessage(VEMDCN_CATALOG, "VEMOPCERR10", &id, 1, QARUnicodeString());
}

}  // namespace

long VEMDcnOpcClient::DefineGroup(unsigned short* const groupName, unsigned long nbItems,
                                  unsigned short* const accessPath, const unsigned short* const* itemIDs,
                                  const VARIANT* requestedTypes, unsigned long& serverGroupHandle,
                                  const unsigned char& useGIT, const unsigned char& active,
                                  const unsigned char& asyncWrite) {
  return vemdcn::Guarded([&]() -> long {
    // useGIT on a client made without the table is refused like a missing
    // interface: before the server is asked for anything.
    IOPCServer* server = _pOPCServer();
    if (server == nullptr || itemIDs == nullptr || (requestedTypes == nullptr && nbItems > 0) ||
        (useGIT && !_pGIT)) {
      QARSysLogError(vemdcn::kInvalidNullInputPointer);
      return E_POINTER;
    }
    std::unique_ptr<VEMDcnOpcGroup> group(new (std::nothrow) VEMDcnOpcGroup);
    if (!group) {
      vemdcn::LogOutOfMemory();
      return E_OUTOFMEMORY;
    }
    if (groupName != nullptr) group->_Name = QARUnicodeString(Wide(groupName));

    // Whatever ends the definition early, out of memory included, gives back
    // what it took: a failed definition leaves the server, the table and the
    // subscription as they were.
    struct Pending {
      Connection& connection;
      std::unique_ptr<VEMDcnOpcGroup>& group;
      bool madeOnServer = false;
      bool subscribed = false;
      ~Pending() {
        if (group) connection.GiveBack(*group, madeOnServer, subscribed);
      }
    } pending{*_Connection, group};

    ErrorSlot error;
    DWORD revisedRate = 0;
    HRESULT hr = server->AddGroup(Wide(groupName), active ? TRUE : FALSE, _UpdateRate, 0, nullptr, nullptr, 0,
                                  &group->_hServerGroup, &revisedRate, IID_IUnknown, group->_pGroupUnknown.put());
    group->_RevisedUpdateRate = revisedRate;
    pending.madeOnServer = SUCCEEDED(hr) && (group->_pGroupUnknown || group->_hServerGroup != 0);
    if (FAILED(hr) || !group->_pGroupUnknown) {
      error.reset(_GetError(hr, "AddGroup()", nullptr));
      return error.Return(FailureCode(hr), __LINE__);
    }

    hr = group->_pGroupUnknown.as(group->_pSyncIO);
    if (FAILED(hr) || !group->_pSyncIO) {
      error.reset(_GetError(hr, "QueryInterface(IID_IOPCSyncIO)", nullptr));
      return error.Return(FailureCode(hr), __LINE__);
    }
    if (useGIT) {
      DWORD cookie = 0;
      hr = _pGIT->RegisterInterfaceInGlobal(group->_pSyncIO.get(), IID_IOPCSyncIO, &cookie);
      group->_SyncIOCookie = cookie;
      if (FAILED(hr)) {
        error.reset(_GetError(hr, "RegisterInterfaceInGlobal(IID_IOPCSyncIO)", nullptr));
        return error.Return(FailureCode(hr), __LINE__);
      }
    }

    if (asyncWrite && Connection::IsAsyncGroup(*group)) {
      hr = group->_pGroupUnknown.as(group->_pAsyncIO2);
      if (FAILED(hr) || !group->_pAsyncIO2) {
        error.reset(_GetError(hr, "QueryInterface(IID_IOPCAsyncIO2)", nullptr));
        return error.Return(FailureCode(hr), __LINE__);
      }
      if (useGIT) {
        DWORD cookie = 0;
        hr = _pGIT->RegisterInterfaceInGlobal(group->_pAsyncIO2.get(), IID_IOPCAsyncIO2, &cookie);
        group->_AsyncIO2Cookie = cookie;
        if (FAILED(hr)) {
          error.reset(_GetError(hr, "RegisterInterfaceInGlobal(IID_IOPCAsyncIO2)", nullptr));
          return error.Return(FailureCode(hr), __LINE__);
        }
      }
      // Its error, if any, is already the thread's last error for its code.
      hr = _AsyncInterfaceInit(group.get());
      if (FAILED(hr)) return hr;
      pending.subscribed = _Connection->connectionPoint != nullptr;
    }

    hr = group->_pGroupUnknown.as(group->_pItemMgt);
    if (FAILED(hr) || !group->_pItemMgt) {
      error.reset(_GetError(hr, "QueryInterface(IID_IOPCItemMgt)", nullptr));
      return error.Return(FailureCode(hr), __LINE__);
    }

    group->_NbItems = static_cast<unsigned int>(nbItems);
    const std::unique_ptr<OPCITEMDEF[]> definitions =
        ItemDefinitions(nbItems, accessPath, itemIDs, requestedTypes, active ? TRUE : FALSE, _NextClientHandle);
    if (!definitions) {
      vemdcn::LogOutOfMemory();
      return E_OUTOFMEMORY;
    }
    comown::task_item_results results;
    comown::task_values<HRESULT> errors;
    hr = group->_pItemMgt->AddItems(static_cast<DWORD>(nbItems), definitions.get(), results.put(), errors.put());
    results.set_size(nbItems);
    errors.set_size(nbItems);

    if (hr == S_OK && nbItems > 0 && (!results || !errors)) {
      // A success without its answer defines nothing.
      error.reset(_GetError(hr, "AddItems()", nullptr));
      return error.Return(E_FAIL, __LINE__);
    }
    if (hr != S_OK) {
      error.reset(_GetError(hr, "AddItems()", nullptr));
      if (hr == S_FALSE) {
        for (unsigned long i = 0; errors && i < nbItems; ++i) {
          if (SUCCEEDED(errors[i])) continue;
          VEMDcnOpcError* chained = error.release();
          _ConcatenateErrors(errors[i], RefusedItemText(itemIDs[i]), &chained);
          error.reset(chained);
        }
        hr = E_FAIL;
      }
      return error.Return(FailureCode(hr), __LINE__);
    }

    group->_pServerHandles.reset(new (std::nothrow) OPCHANDLE[nbItems]());
    group->_pWriteHandles.reset(new (std::nothrow) OPCHANDLE[nbItems]());
    if (!group->_pServerHandles || !group->_pWriteHandles) {
      vemdcn::LogOutOfMemory();
      return E_OUTOFMEMORY;
    }
    for (unsigned long i = 0; i < nbItems; ++i) group->_pServerHandles[i] = results[i].hServer;
    const OPCHANDLE handle = group->_hServerGroup;
    _Connection->AddGroup(std::move(group));
    serverGroupHandle = handle;
    return S_OK;
  });
}
