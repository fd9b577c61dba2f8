// Completions of asynchronous writes, called back across processes. The
// server sends them from a thread of its own after the write returned; a
// single-threaded client takes them only while its thread dispatches
// messages or waits in an outgoing call, never while it blocks otherwise.
#include "VEMDcnOpcClient.h"
#include "xproc_test_support.h"

namespace xproc {
namespace {

using comown::com_ptr;
using Callbacks = CrossProcessTest;
using opcsim::Variant;
namespace variant = opcsim::variant;

// Counts the write completions it receives, with the last transaction's ID.
class WriteSink : public IOPCDataCallback {
 public:
  LONG completions = 0;
  DWORD transaction = 0;
  HRESULT masterError = E_UNEXPECTED;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_IOPCDataCallback)) {
      *out = nullptr;
      return E_NOINTERFACE;
    }
    *out = static_cast<IOPCDataCallback*>(this);
    AddRef();
    return S_OK;
  }
  // Lives on the test's stack, beyond every reference the server holds.
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE OnDataChange(DWORD, OPCHANDLE, HRESULT, HRESULT, DWORD, OPCHANDLE*, VARIANT*, WORD*,
                                         FILETIME*, HRESULT*) override {
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE OnReadComplete(DWORD, OPCHANDLE, HRESULT, HRESULT, DWORD, OPCHANDLE*, VARIANT*, WORD*,
                                           FILETIME*, HRESULT*) override {
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE OnWriteComplete(DWORD id, OPCHANDLE, HRESULT error, DWORD, OPCHANDLE*, HRESULT*) override {
    transaction = id;
    masterError = error;
    ++completions;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE OnCancelComplete(DWORD, OPCHANDLE) override { return S_OK; }
};

TEST_F(Callbacks, AWriteCompletionArrivesOnceTheClientDispatches) {
  com_ptr<IOPCServer> server = ActivateServer();
  ASSERT_TRUE(server);
  OPCHANDLE group = 0;
  DWORD rate = 0;
  com_ptr<IOPCItemMgt> items;
  ASSERT_EQ(S_OK, server->AddGroup(L"g", TRUE, 1000, 7, nullptr, nullptr, 0x0409, &group, &rate, IID_IOPCItemMgt,
                                   reinterpret_cast<LPUNKNOWN*>(items.put())));
  OPCITEMDEF def = {};
  def.szAccessPath = const_cast<LPWSTR>(L"");
  def.szItemID = const_cast<LPWSTR>(L"Plant.Types.Int32");
  def.bActive = TRUE;
  comown::task_item_results results(1);
  comown::task_values<HRESULT> addErrors(1);
  ASSERT_EQ(S_OK, items->AddItems(1, &def, results.put(), addErrors.put()));
  OPCHANDLE item = results[0].hServer;

  WriteSink sink;
  com_ptr<IConnectionPoint> point;
  ASSERT_EQ(S_OK, items.as<IConnectionPointContainer>()->FindConnectionPoint(IID_IOPCDataCallback, point.put()));
  DWORD cookie = 0;
  ASSERT_EQ(S_OK, point->Advise(&sink, &cookie));
  com_ptr<IOPCAsyncIO2> io = items.as<IOPCAsyncIO2>();
  ASSERT_TRUE(io);

  // How the client waits after the write: the completion is there or not.
  const struct {
    const char* wait;
    std::function<void()> waitFor;
    LONG completions;
  } rows[] = {
      {"blocks without dispatching", [] { Sleep(500); }, 0},
      {"dispatches messages", [&] { PumpUntil([&] { return sink.completions > 0; }, 5000); }, 1},
      {"calls the server", [&] {
         Sleep(200);  // the server is calling back by now
         comown::task_server_status status;
         server->GetStatus(status.put());
       }, 1},
  };
  DWORD transaction = 100;
  for (const auto& row : rows) {
    SCOPED_TRACE(row.wait);
    // A completion that the previous row left waiting arrives first.
    PumpUntil([&] { return false; }, 100);
    sink.completions = 0;
    Variant value = variant::I4(static_cast<LONG>(transaction));
    DWORD cancelId = 0;
    comown::task_values<HRESULT> errors;
    ASSERT_EQ(S_OK, io->Write(1, &item, value.get(), ++transaction, &cancelId, errors.put()));
    EXPECT_EQ(0, sink.completions);  // never from within the call
    row.waitFor();
    EXPECT_EQ(row.completions, sink.completions);
    if (row.completions > 0) {
      EXPECT_EQ(transaction, sink.transaction);
      EXPECT_EQ(S_OK, sink.masterError);
    }
  }
  EXPECT_EQ(S_OK, point->Unadvise(cookie));
  io.reset();
  point.reset();
  items.reset();
  EXPECT_EQ(S_OK, server->RemoveGroup(group, FALSE));
}

// The library's asynchronous group across processes: its subscription takes
// the completions while the host dispatches, and the stop ends it.
TEST_F(Callbacks, TheAsynchronousGroupWritesAndStops) {
  VEMDcnOpcClient client;
  ASSERT_EQ(S_OK, client.OpcStart(Text(kServerProgId), Text(""), 1000, 0.0f));
  const std::vector<std::string> ids = {"Plant.Types.Int32", "Plant.Types.String"};
  unsigned long group = 0;
  ASSERT_EQ(S_OK, DefineGroup(client, "VEM_APP_INPUTS", ids, 0, 1, group));
  Variant written[2] = {variant::I4(7), variant::Str("async")}, read[2];
  EXPECT_EQ(S_OK, client.ASyncWriteGroup(group, written[0].get(), 0));
  PumpUntil([] { return false; }, 200);  // the completion arrives
  EXPECT_EQ(S_OK, client.SyncReadGroup(group, read[0].get(), 0, OPC_DS_DEVICE));
  EXPECT_EQ(Shown(*written[0]) + Shown(*written[1]), Shown(*read[0]) + Shown(*read[1]));
  EXPECT_EQ(S_OK, client.OpcStop());
  EXPECT_TRUE(WaitForNoServer(10000));
}

}  // namespace
}  // namespace xproc
