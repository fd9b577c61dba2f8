// FormatMessageW for system message texts: the English texts of the codes this
// runtime and the library built on it meet, word for word as Windows has them,
// each ending in CR LF.
#include <algorithm>
#include <cstring>
#include <iterator>
#include <string>

#include <winbase.h>

namespace {

struct SystemMessage {
  DWORD id;
  const char16_t* text;
};

// Win32 error codes. HRESULTs of FACILITY_WIN32 share these texts.
constexpr SystemMessage kWin32Messages[] = {
    {0, u"The operation completed successfully.\r\n"},
    {1, u"Incorrect function.\r\n"},
    {2, u"The system cannot find the file specified.\r\n"},
    {3, u"The system cannot find the path specified.\r\n"},
    {5, u"Access is denied.\r\n"},
    {6, u"The handle is invalid.\r\n"},
    {8, u"Not enough memory resources are available to process this command.\r\n"},
    {14, u"Not enough memory resources are available to complete this operation.\r\n"},
    {21, u"The device is not ready.\r\n"},
    {50, u"The request is not supported.\r\n"},
    {87, u"The parameter is incorrect.\r\n"},
    {122, u"The data area passed to a system call is too small.\r\n"},
    {203, u"The system could not find the environment option that was entered.\r\n"},
    {258, u"The wait operation timed out.\r\n"},
    {317, u"The system cannot find message text for message number 0x%1 in the message file for %2.\r\n"},
    {1168, u"Element not found.\r\n"},
    {1460, u"This operation returned because the timeout period expired.\r\n"},
    {1722, u"The RPC server is unavailable.\r\n"},
    {1726, u"The remote procedure call failed.\r\n"},
    {1753, u"There are no more endpoints available from the endpoint mapper.\r\n"},
};

// HRESULTs of the COM, RPC and Automation facilities.
constexpr SystemMessage kComMessages[] = {
    {0x00080012, u"Not all the requested interfaces were available\r\n"},
    {0x8000FFFF, u"Catastrophic failure\r\n"},
    {0x8000000A, u"The data necessary to complete this operation is not yet available.\r\n"},
    {0x80004001, u"Not implemented\r\n"},
    {0x80004002, u"No such interface supported\r\n"},
    {0x80004003, u"Invalid pointer\r\n"},
    {0x80004004, u"Operation aborted\r\n"},
    {0x80004005, u"Unspecified error\r\n"},
    {0x80010001, u"Call was rejected by callee.\r\n"},
    {0x80010105, u"The server threw an exception.\r\n"},
    {0x80010106, u"Cannot change thread mode after it is set.\r\n"},
    {0x80010108, u"The object invoked has disconnected from its clients.\r\n"},
    {0x8001010A, u"The message filter indicated that the application is busy.\r\n"},
    {0x8001010E, u"The application called an interface that was marshalled for a different thread.\r\n"},
    {0x8001011F, u"This operation returned because the timeout period expired.\r\n"},
    {0x80020001, u"Unknown interface.\r\n"},
    {0x80020003, u"Member not found.\r\n"},
    {0x80020004, u"Parameter not found.\r\n"},
    {0x80020005, u"Type mismatch.\r\n"},
    {0x80020006, u"Unknown name.\r\n"},
    {0x80020007, u"No named arguments.\r\n"},
    {0x80020008, u"Bad variable type.\r\n"},
    {0x80020009, u"Exception occurred.\r\n"},
    {0x8002000A, u"Out of present range.\r\n"},
    {0x8002000B, u"Invalid index.\r\n"},
    {0x8002000C, u"Unknown language.\r\n"},
    {0x8002000D, u"Memory is locked.\r\n"},
    {0x8002000E, u"Invalid number of parameters.\r\n"},
    {0x8002000F, u"Parameter not optional.\r\n"},
    {0x80020010, u"Invalid callee.\r\n"},
    {0x80020011, u"Does not support a collection.\r\n"},
    {0x80020012, u"Division by zero.\r\n"},
    {0x80040110, u"Class does not support aggregation (or class object is remote)\r\n"},
    {0x80040111, u"ClassFactory cannot supply requested class\r\n"},
    {0x80040112, u"Class is not licensed for use\r\n"},
    {0x80040150, u"Could not read key from registry\r\n"},
    {0x80040154, u"Class not registered\r\n"},
    {0x80040155, u"Interface not registered\r\n"},
    // The connection-point codes (0x80040200 and up) have no texts of their
    // own; 0x80040201 shares its value with an event-system code that has one.
    {0x80040201, u"An event was unable to invoke any of the subscribers\r\n"},
    {0x800401E4, u"Invalid syntax\r\n"},
    {0x800401F0, u"CoInitialize has not been called.\r\n"},
    {0x800401F1, u"CoInitialize has already been called.\r\n"},
    {0x800401F3, u"Invalid class string\r\n"},
    {0x800401F5, u"Application not found\r\n"},
    {0x800401F8, u"DLL for class not found\r\n"},
    {0x800401F9, u"Error in the DLL\r\n"},
    {0x800401FB, u"Object is not registered\r\n"},
    {0x80080005, u"Server execution failed\r\n"},
};

const char16_t* FindIn(const SystemMessage* begin, const SystemMessage* end, DWORD id) {
  const SystemMessage* found = std::find_if(begin, end, [id](const SystemMessage& m) { return m.id == id; });
  return found != end ? found->text : nullptr;
}

bool IsWin32Hresult(DWORD id) { return (id & 0xFFFF0000u) == 0x80070000u; }

const char16_t* SystemText(DWORD id) {
  if (const char16_t* text = FindIn(std::begin(kComMessages), std::end(kComMessages), id)) return text;
  const DWORD win32 = IsWin32Hresult(id) ? (id & 0xFFFF) : id;
  return FindIn(std::begin(kWin32Messages), std::end(kWin32Messages), win32);
}

DWORD TextLength(const char16_t* text) { return static_cast<DWORD>(std::char_traits<char16_t>::length(text)); }

bool HasInserts(const char16_t* text) {
  for (; *text != u'\0'; ++text) {
    if (*text == u'%') return true;
  }
  return false;
}

DWORD Fail(DWORD error) {
  SetLastError(error);
  return 0;
}

// The allocated buffer holds at least `minimum` code units, as Windows gives.
DWORD AllocateCopy(const char16_t* text, DWORD length, DWORD minimum, LPWSTR* out) {
  const SIZE_T units = std::max<SIZE_T>(length + 1, minimum);
  auto* buffer = static_cast<LPWSTR>(LocalAlloc(LMEM_FIXED, units * sizeof(WCHAR)));
  if (buffer == nullptr) return Fail(ERROR_NOT_ENOUGH_MEMORY);
  std::memcpy(buffer, text, (length + 1) * sizeof(WCHAR));
  *out = buffer;
  return length;
}

DWORD CopyInto(const char16_t* text, DWORD length, LPWSTR buffer, DWORD size) {
  if (buffer == nullptr) return Fail(ERROR_INVALID_PARAMETER);
  if (size <= length) return Fail(ERROR_INSUFFICIENT_BUFFER);
  std::memcpy(buffer, text, (length + 1) * sizeof(WCHAR));
  return length;
}

}  // namespace

