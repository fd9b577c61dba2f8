// The structures cross the COM boundary by value: their layout must match what
// real servers were compiled with, on 64-bit and on 32-bit Windows alike.
#include <cstddef>

#include "opc_layout_table.h"
#include "opcda.h"

#define CHECK_SIZE(type, win64, win32) \
  static_assert(sizeof(type) == (sizeof(void*) == 8 ? (win64) : (win32)), "sizeof " #type);
#define CHECK_OFFSET(type, field, win64, win32) \
  static_assert(offsetof(type, field) == (sizeof(void*) == 8 ? (win64) : (win32)), #type "::" #field);
OPC_STRUCT_LAYOUTS(CHECK_SIZE, CHECK_OFFSET)

static_assert(sizeof(OPCHANDLE) == 4, "OPCHANDLE is 32-bit");
static_assert(sizeof(OPCDATASOURCE) == 4 && sizeof(OPCSERVERSTATE) == 4, "enumerations are 4 bytes");
