// comown: the one way this project owns COM resources.
//
// Interface pointers, framework objects (anything with AddRef/Release), task
// memory (with element cleanup for the arrays OPC servers hand out), BSTR,
// VARIANT, SAFEARRAY and LocalAlloc memory each have one holder here, and one
// UTF-8/UTF-16 conversion serves every text that crosses into COM. Nothing in
// the library, the simulator or the tests releases such a resource by hand:
// a holder does, on every path, including the early returns of error paths.
#pragma once

#include <cstddef>
#include <cstring>
#include <new>
#include <type_traits>
#include <string>
#include <string_view>
#include <utility>

#include <windows.h>
#include <objbase.h>
#include <oleauto.h>
#include <ocidl.h>
#include <comcat.h>

#include "opcda.h"
#include "opccomn.h"

namespace comown {

// ---------------------------------------------------------------------------
// Interface identifiers for as<>(): one trait per interface the project queries.

template <class Interface>
struct interface_id;

#define COMOWN_INTERFACE_ID(Interface, iid)                 \
  template <>                                               \
  struct comown::interface_id<Interface> {                  \
    static const IID& value() { return iid; }               \
  }

}  // namespace comown

COMOWN_INTERFACE_ID(IUnknown, IID_IUnknown);
COMOWN_INTERFACE_ID(IClassFactory, IID_IClassFactory);
COMOWN_INTERFACE_ID(IGlobalInterfaceTable, IID_IGlobalInterfaceTable);
COMOWN_INTERFACE_ID(IEnumString, IID_IEnumString);
COMOWN_INTERFACE_ID(IEnumGUID, IID_IEnumGUID);
COMOWN_INTERFACE_ID(IEnumUnknown, IID_IEnumUnknown);
COMOWN_INTERFACE_ID(IConnectionPoint, IID_IConnectionPoint);
COMOWN_INTERFACE_ID(IConnectionPointContainer, IID_IConnectionPointContainer);
COMOWN_INTERFACE_ID(IOPCCommon, IID_IOPCCommon);
COMOWN_INTERFACE_ID(IOPCShutdown, IID_IOPCShutdown);
COMOWN_INTERFACE_ID(IOPCServerList, IID_IOPCServerList);
COMOWN_INTERFACE_ID(IOPCServer, IID_IOPCServer);
COMOWN_INTERFACE_ID(IOPCBrowseServerAddressSpace, IID_IOPCBrowseServerAddressSpace);
COMOWN_INTERFACE_ID(IOPCItemProperties, IID_IOPCItemProperties);
COMOWN_INTERFACE_ID(IOPCItemMgt, IID_IOPCItemMgt);
COMOWN_INTERFACE_ID(IOPCSyncIO, IID_IOPCSyncIO);
COMOWN_INTERFACE_ID(IOPCAsyncIO2, IID_IOPCAsyncIO2);
COMOWN_INTERFACE_ID(IOPCDataCallback, IID_IOPCDataCallback);
COMOWN_INTERFACE_ID(IOPCGroupStateMgt, IID_IOPCGroupStateMgt);
COMOWN_INTERFACE_ID(IEnumOPCItemAttributes, IID_IEnumOPCItemAttributes);

namespace comown {

// Construction tags: a raw pointer never becomes owned without saying how.
struct attach_t {
  explicit attach_t() = default;
};
struct add_ref_t {
  explicit add_ref_t() = default;
};
inline constexpr attach_t attach{};    // take over the reference the caller holds
inline constexpr add_ref_t add_ref{};  // share: add a reference of our own

// ---------------------------------------------------------------------------
// com_ptr: one reference on an interface or on any reference-counted object.

template <class T>
class com_ptr {
 public:
  com_ptr() noexcept = default;
  com_ptr(std::nullptr_t) noexcept {}
  com_ptr(T* p, attach_t) noexcept : _p(p) {}
  com_ptr(T* p, add_ref_t) noexcept : _p(p) { add(); }
  com_ptr(const com_ptr& other) noexcept : _p(other._p) { add(); }
  com_ptr(com_ptr&& other) noexcept : _p(std::exchange(other._p, nullptr)) {}
  // From a holder of a derived class: shares its reference.
  template <class U, class = std::enable_if_t<std::is_convertible_v<U*, T*>>>
  com_ptr(const com_ptr<U>& other) noexcept : _p(other.get()) {
    add();
  }
  com_ptr& operator=(com_ptr other) noexcept {
    swap(other);
    return *this;
  }
  ~com_ptr() { reset(); }

  T* get() const noexcept { return _p; }
  T* operator->() const noexcept { return _p; }
  T& operator*() const noexcept { return *_p; }
  explicit operator bool() const noexcept { return _p != nullptr; }

  // Out-parameter slot: whatever was held is released first.
  T** put() noexcept {
    reset();
    return &_p;
  }
  void** put_void() noexcept { return reinterpret_cast<void**>(put()); }

