// Completions of asynchronous writes, called back across processes. The
// server sends them from a thread of its own after the write returned; a
// single-threaded client takes them only while its thread dispatches
// messages or waits in an outgoing call, never while it blocks otherwise.
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
                                         FILETIME*, HRESULT*) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnReadComplete(DWORD, OPCHANDLE, HRESULT, HRESULT, DWORD, OPCHANDLE*, VARIANT*, WORD*,
                                           FILETIME*, HRESULT*) override { return S_OK; }
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

  // How the client waits after the write: what the wait itself delivers.
  const struct {
    const char* wait;
    std::function<void()> waitFor;
    bool delivers;
  } rows[] = {
      {"blocks without dispatching", [] { Sleep(500); }, false},
      {"dispatches messages", [&] { PumpUntil([&] { return sink.completions > 0; }, 5000); }, true},
      // Calls to the server, and waits between them that dispatch nothing.
      {"calls the server", [&] {
         for (int call = 0; call < 100 && sink.completions == 0; ++call) {
           comown::task_server_status status;
           server->GetStatus(status.put());
           if (sink.completions == 0) Sleep(50);
         }
       }, true},
  };
  DWORD transaction = 100;
  int skipped = 0;
  for (const auto& row : rows) {
    SCOPED_TRACE(row.wait);
    sink.completions = 0;
    Variant value = variant::I4(static_cast<LONG>(transaction));
    DWORD cancelId = 0;
    comown::task_values<HRESULT> errors;
    ASSERT_EQ(S_OK, io->Write(1, &item, value.get(), ++transaction, &cancelId, errors.put()));
    // The write's own wait for its answer may already have taken it.
    if (sink.completions > 0) {
      ++skipped;
      continue;
    }
    row.waitFor();
    EXPECT_EQ(row.delivers ? 1 : 0, sink.completions);
    // Whatever the wait, dispatching delivers it.
    EXPECT_TRUE(PumpUntil([&] { return sink.completions > 0; }, 5000));
    EXPECT_EQ(transaction, sink.transaction);
    EXPECT_EQ(S_OK, sink.masterError);
  }
  EXPECT_LT(skipped, 3) << "every completion arrived within its write";
  EXPECT_EQ(S_OK, point->Unadvise(cookie));
  io.reset();
  point.reset();
  items.reset();
  EXPECT_EQ(S_OK, server->RemoveGroup(group, FALSE));
}

}  // namespace
}  // namespace xproc
