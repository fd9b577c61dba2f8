#include "sim_test.h"

#ifndef _WIN32
#include <native_com_ext.h>
#endif

namespace simtest {

std::vector<std::string> ReadAll(IEnumString* e) {
  std::vector<std::string> out;
  comown::task_string s;
  ULONG fetched = 0;
  while (e && e->Next(1, s.put(), &fetched) == S_OK && fetched == 1) out.push_back(comown::to_utf8(s.get()));
  return out;
}

long LiveTaskMemory() {
#ifdef _WIN32
  return 0;
#else
  return NativeComLiveTaskAllocations();
#endif
}

SimTest::SimTest(opcsim::Options options) : sim_(std::move(options)) {}

void SimTest::SetUp() {
  ASSERT_TRUE(SUCCEEDED(com_.Result()));
  ASSERT_EQ(S_OK, sim_.RegistrationResult());
  taskMemory_ = LiveTaskMemory();
  ASSERT_EQ(S_OK, CoCreateInstance(sim_.Clsid(), nullptr, CLSCTX_SERVER, IID_IOPCServer, server_.put_void()));
  browse_ = server_.as<IOPCBrowseServerAddressSpace>();
  ASSERT_TRUE(browse_);
}

void SimTest::TearDown() {
  server_.reset();
  browse_.reset();
  EXPECT_EQ(0, opcsim::LiveObjects()) << "a simulator object was not released";
  EXPECT_EQ(taskMemory_, LiveTaskMemory()) << "task memory handed out was not freed";
}

com_ptr<IOPCItemMgt> SimTest::AddGroup(const char* name, BOOL active, DWORD rate, OPCHANDLE* handle) {
  com_ptr<IOPCItemMgt> group;
  OPCHANDLE h = 0;
  DWORD revised = 0;
  EXPECT_TRUE(SUCCEEDED(server_->AddGroup(comown::to_wide(name).c_str(), active, rate, 7, nullptr, nullptr, 0, &h,
                                           &revised, IID_IOPCItemMgt, PutUnknown(group))));
  if (handle) *handle = h;
  return group;
}

std::vector<OPCHANDLE> SimTest::AddItems(IOPCItemMgt* group, const std::vector<std::string>& ids,
                                         std::vector<HRESULT>* errors, std::vector<VARTYPE> types) {
  std::vector<comown::wide_string> wide;
  for (const std::string& id : ids) wide.push_back(comown::to_wide(id));
  std::vector<OPCITEMDEF> defs(ids.size());
  for (std::size_t i = 0; i < ids.size(); ++i) {
    defs[i].szAccessPath = const_cast<LPWSTR>(OLESTR(""));
    defs[i].szItemID = const_cast<LPWSTR>(wide[i].c_str());
    defs[i].bActive = TRUE;
    defs[i].hClient = static_cast<OPCHANDLE>(100 + i);
    defs[i].vtRequestedDataType = i < types.size() ? types[i] : VARTYPE(VT_EMPTY);
  }
  comown::task_item_results results(ids.size());
  comown::task_values<HRESULT> errs(ids.size());
  group->AddItems(static_cast<DWORD>(ids.size()), defs.data(), results.put(), errs.put());
  std::vector<OPCHANDLE> handles;
  for (std::size_t i = 0; results && i < ids.size(); ++i) {
    handles.push_back(SUCCEEDED(errs[i]) ? results[i].hServer : 0);
    if (errors) errors->push_back(errs[i]);
  }
  return handles;
}

std::vector<std::string> SimTest::Browse(OPCBROWSETYPE type, VARTYPE vt) {
  com_ptr<IEnumString> e;
  browse_->BrowseOPCItemIDs(type, OLESTR(""), vt, 0, e.put());
  return ReadAll(e.get());
}

}  // namespace simtest
