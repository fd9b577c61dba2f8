// GUID texts in the registry form "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}".
#include <objbase.h>

#include "wide_text.h"

namespace {

constexpr int kGuidTextLength = 38;  // without the terminator
constexpr char16_t kHexDigits[] = u"0123456789ABCDEF";

void PutHex(char16_t*& out, uint64_t value, int digits) {
  for (int shift = (digits - 1) * 4; shift >= 0; shift -= 4) *out++ = kHexDigits[(value >> shift) & 0xF];
}

void FormatGuid(const GUID& guid, char16_t* out) {
  *out++ = u'{';
  PutHex(out, guid.Data1, 8);
  *out++ = u'-';
  PutHex(out, guid.Data2, 4);
  *out++ = u'-';
  PutHex(out, guid.Data3, 4);
  *out++ = u'-';
  PutHex(out, guid.Data4[0], 2);
  PutHex(out, guid.Data4[1], 2);
  *out++ = u'-';
  for (int i = 2; i < 8; ++i) PutHex(out, guid.Data4[i], 2);
  *out++ = u'}';
  *out = u'\0';
}

int HexValue(char16_t c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  return -1;
}

// Reads `digits` hex digits at text[pos]; false on anything else.
bool ReadHex(std::u16string_view text, size_t pos, int digits, uint64_t& value) {
  value = 0;
  for (int i = 0; i < digits; ++i) {
    const int digit = HexValue(text[pos + i]);
    if (digit < 0) return false;
    value = (value << 4) | static_cast<uint64_t>(digit);
  }
  return true;
}

bool ParseGuid(std::u16string_view text, GUID& guid) {
  if (text.size() != kGuidTextLength || text[0] != u'{' || text[37] != u'}') return false;
  for (size_t dash : {9, 14, 19, 24}) {
    if (text[dash] != u'-') return false;
  }
  uint64_t value = 0;
  if (!ReadHex(text, 1, 8, value)) return false;
  guid.Data1 = static_cast<uint32_t>(value);
  if (!ReadHex(text, 10, 4, value)) return false;
  guid.Data2 = static_cast<uint16_t>(value);
  if (!ReadHex(text, 15, 4, value)) return false;
  guid.Data3 = static_cast<uint16_t>(value);
  static const size_t kByteOffsets[8] = {20, 22, 25, 27, 29, 31, 33, 35};
  for (int i = 0; i < 8; ++i) {
    if (!ReadHex(text, kByteOffsets[i], 2, value)) return false;
    guid.Data4[i] = static_cast<uint8_t>(value);
  }
  return true;
}

}  // namespace

WINOLEAPI_(int) StringFromGUID2(REFGUID rguid, LPOLESTR lpsz, int cchMax) {
  if (lpsz == nullptr || cchMax <= kGuidTextLength) return 0;
  FormatGuid(rguid, lpsz);
  return kGuidTextLength + 1;
}

WINOLEAPI StringFromCLSID(REFCLSID rclsid, LPOLESTR* lplpsz) {
  if (lplpsz == nullptr) return E_INVALIDARG;
  *lplpsz = static_cast<LPOLESTR>(CoTaskMemAlloc((kGuidTextLength + 1) * sizeof(OLECHAR)));
  if (*lplpsz == nullptr) return E_OUTOFMEMORY;
  FormatGuid(rclsid, *lplpsz);
  return S_OK;
}

WINOLEAPI CLSIDFromString(LPCOLESTR lpsz, LPCLSID pclsid) {
  if (pclsid == nullptr) return E_INVALIDARG;
  *pclsid = GUID_NULL;
  // A null text stands for CLSID_NULL, as on Windows.
  if (lpsz == nullptr) return S_OK;
  const std::u16string_view text = native_com::WideView(lpsz);
  if (ParseGuid(text, *pclsid)) return S_OK;
  *pclsid = GUID_NULL;
  // Windows also accepts a registered ProgID here.
  if (text.empty() || text[0] == u'{' || FAILED(CLSIDFromProgID(lpsz, pclsid))) {
    *pclsid = GUID_NULL;
    return CO_E_CLASSSTRING;
  }
  return S_OK;
}
