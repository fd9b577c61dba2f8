// Reads and writes from other threads, through the Global Interface Table.
#include <thread>

#include "group_test_support.h"

using namespace grouptest;

namespace {

class ThreadsTest : public GroupTest {};

const Ids kIds = {"Plant.Types.Int32", "Plant.Types.String"};

TEST_F(ThreadsTest, AnotherApartmentReadsAndWrites) {
  const unsigned long group = Defined({"VEM_APP_INPUTS", kIds, {}, nullptr, 1, 1, 1});
  for (const DWORD model : {COINIT_MULTITHREADED, COINIT_APARTMENTTHREADED}) {
    SCOPED_TRACE(model);
    long results[3] = {E_UNEXPECTED, E_UNEXPECTED, E_UNEXPECTED};
    Values values = {variant::I4(static_cast<LONG>(model) + 10), variant::Str("from a thread")}, read(2);
    std::thread([&] {
      const HRESULT com = CoInitializeEx(nullptr, model);
      results[0] = client->SyncWriteGroup(group, Array(values), 1);
      results[1] = client->ASyncWriteGroup(group, Array(values), 1);
      results[2] = client->SyncReadGroup(group, Array(read), 1, OPC_DS_DEVICE);
      if (SUCCEEDED(com)) CoUninitialize();
    }).join();
    for (long hr : results) EXPECT_EQ(S_OK, hr);
    EXPECT_EQ(Shown(*values[0]) + Shown(*values[1]), Shown(*read[0]) + Shown(*read[1]));
  }
}

// A thread that never entered COM cannot fetch from the table: the failure is
// reported like any other, on that thread.
TEST_F(ThreadsTest, AThreadOutsideComGetsTheTablesAnswer) {
  const unsigned long group = Defined({"G", kIds});
  ReportedError error;
  std::thread([&] {
    Values read(2);
    error = Reported(client->SyncReadGroup(group, Array(read), 1, OPC_DS_CACHE));
  }).join();
  const comown::com_ptr<VEMDcnOpcError> expected(
      VEMDcnOpcClientInspector(*client).GetError(CO_E_NOTINITIALIZED, "IOPCSyncIO->Read()"), comown::attach);
  EXPECT_EQ(Utf8(expected->GetNLSMessage()), error.message);
  EXPECT_EQ(0u, sim->Calls().Count("IOPCSyncIO::Read"));
}

}  // namespace
