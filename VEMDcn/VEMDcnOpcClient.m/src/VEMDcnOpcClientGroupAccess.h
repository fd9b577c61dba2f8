// What the reads and writes of a group share: finding the group by its
// handle, the interface the call goes through, and the values a write sends.
#pragma once

#include <memory>
#include <new>

#include "QARListPtrVEMDcnOpcGroup.h"
#include "VEMDcnOpcClientInternal.h"
#include "VEMDcnOpcGroup.h"
#include "comown.h"

namespace vemdcn {

// The first listed group with this server handle; null when there is none.
inline VEMDcnOpcGroup* FindGroup(const QARListPtrVEMDcnOpcGroup& groups, OPCHANDLE handle) {
  for (int position = 1; position <= groups.Size(); ++position) {
    VEMDcnOpcGroup* group = groups[position];
    if (group != nullptr && group->_hServerGroup == handle) return group;
  }
  return nullptr;
}

// The interface a read or write calls: the record's own pointer, or with
// useGIT one fetched from the table for this call, held by `fetched` until the
// call is over. The result is the fetch's (S_OK for the record's pointer).
template <class Interface>
HRESULT GroupInterface(bool useGIT, IGlobalInterfaceTable* git, DWORD cookie,
                       const comown::com_ptr<Interface>& own, comown::com_ptr<Interface>& fetched,
                       Interface*& used) {
  if (!useGIT) {
    used = own.get();
    return S_OK;
  }
  const HRESULT hr = git->GetInterfaceFromGlobal(cookie, comown::interface_id<Interface>::value(), fetched.put_void());
  used = fetched.get();
  return hr;
}

// The values one write sends: the caller's VARIANTs that are not VT_EMPTY,
// copied bit for bit (the caller keeps them and what they own), with their
// server handles packed in item order into the group's scratch array.
// Finish() puts the scratch array back to zero; the destructor does too.
class PackedWrite {
 public:
  PackedWrite() = default;
  PackedWrite(const PackedWrite&) = delete;
  PackedWrite& operator=(const PackedWrite&) = delete;
  ~PackedWrite() { Finish(); }

  // The start every write shares: S_OK with the group named and the values
  // packed, or the result the write returns: E_POINTER (logged) without
  // values, without such a group, or with useGIT but no table; E_FAIL for a
  // group without items; E_OUTOFMEMORY (logged).
  long Start(const QARListPtrVEMDcnOpcGroup& groups, OPCHANDLE handle, const VARIANT* values, bool useGIT,
             bool haveGIT) {
    _Group = values != nullptr ? FindGroup(groups, handle) : nullptr;
    if (_Group == nullptr || (useGIT && !haveGIT)) {
      _Group = nullptr;
      QARSysLogError(kInvalidNullInputPointer);
      return E_POINTER;
    }
    if (_Group->_NbItems == 0) return E_FAIL;
    if (!Pack(values)) {
      LogOutOfMemory();
      return E_OUTOFMEMORY;
    }
    return S_OK;
  }
  VEMDcnOpcGroup& Group() const { return *_Group; }
  DWORD Count() const { return _Count; }
  OPCHANDLE* Handles() const { return _Group->_pWriteHandles.get(); }
  VARIANT* Values() const { return _Values.get(); }

  void Finish() noexcept {
    for (DWORD i = 0; i < _Count; ++i) _Group->_pWriteHandles[i] = 0;
    _Values.reset();  // the copies are not cleared: what they own is the caller's
  }

 private:
  bool Pack(const VARIANT* values) {
    _Values.reset(new (std::nothrow) VARIANT[_Group->_NbItems]);
    if (!_Values) return false;
    for (unsigned int i = 0; i < _Group->_NbItems; ++i) {
      if (values[i].vt == VT_EMPTY) continue;
      _Values[_Count] = values[i];
      _Group->_pWriteHandles[_Count] = _Group->_pServerHandles[i];
      ++_Count;
    }
    return true;
  }

  VEMDcnOpcGroup* _Group = nullptr;
  std::unique_ptr<VARIANT[]> _Values;
  DWORD _Count = 0;
};

}  // namespace vemdcn
