// Reads and writes from other threads, through the Global Interface Table.
#include <thread>

#include "group_test_support.h"

using namespace grouptest;
namespace variant = opcsim::variant;

namespace {

class ThreadsTest : public GroupTest {
 protected:
  const Ids ids = {"Plant.Types.Int32", "Plant.Types.String"};
};

TEST_F(ThreadsTest, AnotherApartmentReadsAndWrites) {
  const unsigned long group = Defined({"VEM_APP_INPUTS", ids, {}, nullptr, 1, 1, 1});
  for (const DWORD model : {COINIT_MULTITHREADED, COINIT_APARTMENTTHREADED}) {
    long results[3] = {E_UNEXPECTED, E_UNEXPECTED, E_UNEXPECTED};
    std::string read;
    std::thread([&] {
      const HRESULT com = CoInitializeEx(nullptr, model);
      {
        Values values = {variant::I4(static_cast<LONG>(model) + 10), variant::Str("from a thread")};
        results[0] = client->SyncWriteGroup(group, Array(values), 1);
        results[1] = client->ASyncWriteGroup(group, Array(values), 1);
        Values state(2);
        results[2] = client->SyncReadGroup(group, Array(state), 1, OPC_DS_DEVICE);
        read = Shown(*state[0]) + " " + Shown(*state[1]);
      }
      if (SUCCEEDED(com)) CoUninitialize();
    }).join();
    SCOPED_TRACE(model);
    for (long hr : results) EXPECT_EQ(S_OK, hr);
    EXPECT_EQ(Shown(*variant::I4(static_cast<LONG>(model) + 10)) + " " + Shown(*variant::Str("from a thread")), read);
  }
}

// A thread that never entered COM cannot fetch from the table: the failure is
// reported like any other, on that thread.
TEST_F(ThreadsTest, AThreadOutsideComGetsTheTablesAnswer) {
  const unsigned long group = Defined({"G", ids});
  ReportedError error;
  std::thread([&] {
    Values state(2);
    error = Reported(client->SyncReadGroup(group, Array(state), 1, OPC_DS_CACHE));
  }).join();
  VEMDcnOpcError* expected = VEMDcnOpcClientInspector(*client).GetError(CO_E_NOTINITIALIZED, "IOPCSyncIO->Read()");
  EXPECT_EQ(Utf8(expected->GetNLSMessage()), error.message);
  expected->Release();
  EXPECT_EQ(0u, sim->Calls().Count("IOPCSyncIO::Read"));
}

}  // namespace