  void attach(T* p) noexcept {
    reset();
    _p = p;
  }
  void copy_from(T* p) noexcept {
    if (p != nullptr) p->AddRef();
    reset();
    _p = p;
  }
  // Hands a new reference to an out-parameter.
  void copy_to(T** out) const noexcept {
    add();
    *out = _p;
  }
  [[nodiscard]] T* detach() noexcept { return std::exchange(_p, nullptr); }
  void reset() noexcept {
    if (T* old = std::exchange(_p, nullptr)) old->Release();
  }
  void swap(com_ptr& other) noexcept { std::swap(_p, other._p); }

  // QueryInterface: the result tells why a query failed; as<>() only whether.
  template <class U>
  HRESULT as(com_ptr<U>& out) const noexcept {
    if (_p == nullptr) {
      out.reset();
      return E_POINTER;
    }
    return _p->QueryInterface(interface_id<U>::value(), out.put_void());
  }
  template <class U>
  com_ptr<U> as() const noexcept {
    com_ptr<U> out;
    as(out);
    return out;
  }

  friend bool operator==(const com_ptr& a, std::nullptr_t) noexcept { return a._p == nullptr; }
  friend bool operator!=(const com_ptr& a, std::nullptr_t) noexcept { return a._p != nullptr; }

 private:
  void add() const noexcept {
    if (_p != nullptr) _p->AddRef();
  }
  T* _p = nullptr;
};

// ---------------------------------------------------------------------------
// unique_resource: the pattern behind every other holder. Traits give the
// empty value and the release function.

template <class Traits>
class unique_resource {
 public:
  using pointer = typename Traits::pointer;

  unique_resource() noexcept = default;
  explicit unique_resource(pointer p) noexcept : _p(p) {}
  unique_resource(const unique_resource&) = delete;
  unique_resource& operator=(const unique_resource&) = delete;
  unique_resource(unique_resource&& other) noexcept : _p(other.release()) {}
  unique_resource& operator=(unique_resource&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }
  ~unique_resource() { reset(); }

  pointer get() const noexcept { return _p; }
  explicit operator bool() const noexcept { return _p != pointer(); }
  pointer* put() noexcept {
    reset();
    return &_p;
  }
  void reset(pointer p = pointer()) noexcept {
    pointer old = std::exchange(_p, p);
    if (old != pointer()) Traits::close(old);
  }
  [[nodiscard]] pointer release() noexcept { return std::exchange(_p, pointer()); }

 private:
  pointer _p = pointer();
};

namespace detail {
template <class T>
struct task_mem_traits {
  using pointer = T*;
  static void close(T* p) noexcept { CoTaskMemFree(p); }
};
struct bstr_traits {
  using pointer = BSTR;
  static void close(BSTR p) noexcept { SysFreeString(p); }
};
struct safearray_traits {
  using pointer = SAFEARRAY*;
  static void close(SAFEARRAY* p) noexcept { SafeArrayDestroy(p); }
};
template <class T>
struct local_mem_traits {
  using pointer = T*;
  static void close(T* p) noexcept { LocalFree(reinterpret_cast<HLOCAL>(p)); }
};
}  // namespace detail

// One block of task memory: a string a server returned, a structure.
template <class T>
class task_mem : public unique_resource<detail::task_mem_traits<T>> {
  using base = unique_resource<detail::task_mem_traits<T>>;

 public:
  using base::base;
  T* operator->() const noexcept { return this->get(); }
  T& operator[](std::size_t i) const noexcept { return this->get()[i]; }
  // Zeroed task memory for count elements; empty when out of memory.
  static task_mem allocate(std::size_t count = 1) noexcept {
    void* block = CoTaskMemAlloc(sizeof(T) * (count == 0 ? 1 : count));
    if (block != nullptr) std::memset(block, 0, sizeof(T) * (count == 0 ? 1 : count));
    return task_mem(static_cast<T*>(block));
  }
};
using task_string = task_mem<WCHAR>;

using com_bstr = unique_resource<detail::bstr_traits>;
using com_safearray = unique_resource<detail::safearray_traits>;
// Memory a system call allocated with LocalAlloc (FormatMessage's buffer).
template <class T>
using local_mem = unique_resource<detail::local_mem_traits<T>>;

// ---------------------------------------------------------------------------
// task_array: a task-memory array whose elements may own more (strings,
// blobs, VARIANTs). Its size is the number of elements the holder cleans,
// which the caller sets from the count it passed or was told.

template <class T>
struct no_element_cleanup {
  static void clean(T&) noexcept {}
};

template <class T, class Cleanup = no_element_cleanup<T>>
class task_array {
 public:
  task_array() noexcept = default;
  explicit task_array(std::size_t size) noexcept : _size(size) {}
  task_array(const task_array&) = delete;
  task_array& operator=(const task_array&) = delete;
  task_array(task_array&& other) noexcept
      : _p(std::exchange(other._p, nullptr)), _size(std::exchange(other._size, 0)) {}
  task_array& operator=(task_array&& other) noexcept {
    if (this != &other) {
      reset();
      _p = std::exchange(other._p, nullptr);
      _size = std::exchange(other._size, 0);
    }
    return *this;
  }
  ~task_array() { reset(); }

