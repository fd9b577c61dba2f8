// Object lifetimes: everything a client gets is released back to zero, and
// group pointers work from other threads through the Global Interface Table.
#include <thread>

#include "sim_test.h"

using namespace simtest;

TEST(Lifetime, EveryObjectGoesWhenTheClientReleasesIt) {
  ComScope com;
  opcsim::Simulator sim;
  {
    Ref<IOPCServer> server;
    ASSERT_EQ(S_OK, CoCreateInstance(sim.Clsid(), nullptr, CLSCTX_SERVER, IID_IOPCServer, server.OutVoid()));
    OPCHANDLE h;
    DWORD rate;
    Ref<IConnectionPointContainer> group;
    ASSERT_EQ(S_OK, server->AddGroup(OLESTR("g"), TRUE, 100, 0, nullptr, nullptr, 0, &h, &rate,
                                     IID_IConnectionPointContainer, group.OutUnknown()));
    Ref<IConnectionPoint> point;
    ASSERT_EQ(S_OK, group->FindConnectionPoint(IID_IOPCDataCallback, point.Out()));
    Ref<IEnumString> names;
    ASSERT_EQ(S_OK, server->CreateGroupEnumerator(OPC_ENUM_ALL, IID_IEnumString, names.OutUnknown()));
    Ref<IEnumString> copy;
    ASSERT_EQ(S_OK, names->Clone(copy.Out()));
    EXPECT_GE(opcsim::LiveObjects(), 4);
    server.Reset();
    EXPECT_GE(opcsim::LiveObjects(), 3) << "the group outlives the server while the client holds it";
  }
  EXPECT_EQ(0, opcsim::LiveObjects());
}

TEST(Lifetime, GroupInterfacesFromTheGlobalTableWorkOnAnotherThread) {
  ComScope com;
  opcsim::Simulator sim;
  {
    Ref<IOPCServer> server;
    ASSERT_EQ(S_OK, CoCreateInstance(sim.Clsid(), nullptr, CLSCTX_SERVER, IID_IOPCServer, server.OutVoid()));
    OPCHANDLE h;
    DWORD rate;
    Ref<IOPCItemMgt> group;
    ASSERT_EQ(S_OK, server->AddGroup(OLESTR("shared"), TRUE, 100, 0, nullptr, nullptr, 0, &h, &rate, IID_IOPCItemMgt,
                                     group.OutUnknown()));
    OPCITEMDEF def = {};
    def.szAccessPath = const_cast<LPWSTR>(OLESTR(""));
    def.szItemID = const_cast<LPWSTR>(OLESTR("Plant.Types.Int32"));
    def.bActive = TRUE;
    OPCITEMRESULT* results = nullptr;
    HRESULT* errors = nullptr;
    ASSERT_EQ(S_OK, group->AddItems(1, &def, &results, &errors));
    OPCHANDLE item = results[0].hServer;
    CoTaskMemFree(results);
    CoTaskMemFree(errors);

    Ref<IGlobalInterfaceTable> git;
    ASSERT_EQ(S_OK, CoCreateInstance(CLSID_StdGlobalInterfaceTable, nullptr, CLSCTX_INPROC_SERVER,
                                     IID_IGlobalInterfaceTable, git.OutVoid()));
    Ref<IOPCSyncIO> io = Query<IOPCSyncIO>(group.get(), IID_IOPCSyncIO);
    DWORD cookie = 0;
    ASSERT_EQ(S_OK, git->RegisterInterfaceInGlobal(io.get(), IID_IOPCSyncIO, &cookie));
    HRESULT threadResult = E_FAIL;
    std::thread([&] {
      ComScope mta(COINIT_MULTITHREADED);
      Ref<IGlobalInterfaceTable> table;
      CoCreateInstance(CLSID_StdGlobalInterfaceTable, nullptr, CLSCTX_INPROC_SERVER, IID_IGlobalInterfaceTable,
                       table.OutVoid());
      Ref<IOPCSyncIO> remote;
      if (!table || FAILED(table->GetInterfaceFromGlobal(cookie, IID_IOPCSyncIO, remote.OutVoid()))) return;
      VARIANT v;
      VariantInit(&v);
      v.vt = VT_I4;
      v.lVal = 99;
      HRESULT* errs = nullptr;
      threadResult = remote->Write(1, &item, &v, &errs);
      CoTaskMemFree(errs);
    }).join();
    EXPECT_EQ(S_OK, threadResult);
    EXPECT_EQ(S_OK, git->RevokeInterfaceFromGlobal(cookie));
    opcsim::Variant value;
    sim.GetValue("Plant.Types.Int32", &value);
    EXPECT_EQ(99, value.get()->lVal);
  }
  EXPECT_EQ(0, opcsim::LiveObjects());
}
