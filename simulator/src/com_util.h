// Internal COM plumbing of the simulator: interface pointers, reference
// counting, the live-object counter, task memory and the free-threaded marshaler.
#pragma once

#include <atomic>
#include <cstring>
#include <string>
#include <utility>

#include <windows.h>
#include <objbase.h>

#include "opcsim/variant.h"

namespace opcsim {

template <class T>
class com_ptr {
 public:
  com_ptr() = default;
  com_ptr(std::nullptr_t) {}
  explicit com_ptr(T* p, bool addRef = true) : p_(p) {
    if (p_ && addRef) p_->AddRef();
  }
  com_ptr(const com_ptr& o) : p_(o.p_) {
    if (p_) p_->AddRef();
  }
  com_ptr(com_ptr&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
  com_ptr& operator=(com_ptr o) noexcept {
    std::swap(p_, o.p_);
    return *this;
  }
  ~com_ptr() { reset(); }

  void reset() {
    if (T* p = std::exchange(p_, nullptr)) p->Release();
  }
  T* get() const { return p_; }
  T* operator->() const { return p_; }
  T& operator*() const { return *p_; }
  explicit operator bool() const { return p_ != nullptr; }
  T** put() {
    reset();
    return &p_;
  }
  T* detach() { return std::exchange(p_, nullptr); }
  // Takes over a reference the caller already owns.
  static com_ptr adopt(T* p) { return com_ptr(p, false); }

 private:
  T* p_ = nullptr;
};

// Counts every simulator object handed to clients.
std::atomic<long>& LiveObjectCounter();

// Base of every COM object of the simulator: the reference count, the
// live-object count and, on Windows, the aggregated free-threaded marshaler,
// so that pointers taken from the Global Interface Table on another thread
// reach the object directly.
class ComObject {
 public:
  ComObject() { ++LiveObjectCounter(); }
  virtual ~ComObject() { --LiveObjectCounter(); }
  ComObject(const ComObject&) = delete;
  ComObject& operator=(const ComObject&) = delete;

  ULONG AddRefImpl() { return ++refs_; }
  ULONG ReleaseImpl() {
    ULONG n = --refs_;
    if (n == 0) delete this;
    return n;
  }
  ULONG RefCount() const { return refs_.load(); }

 protected:
  // Aggregates the free-threaded marshaler with `outer` as controlling unknown.
  void EnableFreeThreadedMarshaler(IUnknown* outer);
  // Answers IID_IMarshal through the marshaler where there is one.
  bool QueryMarshaler(REFIID riid, void** ppv);

 private:
  std::atomic<ULONG> refs_{0};
  IUnknown* marshaler_ = nullptr;

 public:
  void ReleaseMarshaler();
};

// Task-memory helpers: everything given to a client is CoTaskMemAlloc'ed.
template <class T>
T* TaskAlloc(std::size_t count) {
  if (count == 0) count = 1;
  void* p = CoTaskMemAlloc(sizeof(T) * count);
  if (p) std::memset(p, 0, sizeof(T) * count);
  return static_cast<T*>(p);
}
LPWSTR TaskString(const WString& text);
LPWSTR TaskString(const std::string& utf8);

// Owns a task-memory block until released to the caller.
template <class T>
class TaskArray {
 public:
  explicit TaskArray(std::size_t count) : p_(TaskAlloc<T>(count)) {}
  ~TaskArray() { CoTaskMemFree(p_); }
  TaskArray(const TaskArray&) = delete;
  TaskArray& operator=(const TaskArray&) = delete;
  T* get() const { return p_; }
  T& operator[](std::size_t i) const { return p_[i]; }
  explicit operator bool() const { return p_ != nullptr; }
  T* release() { return std::exchange(p_, nullptr); }

 private:
  T* p_;
};

WString WStr(const WCHAR* text);  // null gives the empty text
std::string GuidText(REFGUID guid);
// The interface's name for the call log ("IOPCSyncIO"), else its GUID text.
std::string InterfaceName(REFIID riid);
std::string Hex(HRESULT hr);
FILETIME Now();

}  // namespace opcsim
