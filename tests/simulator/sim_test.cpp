#include "sim_test.h"

#ifndef _WIN32
#include <native_com_ext.h>
#endif

namespace simtest {

std::string Take(LPWSTR text) {
  std::string s = opcsim::ToUtf8(text);
  CoTaskMemFree(text);
  return s;
}

std::vector<std::string> ReadAll(IEnumString* e) {
  std::vector<std::string> out;
  LPOLESTR s = nullptr;
  ULONG fetched = 0;
  while (e && e->Next(1, &s, &fetched) == S_OK && fetched == 1) out.push_back(Take(s));
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
  MULTI_QI qi[4] = {{&IID_IOPCServer, nullptr, S_OK},
                    {&IID_IOPCCommon, nullptr, S_OK},
                    {&IID_IOPCBrowseServerAddressSpace, nullptr, S_OK},
                    {&IID_IOPCItemProperties, nullptr, S_OK}};
  HRESULT hr = CoCreateInstanceEx(sim_.Clsid(), nullptr, CLSCTX_SERVER, nullptr, 4, qi);
  ASSERT_TRUE(SUCCEEDED(hr)) << std::hex << hr;
  *server_.Out() = static_cast<IOPCServer*>(qi[0].pItf);
  *common_.Out() = static_cast<IOPCCommon*>(qi[1].pItf);
  *browse_.Out() = static_cast<IOPCBrowseServerAddressSpace*>(qi[2].pItf);
  *properties_.Out() = static_cast<IOPCItemProperties*>(qi[3].pItf);
}

void SimTest::TearDown() {
  server_.Reset();
  common_.Reset();
  browse_.Reset();
  properties_.Reset();
  EXPECT_EQ(0, opcsim::LiveObjects()) << "a simulator object was not released";
  EXPECT_EQ(taskMemory_, LiveTaskMemory()) << "task memory handed out was not freed";
}

Ref<IOPCItemMgt> SimTest::AddGroup(const char* name, BOOL active, DWORD rate, OPCHANDLE* handle) {
  Ref<IOPCItemMgt> group;
  OPCHANDLE h = 0;
  DWORD revised = 0;
  opcsim::WString wide = opcsim::ToWide(name);
  EXPECT_TRUE(SUCCEEDED(server_->AddGroup(wide.c_str(), active, rate, 7, nullptr, nullptr, 0, &h, &revised,
                                           IID_IOPCItemMgt, group.OutUnknown())));
  if (handle) *handle = h;
  return group;
}

std::vector<OPCHANDLE> SimTest::AddItems(IOPCItemMgt* group, const std::vector<std::string>& ids,
                                         std::vector<HRESULT>* errors, std::vector<VARTYPE> types) {
  std::vector<opcsim::WString> wide;
  for (const std::string& id : ids) wide.push_back(opcsim::ToWide(id));
  std::vector<OPCITEMDEF> defs(ids.size());
  for (std::size_t i = 0; i < ids.size(); ++i) {
    defs[i].szAccessPath = const_cast<LPWSTR>(OLESTR(""));
    defs[i].szItemID = const_cast<LPWSTR>(wide[i].c_str());
    defs[i].bActive = TRUE;
    defs[i].hClient = static_cast<OPCHANDLE>(100 + i);
    defs[i].vtRequestedDataType = i < types.size() ? types[i] : VARTYPE(VT_EMPTY);
  }
  OPCITEMRESULT* results = nullptr;
  HRESULT* errs = nullptr;
  group->AddItems(static_cast<DWORD>(ids.size()), defs.data(), &results, &errs);
  std::vector<OPCHANDLE> handles;
  for (std::size_t i = 0; results && i < ids.size(); ++i) {
    handles.push_back(SUCCEEDED(errs[i]) ? results[i].hServer : 0);
    if (errors) errors->push_back(errs[i]);
  }
  CoTaskMemFree(results);
  CoTaskMemFree(errs);
  return handles;
}

std::vector<std::string> SimTest::Browse(OPCBROWSETYPE type, const char* filter, VARTYPE vt, DWORD access,
                                         HRESULT* hr) {
  Ref<IEnumString> e;
  opcsim::WString f = opcsim::ToWide(filter);
  HRESULT result = browse_->BrowseOPCItemIDs(type, f.c_str(), vt, access, e.Out());
  if (hr) *hr = result;
  return ReadAll(e.get());
}

}  // namespace simtest
