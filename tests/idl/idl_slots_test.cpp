// Every OPC method sits in the same vtable slot in the declarations widl
// generates from the IDL (the order the proxies number the calls in) and in
// the hand-written ones the code is compiled against, at the slot the table
// of opc_layout_table.h gives.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>

#include "idl_declarations.h"
#include "opc_layout_table.h"

namespace {

// A pointer to a virtual member function holds 1 + the byte offset of its
// slot (the Itanium C++ ABI, which mingw-w64's g++ follows).
template <class F>
std::ptrdiff_t Slot(F method) {
  static_assert(sizeof(F) == 2 * sizeof(std::ptrdiff_t), "a pointer to member function is two words");
  std::ptrdiff_t words[2];
  std::memcpy(words, &method, sizeof words);
  return (words[0] - 1) / static_cast<std::ptrdiff_t>(sizeof(void*));
}

TEST(IdlSlots, EveryMethodHasTheSameSlotInBothDeclarations) {
#define CHECK_SLOT(interface, method, slot)                                            \
  EXPECT_EQ(slot, Slot(&::interface::method)) << "hand-written " #interface "::" #method; \
  EXPECT_EQ(slot, Slot(&idl::interface::method)) << "IDL " #interface "::" #method;
  OPC_METHODS(CHECK_SLOT)
}

}  // namespace
