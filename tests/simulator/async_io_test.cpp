// Asynchronous requests and their completions at the group's subscriber.
#include <atomic>
#include <cstdio>

#include "sim_test.h"

using namespace simtest;

namespace {

std::string Hex(HRESULT hr) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(hr));
  return text;
}

// Records each callback as one line: kind, transaction, client group handle,
// "failed" when the master error is not S_OK, then each item's client handle
// with "=value" (as VT_I4) where a value travels and ":error" where it failed.
class Sink final : public IOPCDataCallback {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
    *ppv = nullptr;
    if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_IOPCDataCallback)) return E_NOINTERFACE;
    *ppv = static_cast<IOPCDataCallback*>(this);
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs; }
  ULONG STDMETHODCALLTYPE Release() override { return --refs; }  // lives on the test's stack

  HRESULT STDMETHODCALLTYPE OnDataChange(DWORD t, OPCHANDLE g, HRESULT, HRESULT e, DWORD n, OPCHANDLE* c, VARIANT* v,
                                         WORD*, FILETIME*, HRESULT* errors) override {
    return Record("data", t, g, e, n, c, v, errors);
  }
  HRESULT STDMETHODCALLTYPE OnReadComplete(DWORD t, OPCHANDLE g, HRESULT, HRESULT e, DWORD n, OPCHANDLE* c,
                                           VARIANT* v, WORD*, FILETIME*, HRESULT* errors) override {
    return Record("read", t, g, e, n, c, v, errors);
  }
  HRESULT STDMETHODCALLTYPE OnWriteComplete(DWORD t, OPCHANDLE g, HRESULT e, DWORD n, OPCHANDLE* c,
                                            HRESULT* errors) override {
    return Record("write", t, g, e, n, c, nullptr, errors);
  }
  HRESULT STDMETHODCALLTYPE OnCancelComplete(DWORD t, OPCHANDLE g) override {
    return Record("cancel", t, g, S_OK, 0, nullptr, nullptr, nullptr);
  }

  std::atomic<ULONG> refs{0};
  std::vector<std::string> events;

 private:
  HRESULT Record(const char* kind, DWORD t, OPCHANDLE g, HRESULT master, DWORD n, OPCHANDLE* c, VARIANT* v,
                 HRESULT* errors) {
    std::string line = std::string(kind) + " " + std::to_string(t) + " " + std::to_string(g);
    if (master != S_OK) line += " failed";
    for (DWORD i = 0; i < n; ++i) {
      line += " " + std::to_string(c[i]);
      opcsim::Variant value;
      if (v && SUCCEEDED(VariantChangeType(value.put(), &v[i], 0, VT_I4))) line += "=" + std::to_string(value.get()->lVal);
      if (errors[i] != S_OK) line += ":" + Hex(errors[i]);
    }
    events.push_back(line);
    return S_OK;
  }
};

class AsyncIO : public SimTest {
 protected:
  explicit AsyncIO(opcsim::Options options = opcsim::Options()) : SimTest(std::move(options)) {}
  void SetUp() override {
    SimTest::SetUp();
    group_ = AddGroup("async");
    io_ = group_.as<IOPCAsyncIO2>();
    ASSERT_EQ(S_OK, group_.as<IConnectionPointContainer>()->FindConnectionPoint(IID_IOPCDataCallback, point_.put()));
    handles_ = AddItems(group_.get(), {"Plant.Types.Int32", "Plant.Types.Int16"});
  }
  void TearDown() override {
    point_.reset();
    io_.reset();
    group_.reset();
    SimTest::TearDown();
    EXPECT_EQ(0u, sink_.refs.load()) << "the group let its subscriber go";
  }
  void Subscribe() { ASSERT_EQ(S_OK, point_->Advise(&sink_, &cookie_)); }

  Sink sink_;
  com_ptr<IOPCItemMgt> group_;
  com_ptr<IOPCAsyncIO2> io_;
  com_ptr<IConnectionPoint> point_;
  std::vector<OPCHANDLE> handles_;
  DWORD cookie_ = 0;
};

opcsim::Options Queued() {
  opcsim::Options o;
  o.asyncDelivery = opcsim::AsyncDelivery::Queued;
  return o;
}

class QueuedAsyncIO : public AsyncIO {
 protected:
  QueuedAsyncIO() : AsyncIO(Queued()) {}
};

using Events = std::vector<std::string>;

}  // namespace

