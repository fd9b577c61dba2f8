// Helpers of the simulator's tests: they drive it through COM only, the way
// a client does, on both targets.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include <windows.h>
#include <objbase.h>
#include <opcda.h>
#include <opcerror.h>
#ifdef _WIN32
#include <olectl.h>
#endif

#include "opcsim/simulator.h"

namespace simtest {

// Owns one interface reference.
template <class T>
class Ref {
 public:
  Ref() = default;
  Ref(const Ref&) = delete;
  Ref& operator=(const Ref&) = delete;
  Ref(Ref&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
  Ref& operator=(Ref&& o) noexcept {
    if (this != &o) {
      Reset();
      p_ = std::exchange(o.p_, nullptr);
    }
    return *this;
  }
  ~Ref() { Reset(); }
  void Reset() {
    if (T* old = std::exchange(p_, nullptr)) old->Release();
  }
  T** Out() {
    Reset();
    return &p_;
  }
  void** OutVoid() { return reinterpret_cast<void**>(Out()); }
  IUnknown** OutUnknown() { return reinterpret_cast<IUnknown**>(Out()); }
  T* get() const { return p_; }
  T* operator->() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }

 private:
  T* p_ = nullptr;
};

template <class T>
Ref<T> Query(IUnknown* object, REFIID iid) {
  Ref<T> r;
  if (object) object->QueryInterface(iid, r.OutVoid());
  return r;
}

class ComScope {
 public:
  explicit ComScope(DWORD model = COINIT_APARTMENTTHREADED) : hr_(CoInitializeEx(nullptr, model)) {}
  ~ComScope() {
    if (SUCCEEDED(hr_)) CoUninitialize();
  }
  HRESULT Result() const { return hr_; }

 private:
  HRESULT hr_;
};

// Takes a task-memory string, frees it and gives its UTF-8 text.
std::string Take(LPWSTR text);
std::vector<std::string> ReadAll(IEnumString* e);  // one Next(1) at a time, then releases nothing

// A started simulator with one activated server (all four interfaces).
class SimTest : public ::testing::Test {
 protected:
  explicit SimTest(opcsim::Options options = opcsim::Options());
  void SetUp() override;
  void TearDown() override;

  // Adds a group and returns its IOPCItemMgt.
  Ref<IOPCItemMgt> AddGroup(const char* name, BOOL active = TRUE, DWORD rate = 100, OPCHANDLE* handle = nullptr);
  // Adds items with the given requested types; returns their server handles (0 for failures).
  std::vector<OPCHANDLE> AddItems(IOPCItemMgt* group, const std::vector<std::string>& ids,
                                  std::vector<HRESULT>* errors = nullptr, std::vector<VARTYPE> types = {});
  std::vector<std::string> Browse(OPCBROWSETYPE type, const char* filter = "", VARTYPE vt = VT_EMPTY,
                                  DWORD access = 0, HRESULT* hr = nullptr);

  ComScope com_;
  opcsim::Simulator sim_;
  Ref<IOPCServer> server_;
  Ref<IOPCCommon> common_;
  Ref<IOPCBrowseServerAddressSpace> browse_;
  Ref<IOPCItemProperties> properties_;
  long taskMemory_ = 0;
};

long LiveTaskMemory();  // native: blocks not freed yet; windows: 0

}  // namespace simtest
