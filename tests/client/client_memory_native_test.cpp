// Memory running out inside an exported operation. Native only: this program
// replaces operator new for the library too, which works where both share
// one C++ runtime, not with a DLL that carries a runtime of its own.
#include <cstdlib>
#include <new>

#include "client_test_support.h"

namespace {

thread_local int refusedAllocations = 0;  // the next allocations of this thread to refuse

}  // namespace

void* operator new(std::size_t size) {
  if (refusedAllocations > 0) {
    --refusedAllocations;
    throw std::bad_alloc();
  }
  if (void* block = std::malloc(size == 0 ? 1 : size)) return block;
  throw std::bad_alloc();
}
// Every scalar form, so that no block is released by a runtime that did not
// allocate it (the sanitizers check); the array forms stay the runtime's pair.
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  try {
    return operator new(size);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}
void operator delete(void* block) noexcept { std::free(block); }
void operator delete(void* block, std::size_t) noexcept { std::free(block); }
void operator delete(void* block, const std::nothrow_t&) noexcept { std::free(block); }

using namespace clienttest;

namespace {

class OutOfMemoryTest : public ClientTest {};

TEST_F(OutOfMemoryTest, BecomesEOutOfMemoryAndALogLine) {
  VEMDcnOpcClient client;
  const QARUnicodeString name("OpcSim.DAServer.1");  // too long to be kept inline: a copy allocates
  refusedAllocations = 1;
  EXPECT_EQ(E_OUTOFMEMORY, client.OpcStart(name, "", 100, 0.0f));
  client.OpcStart(name, "", 100, 0.0f);  // fails without a server; the name stays
  QARUnicodeString copy;
  refusedAllocations = 1;
  EXPECT_EQ(E_OUTOFMEMORY, client.GetOpcSrvName(copy));
  EXPECT_EQ(2u, log.Count("Invalid NULL pointer"));
  EXPECT_EQ(S_OK, client.OpcStop());
}

}  // namespace