TEST_F(AsyncIO, NeedsOneSubscriber) {
  DWORD cancel = 9;
  comown::task_values<HRESULT> errors;
  EXPECT_EQ(CONNECT_E_NOCONNECTION, io_->Read(2, handles_.data(), 1, &cancel, errors.put()));
  EXPECT_FALSE(errors);
  EXPECT_EQ(CONNECT_E_NOCONNECTION, io_->SetEnable(FALSE));
  Subscribe();
  DWORD second = 0;
  EXPECT_EQ(CONNECT_E_ADVISELIMIT, point_->Advise(&sink_, &second));
  EXPECT_EQ(CONNECT_E_NOCONNECTION, point_->Unadvise(cookie_ + 1));
  EXPECT_EQ(S_OK, point_->Unadvise(cookie_));
}

TEST_F(AsyncIO, CompletionsArriveWithinTheCallWithTheTransaction) {
  Subscribe();
  VARIANT values[3] = {};
  for (VARIANT& v : values) v.vt = VT_I4;
  values[0].lVal = 77;
  values[1].lVal = 100000;  // too big for VT_I2: fails in the completion
  OPCHANDLE handles[] = {handles_[0], handles_[1], 31337};
  DWORD cancel = 0;
  comown::task_values<HRESULT> errors;
  ASSERT_EQ(S_FALSE, io_->Write(3, handles, values, 5, &cancel, errors.put()));
  EXPECT_EQ(OPC_E_INVALIDHANDLE, errors[2]);
  ASSERT_EQ(S_OK, io_->Read(2, handles_.data(), 6, &cancel, errors.put()));
  ASSERT_EQ(S_OK, io_->Refresh2(OPC_DS_CACHE, 8, &cancel));
  EXPECT_EQ(E_FAIL, io_->Cancel2(cancel)) << "already delivered";
  // 7 is the client's group handle, 100 and 101 the items' client handles.
  EXPECT_EQ((Events{"write 5 7 failed 100 101:" + Hex(OPC_E_RANGE), "read 6 7 100=77 101=-16",
                    "data 8 7 100=77 101=-16"}),
            sink_.events);
  EXPECT_EQ(S_OK, point_->Unadvise(cookie_));
}

TEST_F(AsyncIO, DisabledGroupsGetNoDataChangesButRefreshes) {
  Subscribe();
  BOOL enabled = FALSE;
  ASSERT_EQ(S_OK, io_->GetEnable(&enabled));
  EXPECT_TRUE(enabled);
  EXPECT_EQ(1, sim_.PublishDataChanges()) << "first notification carries every active item";
  EXPECT_EQ(0, sim_.PublishDataChanges()) << "nothing changed since";
  ASSERT_EQ(S_OK, sim_.SetValue("Plant.Types.Int16", *opcsim::variant::I2(5)));
  EXPECT_EQ(1, sim_.PublishDataChanges());
  ASSERT_EQ(S_OK, io_->SetEnable(FALSE));
  ASSERT_EQ(S_OK, sim_.SetValue("Plant.Types.Int16", *opcsim::variant::I2(6)));
  EXPECT_EQ(0, sim_.PublishDataChanges());
  DWORD cancel = 0;
  EXPECT_EQ(S_OK, io_->Refresh2(OPC_DS_DEVICE, 3, &cancel));
  EXPECT_EQ((Events{"data 0 7 100=-32 101=-16", "data 0 7 101=5", "data 3 7 100=-32 101=6"}), sink_.events);
  EXPECT_EQ(S_OK, point_->Unadvise(cookie_));
}

TEST_F(QueuedAsyncIO, QueuedCompletionsCanBeCancelled) {
  Subscribe();
  DWORD first = 0, second = 0;
  comown::task_values<HRESULT> errors;
  ASSERT_EQ(S_OK, io_->Read(2, handles_.data(), 1, &first, errors.put()));
  ASSERT_EQ(S_OK, io_->Read(1, handles_.data(), 2, &second, errors.put()));
  EXPECT_TRUE(sink_.events.empty());
  EXPECT_NE(first, second);
  EXPECT_EQ(S_OK, io_->Cancel2(first));
  EXPECT_EQ(1, sim_.DeliverCompletions());
  EXPECT_EQ((Events{"cancel 1 7", "read 2 7 100=-32"}), sink_.events);
  EXPECT_EQ(S_OK, point_->Unadvise(cookie_));
}
