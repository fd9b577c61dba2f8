// Internal COM plumbing of the simulator: reference counting, the live-object
// counter and the free-threaded marshaler. Resources are owned with comown.
#pragma once

#include <atomic>
#include <string>
#include <utility>

#include <windows.h>
#include <objbase.h>

#include "opcsim/variant.h"

namespace opcsim {

using comown::com_ptr;
using comown::wide_string;
using comown::wide_view;

// Counts every simulator object handed to clients: those alive, and all
// that were ever made.
std::atomic<long>& LiveObjectCounter();
std::atomic<unsigned long>& CreatedObjectCounter();

// Base of every COM object of the simulator: the reference count, the
// live-object count and, on Windows, the aggregated free-threaded marshaler,
// so that pointers taken from the Global Interface Table on another thread
// reach the object directly.
class ComObject {
 public:
  ComObject() {
    ++LiveObjectCounter();
    ++CreatedObjectCounter();
  }
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
  com_ptr<IUnknown> marshaler_;  // the inner unknown: releasing it never calls the outer object
};

// A new simulator object with the reference its holder owns.
template <class T, class... Args>
com_ptr<T> MakeObject(Args&&... args) {
  return com_ptr<T>(new T(std::forward<Args>(args)...), comown::add_ref);
}

std::string GuidText(REFGUID guid);
// The interface's name for the call log ("IOPCSyncIO"), else its GUID text.
std::string InterfaceName(REFIID riid);
std::string Hex(HRESULT hr);
FILETIME Now();

}  // namespace opcsim