  // Zeroed memory for size elements (a server building its answer).
  static task_array allocate(std::size_t size) noexcept {
    task_array result(size);
    void* block = CoTaskMemAlloc(sizeof(T) * (size == 0 ? 1 : size));
    if (block != nullptr) std::memset(block, 0, sizeof(T) * (size == 0 ? 1 : size));
    result._p = static_cast<T*>(block);
    return result;
  }

  T* get() const noexcept { return _p; }
  std::size_t size() const noexcept { return _size; }
  T& operator[](std::size_t i) const noexcept { return _p[i]; }
  T* begin() const noexcept { return _p; }
  T* end() const noexcept { return _p == nullptr ? nullptr : _p + _size; }
  explicit operator bool() const noexcept { return _p != nullptr; }

  // Out-parameter slot: cleans what was held; the size stays.
  T** put() noexcept {
    clean_all();
    CoTaskMemFree(std::exchange(_p, nullptr));
    return &_p;
  }
  // The number of elements the block holds, once a call has told it.
  void set_size(std::size_t size) noexcept { _size = size; }
  void reset() noexcept {
    clean_all();
    CoTaskMemFree(std::exchange(_p, nullptr));
    _size = 0;
  }
  // Hands the block to a caller who now owns it and its elements.
  [[nodiscard]] T* release() noexcept {
    _size = 0;
    return std::exchange(_p, nullptr);
  }

 private:
  void clean_all() noexcept {
    if (_p == nullptr) return;
    for (std::size_t i = 0; i < _size; ++i) Cleanup::clean(_p[i]);
  }
  T* _p = nullptr;
  std::size_t _size = 0;
};

struct string_cleanup {
  static void clean(LPWSTR& s) noexcept { CoTaskMemFree(std::exchange(s, nullptr)); }
};
struct variant_cleanup {
  static void clean(VARIANT& v) noexcept { VariantClear(&v); }
};
struct item_result_cleanup {
  static void clean(OPCITEMRESULT& r) noexcept {
    CoTaskMemFree(std::exchange(r.pBlob, nullptr));
    r.dwBlobSize = 0;
  }
};
struct item_state_cleanup {
  static void clean(OPCITEMSTATE& s) noexcept { VariantClear(&s.vDataValue); }
};
struct item_attributes_cleanup {
  static void clean(OPCITEMATTRIBUTES& a) noexcept {
    CoTaskMemFree(std::exchange(a.szAccessPath, nullptr));
    CoTaskMemFree(std::exchange(a.szItemID, nullptr));
    CoTaskMemFree(std::exchange(a.pBlob, nullptr));
    a.dwBlobSize = 0;
    VariantClear(&a.vEUInfo);
  }
};

using task_strings = task_array<LPWSTR, string_cleanup>;
using task_variants = task_array<VARIANT, variant_cleanup>;
using task_item_results = task_array<OPCITEMRESULT, item_result_cleanup>;
using task_item_states = task_array<OPCITEMSTATE, item_state_cleanup>;
using task_item_attributes = task_array<OPCITEMATTRIBUTES, item_attributes_cleanup>;
template <class T>
using task_values = task_array<T>;  // handles, errors, types, qualities: nothing inside to free

// A server's status record owns its vendor text.
inline void clean_server_status(OPCSERVERSTATUS& status) noexcept {
  CoTaskMemFree(std::exchange(status.szVendorInfo, nullptr));
}
struct server_status_traits {
  using pointer = OPCSERVERSTATUS*;
  static void close(OPCSERVERSTATUS* p) noexcept {
    clean_server_status(*p);
    CoTaskMemFree(p);
  }
};
using task_server_status = unique_resource<server_status_traits>;

// ---------------------------------------------------------------------------
// com_variant: one VARIANT, cleared when it goes. Copies are deep
// (VariantCopy); a copy that runs out of memory throws std::bad_alloc.

class com_variant {
 public:
  com_variant() noexcept { VariantInit(&_v); }
  // Takes over the content of v, which is left VT_EMPTY.
  com_variant(VARIANT& v, attach_t) noexcept : _v(v) { VariantInit(&v); }
  explicit com_variant(const VARIANT& v) { copy_in(v); }
  com_variant(const com_variant& other) { copy_in(other._v); }
  com_variant(com_variant&& other) noexcept : _v(other._v) { VariantInit(&other._v); }
  com_variant& operator=(const com_variant& other) {
    if (this != &other) {
      com_variant copy(other);
      swap(copy);
    }
    return *this;
  }
  com_variant& operator=(com_variant&& other) noexcept {
    if (this != &other) {
      clear();
      _v = other._v;
      VariantInit(&other._v);
    }
    return *this;
  }
  ~com_variant() { VariantClear(&_v); }