// Only system texts are served; FORMAT_MESSAGE_IGNORE_INSERTS leaves the
// inserts of a text as they are, and without it a text with inserts fails
// since no arguments are processed. Every language gets the English text.
WINBASEAPI DWORD WINAPI FormatMessageW(DWORD dwFlags, LPCVOID lpSource, DWORD dwMessageId, DWORD /*dwLanguageId*/,
                                       LPWSTR lpBuffer, DWORD nSize, va_list* /*Arguments*/) {
  const bool allocate = (dwFlags & FORMAT_MESSAGE_ALLOCATE_BUFFER) != 0;
  if (allocate && lpBuffer != nullptr) *reinterpret_cast<LPWSTR*>(lpBuffer) = nullptr;
  const bool from_system = (dwFlags & FORMAT_MESSAGE_FROM_SYSTEM) != 0;
  const bool from_module = (dwFlags & FORMAT_MESSAGE_FROM_HMODULE) != 0 && lpSource != nullptr;
  if (!from_system || from_module || (dwFlags & FORMAT_MESSAGE_FROM_STRING) != 0) {
    return Fail(ERROR_INVALID_PARAMETER);
  }
  if (allocate && lpBuffer == nullptr) return Fail(ERROR_INVALID_PARAMETER);
  const char16_t* text = SystemText(dwMessageId);
  if (text == nullptr) return Fail(ERROR_MR_MID_NOT_FOUND);
  if ((dwFlags & FORMAT_MESSAGE_IGNORE_INSERTS) == 0 && HasInserts(text)) return Fail(ERROR_INVALID_PARAMETER);
  const DWORD length = TextLength(text);
  if (allocate) return AllocateCopy(text, length, nSize, reinterpret_cast<LPWSTR*>(lpBuffer));
  return CopyInto(text, length, lpBuffer, nSize);
}
