// The declarations widl generates from our IDL, in namespace idl, beside the
// hand-written ones of opc/include in the global namespace, for the checks
// that hold the two together (idl_header_checks.cpp, tests/idl).
//
// The generated headers declare the same names, so they are read inside a
// namespace of their own. The system headers they include come first, so that
// their include guards keep them outside it; the uuid declarations they make
// for __uuidof belong to the global namespace and are left out.
#pragma once

#include <rpc.h>
#include <rpcndr.h>
#include <windows.h>
#include <ole2.h>
#include <oaidl.h>
#include <ocidl.h>
#include <objidl.h>
#include <comcat.h>

#include "opccomn.h"
#include "opcda.h"

#undef __CRT_UUID_DECL
namespace idl {
// Declared here first, so that the generated "typedef struct IOPCServer
// IOPCServer" names these and not the global interfaces.
struct IOPCShutdown;
struct IOPCCommon;
struct IOPCServerList;
struct IOPCServer;
struct IOPCBrowseServerAddressSpace;
struct IOPCItemProperties;
struct IOPCItemMgt;
struct IOPCSyncIO;
struct IOPCAsyncIO2;
struct IOPCDataCallback;
struct IOPCGroupStateMgt;
struct IEnumOPCItemAttributes;
#include "opc_da.h"
}  // namespace idl