  VARIANT* get() noexcept { return &_v; }
  const VARIANT* get() const noexcept { return &_v; }
  const VARIANT& operator*() const noexcept { return _v; }
  VARTYPE vt() const noexcept { return _v.vt; }
  bool empty() const noexcept { return _v.vt == VT_EMPTY; }
  // Out-parameter slot: cleared first.
  VARIANT* put() noexcept {
    clear();
    return &_v;
  }
  void clear() noexcept {
    VariantClear(&_v);
    VariantInit(&_v);
  }
  // Hands the content over; the holder is left VT_EMPTY.
  [[nodiscard]] VARIANT release() noexcept {
    VARIANT out = _v;
    VariantInit(&_v);
    return out;
  }
  // Converts in place; VariantChangeType's result.
  HRESULT change_type(VARTYPE vt, USHORT flags = 0) noexcept { return VariantChangeType(&_v, &_v, flags, vt); }
  void swap(com_variant& other) noexcept { std::swap(_v, other._v); }

 private:
  void copy_in(const VARIANT& v) {
    VariantInit(&_v);
    const HRESULT hr = VariantCopy(&_v, const_cast<VARIANT*>(&v));
    if (hr == E_OUTOFMEMORY) throw std::bad_alloc();
  }
  VARIANT _v;
};

// ---------------------------------------------------------------------------
// Text: UTF-8 <-> UTF-16, the one conversion of the project. Unpaired
// surrogates and malformed UTF-8 become U+FFFD.

using wide_string = std::basic_string<WCHAR>;
using wide_view = std::basic_string_view<WCHAR>;

inline wide_view view(const WCHAR* text) noexcept {
  if (text == nullptr) return wide_view();
  std::size_t n = 0;
  while (text[n] != 0) ++n;
  return wide_view(text, n);
}

inline wide_string to_wide(std::string_view utf8) {
  wide_string out;
  out.reserve(utf8.size());
  const auto* s = reinterpret_cast<const unsigned char*>(utf8.data());
  const std::size_t n = utf8.size();
  for (std::size_t i = 0; i < n;) {
    const unsigned char lead = s[i];
    unsigned long cp = 0xFFFD;
    std::size_t extra = 0;
    unsigned long minimum = 0;
    if (lead < 0x80) {
      cp = lead;
    } else if ((lead & 0xE0) == 0xC0) {
      extra = 1, cp = lead & 0x1F, minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
      extra = 2, cp = lead & 0x0F, minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
      extra = 3, cp = lead & 0x07, minimum = 0x10000;
    } else {
      extra = 0, cp = 0xFFFD;
    }
    std::size_t used = 1;
    for (std::size_t k = 1; k <= extra; ++k) {
      if (i + k >= n || (s[i + k] & 0xC0) != 0x80) {
        cp = 0xFFFD;
        extra = 0;
        break;
      }
      cp = (cp << 6) | (s[i + k] & 0x3F);
      used = k + 1;
    }
    if (extra > 0 && (cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))) cp = 0xFFFD;
    i += used;
    if (cp >= 0x10000) {
      cp -= 0x10000;
      out.push_back(static_cast<WCHAR>(0xD800 + (cp >> 10)));
      out.push_back(static_cast<WCHAR>(0xDC00 + (cp & 0x3FF)));
    } else {
      out.push_back(static_cast<WCHAR>(cp));
    }
  }
  return out;
}

inline std::string to_utf8(wide_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    unsigned long cp = static_cast<unsigned short>(text[i]);
    if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < text.size()) {
      const unsigned long low = static_cast<unsigned short>(text[i + 1]);
      if (low >= 0xDC00 && low <= 0xDFFF) {
        cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
        ++i;
      }
    }
    if (cp >= 0xD800 && cp <= 0xDFFF) cp = 0xFFFD;
    if (cp < 0x80) {
      out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
      out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
      out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
  }
  return out;
}
inline std::string to_utf8(const WCHAR* text) { return to_utf8(view(text)); }

// A task-memory copy of a text, as servers hand strings to clients.
inline task_string task_copy(wide_view text) noexcept {
  task_string out = task_string::allocate(text.size() + 1);
  if (out) std::memcpy(out.get(), text.data(), text.size() * sizeof(WCHAR));
  return out;
}

inline com_bstr bstr_copy(wide_view text) noexcept {
  return com_bstr(SysAllocStringLen(text.data(), static_cast<UINT>(text.size())));
}

}  // namespace comown
