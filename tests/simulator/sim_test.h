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

#include <comown.h>

#include "opcsim/simulator.h"

namespace simtest {

using comown::com_ptr;

// The out-parameter of the calls that hand out an interface as IUnknown*.
template <class T>
IUnknown** PutUnknown(com_ptr<T>& holder) {
  return reinterpret_cast<IUnknown**>(holder.put());
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

// The first n elements of a server's array of handles, errors or types; none without an array.
template <class T>
std::vector<T> Values(const comown::task_values<T>& values, std::size_t n) {
  return values ? std::vector<T>(values.get(), values.get() + n) : std::vector<T>();
}
std::vector<std::string> ReadAll(IEnumString* e);  // one Next(1) at a time

// A started simulator with one activated server.
class SimTest : public ::testing::Test {
 protected:
  explicit SimTest(opcsim::Options options = opcsim::Options());
  void SetUp() override;
  void TearDown() override;

  // Adds a group and returns its IOPCItemMgt.
  com_ptr<IOPCItemMgt> AddGroup(const char* name, BOOL active = TRUE, DWORD rate = 100, OPCHANDLE* handle = nullptr);
  // Adds items with the given requested types; returns their server handles (0 for failures).
  std::vector<OPCHANDLE> AddItems(IOPCItemMgt* group, const std::vector<std::string>& ids,
                                  std::vector<HRESULT>* errors = nullptr, std::vector<VARTYPE> types = {});
  std::vector<std::string> Browse(OPCBROWSETYPE type, VARTYPE vt = VT_EMPTY);

  ComScope com_;
  opcsim::Simulator sim_;
  com_ptr<IOPCServer> server_;
  com_ptr<IOPCBrowseServerAddressSpace> browse_;
  long taskMemory_ = 0;
};

long LiveTaskMemory();  // native: blocks not freed yet; windows: 0

}  // namespace simtest
