// Group pointers work from other threads through the Global Interface Table.
#include <thread>

#include "sim_test.h"

using namespace simtest;

namespace {

class Lifetime : public SimTest {};

}  // namespace

TEST_F(Lifetime, GroupInterfacesFromTheGlobalTableWorkOnAnotherThread) {
  com_ptr<IOPCItemMgt> group = AddGroup("shared");
  OPCHANDLE item = AddItems(group.get(), {"Plant.Types.Int32"}).at(0);
  com_ptr<IGlobalInterfaceTable> git;
  ASSERT_EQ(S_OK, CoCreateInstance(CLSID_StdGlobalInterfaceTable, nullptr, CLSCTX_INPROC_SERVER,
                                   IID_IGlobalInterfaceTable, git.put_void()));
  DWORD cookie = 0;
  ASSERT_EQ(S_OK, git->RegisterInterfaceInGlobal(group.as<IOPCSyncIO>().get(), IID_IOPCSyncIO, &cookie));
  HRESULT written = E_FAIL;
  std::thread([&] {
    ComScope mta(COINIT_MULTITHREADED);
    com_ptr<IGlobalInterfaceTable> table;
    com_ptr<IOPCSyncIO> io;
    if (FAILED(CoCreateInstance(CLSID_StdGlobalInterfaceTable, nullptr, CLSCTX_INPROC_SERVER,
                                IID_IGlobalInterfaceTable, table.put_void())) ||
        FAILED(table->GetInterfaceFromGlobal(cookie, IID_IOPCSyncIO, io.put_void())))
      return;
    opcsim::Variant v = opcsim::variant::I4(99);
    comown::task_values<HRESULT> errors;
    written = io->Write(1, &item, v.get(), errors.put());
  }).join();
  EXPECT_EQ(S_OK, written);
  EXPECT_EQ(S_OK, git->RevokeInterfaceFromGlobal(cookie));
  opcsim::Variant value;
  sim_.GetValue("Plant.Types.Int32", &value);
  EXPECT_EQ(99, value.get()->lVal);
}
