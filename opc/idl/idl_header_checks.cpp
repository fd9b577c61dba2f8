// The declarations widl generates from our IDL against the hand-written ones
// of opc/include, at compile time: the same structure layouts, the same
// enumerators, and the same parameter types for every method. The slot order
// of the methods is compared by a test (tests/idl), since C++ cannot compute
// a virtual function's slot in a constant expression.
#include <cstddef>
#include <type_traits>

#include "idl_declarations.h"
#include "opc_layout_table.h"

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
