// The declarations widl generates from our IDL against the hand-written ones
// of opc/include, at compile time: the same structure layouts, the same
// enumerators, and the same parameter types for every method. The slot order
// of the methods is compared by a test (tests/idl), since C++ cannot compute
// a virtual function's slot in a constant expression.
//
// The generated headers declare the same names, so they are read inside a
// namespace of their own. The system headers they include come first, so that
// their include guards keep them outside it; the uuid declarations they make
// for __uuidof belong to the global namespace and are left out.
#include <cstddef>
#include <type_traits>

#include <rpc.h>
#include <rpcndr.h>
#include <windows.h>
#include <ole2.h>
#include <oaidl.h>
#include <ocidl.h>
#include <objidl.h>
#include <comcat.h>

#include "opc_layout_table.h"
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

// A type as the hand-written declarations name it: the generated structures
// and interfaces become the global ones; enumerations become their size,
// the only thing of theirs that crosses a call.
namespace {

template <std::size_t Size>
struct enumeration_of_size {};

template <class T, class = void>
struct global {
  using type = T;
};
template <class T>
struct global<T, std::enable_if_t<std::is_enum_v<T>>> {
  using type = enumeration_of_size<sizeof(T)>;
};
template <class T>
struct global<T*> {
  using type = typename global<T>::type*;
};
template <class T>
struct global<const T> {
  using type = const typename global<T>::type;
};
#define MAP_STRUCT(name, win64, win32)  \
  template <>                           \
  struct global<idl::name> {            \
    using type = ::name;                \
  };
#define NO_FIELD(name, field, win64, win32)
OPC_STRUCT_LAYOUTS(MAP_STRUCT, NO_FIELD)
template <>
struct global<idl::IEnumOPCItemAttributes> {
  using type = ::IEnumOPCItemAttributes;
};

template <class F>
struct signature;
template <class C, class R, class... A>
struct signature<R (C::*)(A...)> {
  using type = R(typename global<A>::type...);
};
template <class F>
using signature_t = typename signature<F>::type;

}  // namespace

#define CHECK_SIZE(name, win64, win32) static_assert(sizeof(idl::name) == sizeof(::name), "IDL: sizeof " #name);
#define CHECK_OFFSET(name, field, win64, win32) \
  static_assert(offsetof(idl::name, field) == offsetof(::name, field), "IDL: " #name "::" #field);
OPC_STRUCT_LAYOUTS(CHECK_SIZE, CHECK_OFFSET)

#define CHECK_ENUMERATOR(name) static_assert(long(idl::name) == long(::name), "IDL: " #name);
OPC_ENUMERATORS(CHECK_ENUMERATOR)

#define CHECK_METHOD(interface, method, slot)                                                             \
  static_assert(std::is_same_v<signature_t<decltype(&idl::interface::method)>,                          \
                               signature_t<decltype(&::interface::method)>>,                             \
                "IDL: parameters of " #interface "::" #method);
OPC_METHODS(CHECK_METHOD)
