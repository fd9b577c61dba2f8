// Task memory: the allocator that COM callers and callees share for blocks
// handed across an interface, with a count of live blocks for leak checks.
#include <atomic>
#include <cstdlib>

#include <native_com_ext.h>

namespace {

std::atomic<LONG> g_live_blocks{0};

}  // namespace

WINOLEAPI_(LPVOID) CoTaskMemAlloc(SIZE_T cb) {
  // malloc(0) may give null; a zero-sized request still yields a block.
  void* block = std::malloc(cb == 0 ? 1 : cb);
  if (block != nullptr) ++g_live_blocks;
  return block;
}

WINOLEAPI_(LPVOID) CoTaskMemRealloc(LPVOID pv, SIZE_T cb) {
  if (pv == nullptr) return CoTaskMemAlloc(cb);
  if (cb == 0) {
    CoTaskMemFree(pv);
    return nullptr;
  }
  // On failure the old block stays valid and counted.
  return std::realloc(pv, cb);
}

WINOLEAPI_(void) CoTaskMemFree(LPVOID pv) {
  if (pv == nullptr) return;
  --g_live_blocks;
  std::free(pv);
}

WINOLEAPI_(LONG) NativeComLiveTaskAllocations(void) { return g_live_blocks.load(); }
