// BSTR: UTF-16 text preceded by its length in bytes (a 32-bit count) and
// followed by a NUL code unit, so that it also reads as a C string. The pointer
// handed out points at the text, just past the count.
#include <oleauto.h>

#include <cstdlib>
#include <cstring>

namespace {

constexpr size_t kCountBytes = sizeof(DWORD);
constexpr size_t kTerminatorBytes = sizeof(OLECHAR);
// The count is read back as a signed 32-bit length by callers of the real API,
// so larger texts are refused rather than handed out with a wrapped count.
constexpr uint64_t kMaxTextBytes = 0x7FFFFFFFu - kCountBytes - kTerminatorBytes;

BSTR AllocateBytes(const void* source, uint64_t byteCount) {
  if (byteCount > kMaxTextBytes) return nullptr;
  auto* block = static_cast<unsigned char*>(std::malloc(kCountBytes + byteCount + kTerminatorBytes));
  if (!block) return nullptr;
  const auto count = static_cast<DWORD>(byteCount);
  std::memcpy(block, &count, sizeof(count));
  unsigned char* text = block + kCountBytes;
  // A null source asks for room only; zeroed text beats stale heap bytes.
  if (source)
    std::memcpy(text, source, byteCount);
  else
    std::memset(text, 0, byteCount);
  std::memset(text + byteCount, 0, kTerminatorBytes);
  return reinterpret_cast<BSTR>(text);
}

DWORD StoredByteCount(BSTR bstr) {
  DWORD count;
  std::memcpy(&count, reinterpret_cast<const unsigned char*>(bstr) - kCountBytes, sizeof(count));
  return count;
}

size_t TextLength(const OLECHAR* text) {
  size_t length = 0;
  while (text[length]) ++length;
  return length;
}

}  // namespace

BSTR SysAllocString(const OLECHAR* psz) {
  if (!psz) return nullptr;
  return AllocateBytes(psz, uint64_t{TextLength(psz)} * sizeof(OLECHAR));
}

BSTR SysAllocStringLen(const OLECHAR* strIn, UINT ui) { return AllocateBytes(strIn, uint64_t{ui} * sizeof(OLECHAR)); }

BSTR SysAllocStringByteLen(LPCSTR psz, UINT len) { return AllocateBytes(psz, len); }

INT SysReAllocString(BSTR* pbstr, const OLECHAR* psz) {
  if (!pbstr) return FALSE;
  // Allocate before freeing: the new text may be part of the old one.
  BSTR replacement = SysAllocString(psz);
  if (psz && !replacement) return FALSE;
  SysFreeString(*pbstr);
  *pbstr = replacement;
  return TRUE;
}

void SysFreeString(BSTR bstrString) {
  if (bstrString) std::free(reinterpret_cast<unsigned char*>(bstrString) - kCountBytes);
}

UINT SysStringLen(BSTR bstr) { return bstr ? StoredByteCount(bstr) / sizeof(OLECHAR) : 0; }

UINT SysStringByteLen(BSTR bstr) { return bstr ? StoredByteCount(bstr) : 0; }
