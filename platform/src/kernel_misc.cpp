// Local memory, the per-thread last error and thread and process ids.
#include <cstdlib>
#include <cstring>

#include <sys/syscall.h>
#include <unistd.h>

#include <winbase.h>

namespace {

thread_local DWORD t_last_error = ERROR_SUCCESS;

}  // namespace

WINBASEAPI HLOCAL WINAPI LocalAlloc(UINT uFlags, SIZE_T uBytes) {
  // Windows hands out a block even for zero bytes.
  const SIZE_T size = uBytes == 0 ? 1 : uBytes;
  void* block = (uFlags & LMEM_ZEROINIT) != 0 ? std::calloc(1, size) : std::malloc(size);
  if (block == nullptr) SetLastError(ERROR_NOT_ENOUGH_MEMORY);
  return block;
}

WINBASEAPI HLOCAL WINAPI LocalFree(HLOCAL hMem) {
  std::free(hMem);
  return nullptr;
}

WINBASEAPI DWORD WINAPI GetLastError(void) { return t_last_error; }

WINBASEAPI void WINAPI SetLastError(DWORD dwErrCode) { t_last_error = dwErrCode; }

WINBASEAPI DWORD WINAPI GetCurrentThreadId(void) { return static_cast<DWORD>(syscall(SYS_gettid)); }

WINBASEAPI DWORD WINAPI GetCurrentProcessId(void) { return static_cast<DWORD>(getpid()); }
