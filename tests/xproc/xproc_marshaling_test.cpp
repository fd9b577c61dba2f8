// The OPC interfaces of opc_proxy.dll, called directly across processes:
// what the server allocates for the client (out-strings, status records,
// arrays of structures and VARIANTs) arrives whole.
#include <functional>

#include "opcerror.h"
#include "opcsim/simulator.h"
#include "xproc_test_support.h"

namespace xproc {
namespace {

using comown::com_ptr;
using Marshaling = CrossProcessTest;

// Every out-string the library reads: widl's proxies once handed the client
// null with S_OK for each of them.
TEST_F(Marshaling, OutStringsReachTheClient) {
  com_ptr<IOPCServer> server = ActivateServer();
  ASSERT_TRUE(server);
  com_ptr<IOPCCommon> common = server.as<IOPCCommon>();
  com_ptr<IOPCBrowseServerAddressSpace> browse = server.as<IOPCBrowseServerAddressSpace>();
  ASSERT_TRUE(common && browse);
  struct Case {
    const char* call;
    std::function<HRESULT(LPWSTR*)> get;
    std::string expected;
  } const cases[] = {
      {"IOPCBrowseServerAddressSpace::GetItemID",
       [&](LPWSTR* out) { return browse->GetItemID(const_cast<LPWSTR>(L"Plant.Area1.Line1.Speed"), out); },
       "Plant.Area1.Line1.Speed"},
      {"IOPCServer::GetErrorString", [&](LPWSTR* out) { return server->GetErrorString(OPC_E_UNKNOWNITEMID, 0x0409, out); },
       "The item is no longer available in the server address space."},
      {"IOPCCommon::GetErrorString", [&](LPWSTR* out) { return common->GetErrorString(OPC_E_BADRIGHTS, out); },
       "The item's access rights do not allow the operation."},
      {"OPCSERVERSTATUS::szVendorInfo",
       [&](LPWSTR* out) {
         comown::task_server_status status;
         const HRESULT hr = server->GetStatus(status.put());
         if (status) *out = comown::task_copy(comown::view(status.get()->szVendorInfo)).release();
         return hr;
       },
       kServerVendor},
  };
  for (const Case& c : cases) {
    comown::task_string text;
    EXPECT_EQ(S_OK, c.get(text.put())) << c.call;
    ASSERT_TRUE(text) << c.call << " gave no string";
    EXPECT_EQ(c.expected, comown::to_utf8(text.get())) << c.call;
  }
}

TEST_F(Marshaling, TheServerListGivesClassDetails) {
  com_ptr<IOPCServerList> list;
  ASSERT_EQ(S_OK, CoCreateInstance(CLSID_OpcServerList, nullptr, CLSCTX_LOCAL_SERVER, IID_IOPCServerList,
                                   list.put_void()));
  comown::task_string progId, userType;
  ASSERT_EQ(S_OK, list->GetClassDetails(CLSID_OpcSimDAServer, progId.put(), userType.put()));
  EXPECT_EQ(kServerProgId, comown::to_utf8(progId.get()));
  EXPECT_EQ(kServerVendor, comown::to_utf8(userType.get()));
}

// Groups, items and data: the structures and VARIANT arrays of the DA
// interfaces, one write and one read across processes.
TEST_F(Marshaling, AGroupWritesAndReadsAnItem) {
  com_ptr<IOPCServer> server = ActivateServer();
  ASSERT_TRUE(server);
  OPCHANDLE group = 0;
  DWORD rate = 0;
  com_ptr<IOPCItemMgt> items;
  ASSERT_EQ(S_OK, server->AddGroup(L"g", TRUE, 1000, 7, nullptr, nullptr, 0x0409, &group, &rate, IID_IOPCItemMgt,
                                   reinterpret_cast<LPUNKNOWN*>(items.put())));
  OPCITEMDEF def = {};
  def.szAccessPath = const_cast<LPWSTR>(L"");
  def.szItemID = const_cast<LPWSTR>(L"Plant.Area1.Line1.Recipe");
  def.bActive = TRUE;
  def.hClient = 42;
  def.vtRequestedDataType = VT_BSTR;
  comown::task_item_results results(1);
  comown::task_values<HRESULT> errors(1);
  ASSERT_EQ(S_OK, items->AddItems(1, &def, results.put(), errors.put()));
  EXPECT_EQ(VT_BSTR, results[0].vtCanonicalDataType);
  OPCHANDLE item = results[0].hServer;

  com_ptr<IOPCSyncIO> io = items.as<IOPCSyncIO>();
  ASSERT_TRUE(io);
  comown::com_variant value;
  value.get()->vt = VT_BSTR;
  value.get()->bstrVal = SysAllocString(L"Special");
  comown::task_values<HRESULT> writeErrors(1);
  ASSERT_EQ(S_OK, io->Write(1, &item, value.get(), writeErrors.put()));
  comown::task_item_states states(1);
  comown::task_values<HRESULT> readErrors(1);
  ASSERT_EQ(S_OK, io->Read(OPC_DS_DEVICE, 1, &item, states.put(), readErrors.put()));
  EXPECT_EQ(42u, states[0].hClient);
  ASSERT_EQ(VT_BSTR, states[0].vDataValue.vt);
  EXPECT_EQ("Special", comown::to_utf8(states[0].vDataValue.bstrVal));

  io.reset();
  items.reset();
  EXPECT_EQ(S_OK, server->RemoveGroup(group, FALSE));
}

}  // namespace
}  // namespace xproc
