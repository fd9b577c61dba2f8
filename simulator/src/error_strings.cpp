// Texts of result codes for GetErrorString: the standard texts of the OPC
// codes, the system's texts for everything else.
#include "objects.h"

namespace opcsim {

namespace {

struct OpcText {
  HRESULT code;
  const char* text;
};

const OpcText kOpcTexts[] = {
    {OPC_E_INVALIDHANDLE, "The value of the handle is invalid."},
    {OPC_E_BADTYPE, "The server cannot convert the data between the requested data type and the canonical data type."},
    {OPC_E_PUBLIC, "The requested operation cannot be done on a public group."},
    {OPC_E_BADRIGHTS, "The item's access rights do not allow the operation."},
    {OPC_E_UNKNOWNITEMID, "The item is no longer available in the server address space."},
    {OPC_E_INVALIDITEMID, "The item definition does not conform to the server's syntax."},
    {OPC_E_INVALIDFILTER, "The filter string was not valid."},
    {OPC_E_UNKNOWNPATH, "The item's access path is not known to the server."},
    {OPC_E_RANGE, "The value was out of range."},
    {OPC_E_DUPLICATENAME, "Duplicate name not allowed."},
    {OPC_S_UNSUPPORTEDRATE, "The server does not support the requested data rate but will use the closest available rate."},
    {OPC_S_CLAMP, "A value passed to write was accepted but the output was clamped."},
    {OPC_S_INUSE, "The operation cannot be performed because the object is being referenced."},
    {OPC_E_INVALIDCONFIGFILE, "The server's configuration file is an invalid format."},
    {OPC_E_NOTFOUND, "The requested object (e.g. a public group) was not found."},
    {OPC_E_INVALID_PID, "The specified property ID is not valid for the item."},
};

}  // namespace

bool IsSupportedLocale(LCID lcid) {
  return lcid == 0 || lcid == LOCALE_SYSTEM_DEFAULT || lcid == LOCALE_USER_DEFAULT || lcid == 0x0409;
}

HRESULT ErrorText(HRESULT code, wide_string* text) {
  for (const OpcText& t : kOpcTexts) {
    if (t.code == code) {
      *text = comown::to_wide(t.text);
      return S_OK;
    }
  }
  // Everything else is described by the system, as real servers do; the text
  // keeps the system's line end.
  comown::local_mem<WCHAR> buffer;
  DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                           nullptr, static_cast<DWORD>(code), 0, reinterpret_cast<LPWSTR>(buffer.put()), 0, nullptr);
  if (n == 0 || !buffer) return E_INVALIDARG;
  *text = wide_string(buffer.get(), n);
  return S_OK;
}

}  // namespace opcsim
