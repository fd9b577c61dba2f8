// Environment variables, backed by the process environment. The C library's
// environment is not thread-safe, so every access here goes through one lock.
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <optional>
#include <string>

#include <winbase.h>

#include "comown.h"
#include "wide_text.h"

namespace {

std::mutex& EnvironmentMutex() {
  static std::mutex* const mutex = new std::mutex;
  return *mutex;
}

std::optional<std::string> ReadVariable(const char* name) {
  std::lock_guard<std::mutex> lock(EnvironmentMutex());
  const char* value = std::getenv(name);
  if (value == nullptr) return std::nullopt;
  return std::string(value);
}

// Windows' contract: the length without the terminator when the value fits,
// else the size needed including it; 0 with ERROR_ENVVAR_NOT_FOUND when absent.
template <class Char>
DWORD CopyValue(const std::optional<std::basic_string<Char>>& value, Char* buffer, DWORD size) {
  if (!value) {
    SetLastError(ERROR_ENVVAR_NOT_FOUND);
    return 0;
  }
  const auto length = static_cast<DWORD>(value->size());
  if (buffer == nullptr || size <= length) return length + 1;
  value->copy(buffer, length);
  buffer[length] = Char{};
  if (length == 0) SetLastError(ERROR_SUCCESS);
  return length;
}

}  // namespace

WINBASEAPI DWORD WINAPI GetEnvironmentVariableA(LPCSTR lpName, LPSTR lpBuffer, DWORD nSize) {
  if (lpName == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  return CopyValue(ReadVariable(lpName), lpBuffer, nSize);
}

WINBASEAPI DWORD WINAPI GetEnvironmentVariableW(LPCWSTR lpName, LPWSTR lpBuffer, DWORD nSize) {
  if (lpName == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  const std::optional<std::string> value = ReadVariable(comown::to_utf8(native_com::WideView(lpName)).c_str());
  std::optional<std::u16string> wide;
  if (value) wide = comown::to_wide(*value);
  return CopyValue(wide, lpBuffer, nSize);
}

WINBASEAPI BOOL WINAPI SetEnvironmentVariableA(LPCSTR lpName, LPCSTR lpValue) {
  if (lpName == nullptr || lpName[0] == '\0' || std::strchr(lpName, '=') != nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  std::lock_guard<std::mutex> lock(EnvironmentMutex());
  // A null value removes the variable.
  const int result = lpValue == nullptr ? unsetenv(lpName) : setenv(lpName, lpValue, 1);
  if (result != 0) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return FALSE;
  }
  return TRUE;
}
