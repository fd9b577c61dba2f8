// The browse position of the server and item identifiers.
#include <cstring>
#include <memory>
#include <new>

#include "QARXHContext.h"
#include "VEMDcnOpcClient.h"
#include "VEMDcnOpcClientInternal.h"
#include "VEMDcnOpcClientWalk.h"

using vemdcn::ErrorSlot;

unsigned char VEMDcnOpcClient::OPCBrowserIsAvailable() {
  // Returns no HRESULT: the host's last error stays.
  return vemdcn::Guarded([&] { return _BrowseAvailable; }, vemdcn::LastError::Keep);
}

long VEMDcnOpcClient::_QueryOrganization(OPCNAMESPACETYPE& organisation) {
  organisation = OPC_NS_FLAT;
  IOPCBrowseServerAddressSpace* browse = _pBrowseAddressSpace();
  const long hr = browse->QueryOrganization(&organisation);
  if (SUCCEEDED(hr)) return hr;
  return vemdcn::ReturnError(_GetError(hr, "IOPCBrowseServerAddressSpace::QueryOrganization", browse), hr, __LINE__);
}

long VEMDcnOpcClient::BrowseToRoot() {
  return vemdcn::Guarded([&]() -> long {
    _BrowseProgress.climbGaveUp = false;
    IOPCBrowseServerAddressSpace* browse = _pBrowseAddressSpace();
    if (browse == nullptr) return E_FAIL;
    long result = E_FAIL;
    QARXHContext guard;
    const int completed = guard.Run([&] {
      result = browse->ChangeBrowsePosition(OPC_BROWSE_TO, OLESTR(""));
      if (SUCCEEDED(result)) return;
      // Climb until a step up is refused: that is the root. A server that
      // never refuses one is given up on deeper than any walk goes.
      unsigned int steps = 0;
      while (SUCCEEDED(result = browse->ChangeBrowsePosition(OPC_BROWSE_UP, OLESTR("")))) {
        if (++steps > _BrowseLimits.climb) {
          _BrowseProgress.climbGaveUp = true;
          return;
        }
      }
    });

    ErrorSlot error;
    if (!completed) {
      const QARUnicodeString context = QARUnicodeString("BrowseToRoot : ") + guard.GetError()->GetNLSMessage();
      guard.Flush();
      error.reset(_GetError(0, context, nullptr));
      return error.Return(E_FAIL, __LINE__);
    }
    if (_BrowseProgress.climbGaveUp) {
      error.reset(_GetError(E_FAIL,
                            vemdcn::BoundContext("IOPCBrowseServerAddressSpace::ChangeBrowsePosition(OPC_BROWSE_UP)",
                                                 _BrowseLimits.climb, "steps up to the root"),
                            nullptr));
      return error.Return(E_FAIL, __LINE__);
    }
    return result;
  });
}

long VEMDcnOpcClient::GetFullyQualifiedItem(const unsigned short* name, unsigned short*& fullItemID) {
  return vemdcn::Guarded([&]() -> long {
    fullItemID = nullptr;
    IOPCBrowseServerAddressSpace* browse = _pBrowseAddressSpace();
    if (browse == nullptr) return E_FAIL;
    if (name == nullptr) {
      QARSysLogError(vemdcn::kInvalidNullInputPointer);
      return E_POINTER;
    }
    const WCHAR* wanted = reinterpret_cast<const WCHAR*>(name);
    const std::size_t length = comown::view(wanted).size();
    // The server keeps only the IDs that end in the name.
    const std::unique_ptr<WCHAR[]> filter(new (std::nothrow) WCHAR[length + 2]);
    if (!filter) return E_FAIL;
    filter[0] = '*';
    std::memcpy(filter.get() + 1, wanted, (length + 1) * sizeof(WCHAR));

    ErrorSlot error;
    unsigned int names = 0;
    vemdcn::NameEnumeration ids(_BrowseLimits.enumeration, _BrowseLimits.enumeration, names);
    long hr = browse->BrowseOPCItemIDs(OPC_FLAT, filter.get(), VT_EMPTY, 0, ids.put());
    if (FAILED(hr) || !ids) {
      error.reset(_GetError(hr, "IOPCBrowseServerAddressSpace::BrowseOPCItemIDs", nullptr));
      return error.Return(FAILED(hr) ? hr : E_POINTER, __LINE__);
    }
    hr = ids.Reset();
    if (FAILED(hr)) return hr;

    const QARUnicodeString nameText(wanted);
    for (;;) {
      hr = ids.Next();
      if (FAILED(hr)) {
        error.reset(_GetError(hr, ids.Context("Empty opiEnumString"), nullptr));
        break;
      }
      if (!ids.Fetched()) {
        hr = E_FAIL;
        break;
      }
      // Accepted only behind at least one unit: an ID equal to the name, or
      // starting with it, is not the qualified form of it.
      const QARUnicodeString id(ids.Name());
      if (id.SearchSubString(nameText, 0, QARUnicodeString::FirstOccurrence) > 0) {
        const std::size_t units = static_cast<std::size_t>(id.GetLengthInChar()) + 1;
        unsigned short* copy = new (std::nothrow) unsigned short[units];
        if (copy == nullptr) {
          QARSysLogError(vemdcn::kInvalidNullPointer);
          hr = E_OUTOFMEMORY;
        } else {
          std::memcpy(copy, ids.Name(), units * sizeof(unsigned short));
          fullItemID = copy;
        }
        break;
      }
    }
    return error.Return(hr, __LINE__);
  });
}
