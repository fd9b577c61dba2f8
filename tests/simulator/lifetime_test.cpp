// Object lifetimes: everything a client gets is released back to zero, and
// group pointers work from other threads through the Global Interface Table.
#include <thread>

#include "sim_test.h"

using namespace simtest;

TEST(Lifetime, EveryObjectGoesWhenTheClientReleasesIt) {
  ComScope com;
  opcsim::Simulator sim;
  {
    com_ptr<IOPCServer> server;
    ASSERT_EQ(S_OK, CoCreateInstance(sim.Clsid(), nullptr, CLSCTX_SERVER, IID_IOPCServer, server.put_void()));
    OPCHANDLE h;
    DWORD rate;
    com_ptr<IConnectionPointContainer> group;
    ASSERT_EQ(S_OK, server->AddGroup(OLESTR("g"), TRUE, 100, 0, nullptr, nullptr, 0, &h, &rate,
                                     IID_IConnectionPointContainer, PutUnknown(group)));
    com_ptr<IConnectionPoint> point;
    ASSERT_EQ(S_OK, group->FindConnectionPoint(IID_IOPCDataCallback, point.put()));
    com_ptr<IEnumString> names;
    ASSERT_EQ(S_OK, server->CreateGroupEnumerator(OPC_ENUM_ALL, IID_IEnumString, PutUnknown(names)));
    com_ptr<IEnumString> copy;
    ASSERT_EQ(S_OK, names->Clone(copy.put()));
    EXPECT_GE(opcsim::LiveObjects(), 4);
    server.reset();
    EXPECT_GE(opcsim::LiveObjects(), 3) << "the group outlives the server while the client holds it";
  }
  EXPECT_EQ(0, opcsim::LiveObjects());
}

TEST(Lifetime, GroupInterfacesFromTheGlobalTableWorkOnAnotherThread) {
  ComScope com;
  opcsim::Simulator sim;
  {
    com_ptr<IOPCServer> server;
    ASSERT_EQ(S_OK, CoCreateInstance(sim.Clsid(), nullptr, CLSCTX_SERVER, IID_IOPCServer, server.put_void()));
    OPCHANDLE h;
    DWORD rate;
    com_ptr<IOPCItemMgt> group;
    ASSERT_EQ(S_OK, server->AddGroup(OLESTR("shared"), TRUE, 100, 0, nullptr, nullptr, 0, &h, &rate, IID_IOPCItemMgt,
                                     PutUnknown(group)));
    OPCITEMDEF def = {};
    def.szAccessPath = const_cast<LPWSTR>(OLESTR(""));
    def.szItemID = const_cast<LPWSTR>(OLESTR("Plant.Types.Int32"));
    def.bActive = TRUE;
    comown::task_item_results results(1);
    comown::task_values<HRESULT> errors;
    ASSERT_EQ(S_OK, group->AddItems(1, &def, results.put(), errors.put()));
    OPCHANDLE item = results[0].hServer;

    com_ptr<IGlobalInterfaceTable> git;
    ASSERT_EQ(S_OK, CoCreateInstance(CLSID_StdGlobalInterfaceTable, nullptr, CLSCTX_INPROC_SERVER,
                                     IID_IGlobalInterfaceTable, git.put_void()));
    com_ptr<IOPCSyncIO> io = group.as<IOPCSyncIO>();
    DWORD cookie = 0;
    ASSERT_EQ(S_OK, git->RegisterInterfaceInGlobal(io.get(), IID_IOPCSyncIO, &cookie));
    HRESULT threadResult = E_FAIL;
    std::thread([&] {
      ComScope mta(COINIT_MULTITHREADED);
      com_ptr<IGlobalInterfaceTable> table;
      CoCreateInstance(CLSID_StdGlobalInterfaceTable, nullptr, CLSCTX_INPROC_SERVER, IID_IGlobalInterfaceTable,
                       table.put_void());
      com_ptr<IOPCSyncIO> remote;
      if (!table || FAILED(table->GetInterfaceFromGlobal(cookie, IID_IOPCSyncIO, remote.put_void()))) return;
      opcsim::Variant v = opcsim::variant::I4(99);
      comown::task_values<HRESULT> errs;
      threadResult = remote->Write(1, &item, v.get(), errs.put());
    }).join();
    EXPECT_EQ(S_OK, threadResult);
    EXPECT_EQ(S_OK, git->RevokeInterfaceFromGlobal(cookie));
    opcsim::Variant value;
    sim.GetValue("Plant.Types.Int32", &value);
    EXPECT_EQ(99, value.get()->lVal);
  }
  EXPECT_EQ(0, opcsim::LiveObjects());
}
