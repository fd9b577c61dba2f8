// Simulated remote hosts of the native runtime: a simulator registered on a
// host answers activations that name it, and has its own server list.
#include <native_com_ext.h>

#include "sim_test.h"

using namespace simtest;

TEST(RemoteHost, ServersAndServerListLiveOnTheNamedHost) {
  ComScope com;
  opcsim::Options o;
  o.host = "PlantServer";
  opcsim::Simulator sim(o);
  ASSERT_EQ(S_OK, sim.RegistrationResult());
  {
    COSERVERINFO info = {0, const_cast<LPWSTR>(OLESTR("plantserver")), nullptr, 0};
    MULTI_QI list = {&IID_IOPCServerList, nullptr, S_OK};
    ASSERT_EQ(S_OK, CoCreateInstanceEx(CLSID_OpcServerList, nullptr, CLSCTX_SERVER, &info, 1, &list));
    com_ptr<IOPCServerList> serverList;
    serverList.attach(static_cast<IOPCServerList*>(list.pItf));
    CLSID clsid = CLSID_NULL;
    ASSERT_EQ(S_OK, serverList->CLSIDFromProgID(OLESTR("OpcSim.DAServer.1"), &clsid));
    MULTI_QI server = {&IID_IOPCServer, nullptr, S_OK};
    ASSERT_EQ(S_OK, CoCreateInstanceEx(clsid, nullptr, CLSCTX_SERVER, &info, 1, &server));
    com_ptr<IUnknown> released(server.pItf, comown::attach);
    com_ptr<IOPCServer> local;
    EXPECT_EQ(REGDB_E_CLASSNOTREG, CoCreateInstance(clsid, nullptr, CLSCTX_SERVER, IID_IOPCServer, local.put_void()))
        << "not registered on this machine";
    COSERVERINFO other = {0, const_cast<LPWSTR>(OLESTR("elsewhere")), nullptr, 0};
    EXPECT_EQ(HRESULT_FROM_WIN32(RPC_S_SERVER_UNAVAILABLE),
              CoCreateInstanceEx(clsid, nullptr, CLSCTX_SERVER, &other, 1, &server));
  }
  EXPECT_EQ(0, opcsim::LiveObjects());
}
