// Small RAII holders for what crosses the COM boundary: interface pointers and
// task memory. Internal to the library.
#pragma once

#include <objbase.h>

#include <utility>

namespace vemdcn {

// Holds one reference on an interface; releases it when it goes.
template <typename Interface>
class com_ptr {
 public:
  com_ptr() = default;
  com_ptr(const com_ptr&) = delete;
  com_ptr& operator=(const com_ptr&) = delete;
  com_ptr(com_ptr&& other) noexcept : _p(std::exchange(other._p, nullptr)) {}
  com_ptr& operator=(com_ptr&& other) noexcept {
    if (this != &other) {
      reset();
      _p = std::exchange(other._p, nullptr);
    }
    return *this;
  }
  ~com_ptr() { reset(); }

  // Takes over a reference the caller already owns.
  static com_ptr adopt(Interface* p) {
    com_ptr result;
    result._p = p;
    return result;
  }

  Interface* get() const { return _p; }
  Interface* operator->() const { return _p; }
  explicit operator bool() const { return _p != nullptr; }

  // For out-parameters: releases what is held and hands out the slot.
  Interface** put() {
    reset();
    return &_p;
  }
  void** put_void() { return reinterpret_cast<void**>(put()); }

  Interface* detach() { return std::exchange(_p, nullptr); }
  void reset() {
    if (_p != nullptr) std::exchange(_p, nullptr)->Release();
  }

 private:
  Interface* _p = nullptr;
};

// Frees task memory a server handed over, on every path.
template <typename T>
class task_mem {
 public:
  task_mem() = default;
  task_mem(const task_mem&) = delete;
  task_mem& operator=(const task_mem&) = delete;
  ~task_mem() { reset(); }

  T* get() const { return _p; }
  T* operator->() const { return _p; }
  T& operator[](size_t i) const { return _p[i]; }
  explicit operator bool() const { return _p != nullptr; }
  T** put() {
    reset();
    return &_p;
  }
  void reset() {
    if (_p != nullptr) CoTaskMemFree(std::exchange(_p, nullptr));
  }

 private:
  T* _p = nullptr;
};

}  // namespace vemdcn
