// Groups used through the Global Interface Table from other apartments, which
// get proxies of their own to the server's group. Under Wine the table keeps
// references to the server that nothing gives back: the server is ended by
// the test, and later activations in the prefix fail for a while, so this
// suite runs last, apart from the others.
#include <thread>

#include "VEMDcnOpcClient.h"
#include "xproc_test_support.h"

namespace xproc {
namespace {

using Table = CrossProcessTest;
using opcsim::Variant;
namespace variant = opcsim::variant;

const std::vector<std::string> kItems = {"Plant.Types.Int32", "Plant.Types.String"};

TEST_F(Table, ReadAndWriteFromEveryApartment) {
  VEMDcnOpcClient client(true);
  ASSERT_EQ(S_OK, client.OpcStart(Text(kServerProgId), Text(""), 1000, 0.0f));
  unsigned long group = 0;
  ASSERT_EQ(S_OK, DefineGroup(client, "G", kItems, 1, 0, group));

  const struct {
    const char* apartment;
    DWORD model;  // 0: the defining thread itself, without the table
  } rows[] = {{"defining", 0}, {"multithreaded", COINIT_MULTITHREADED}, {"second single-threaded", COINIT_APARTMENTTHREADED}};
  LONG n = 0;
  for (const auto& row : rows) {
    SCOPED_TRACE(row.apartment);
    Variant written[2] = {variant::I4(++n), variant::Str(row.apartment)}, read[2];
    long results[2] = {E_UNEXPECTED, E_UNEXPECTED};
    const auto exchange = [&](unsigned char useGIT) {
      results[0] = client.SyncWriteGroup(group, written[0].get(), useGIT);
      results[1] = client.SyncReadGroup(group, read[0].get(), useGIT, OPC_DS_DEVICE);
    };
    if (row.model == 0) {
      exchange(0);
    } else {
      std::thread([&] {
        const HRESULT com = CoInitializeEx(nullptr, row.model);
        exchange(1);
        if (SUCCEEDED(com)) CoUninitialize();
      }).join();
    }
    EXPECT_EQ(S_OK, results[0]);
    EXPECT_EQ(S_OK, results[1]);
    EXPECT_EQ(Shown(*written[0]) + Shown(*written[1]), Shown(*read[0]) + Shown(*read[1]));
  }
  // The asynchronous group through the table, from another apartment.
  unsigned long inputs = 0;
  ASSERT_EQ(S_OK, DefineGroup(client, "VEM_APP_INPUTS", kItems, 1, 1, inputs));
  Variant written[2] = {variant::I4(8), Variant()}, read[2];
  long fromThread = E_UNEXPECTED;
  std::thread([&] {
    const HRESULT com = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    fromThread = client.ASyncWriteGroup(inputs, written[0].get(), 1);
    if (SUCCEEDED(com)) CoUninitialize();
  }).join();
  EXPECT_EQ(S_OK, fromThread);
  PumpUntil([] { return false; }, 200);  // its completion arrives
  EXPECT_EQ(S_OK, client.SyncReadGroup(inputs, read[0].get(), 0, OPC_DS_DEVICE));
  EXPECT_EQ(Shown(*written[0]), Shown(*read[0]));

  // Wine reports the revocation of each entry as a failure; the stop does not.
  EXPECT_EQ(S_OK, client.OpcStop());
  // Under Wine the entries' references keep the server's groups alive.
  EXPECT_LE(EndServerHeldByTheTable(), 1);
}

}  // namespace
}  // namespace xproc
