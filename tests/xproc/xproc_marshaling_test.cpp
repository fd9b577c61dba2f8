// The OPC interfaces of opc_proxy.dll, called directly across processes:
// what the server allocates for the client (out-strings, status records)
// arrives whole; group data crosses in the group tests.
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

}  // namespace
}  // namespace xproc
