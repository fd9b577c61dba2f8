// Asynchronous requests and their completions at the group's subscriber.
#include <atomic>

#include "sim_test.h"

using namespace simtest;

namespace {

// Records what the server calls back.
class Sink final : public IOPCDataCallback {
 public:
  struct Event {
    std::string kind;
    DWORD transaction;
    OPCHANDLE group;
    HRESULT master;
    std::vector<OPCHANDLE> clients;
    std::vector<HRESULT> errors;
    std::vector<LONG> values;  // as VT_I4 where they convert
  };

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
    events.push_back(Event{"cancel", t, g, S_OK, {}, {}, {}});
    return S_OK;
  }

  std::atomic<ULONG> refs{0};
  std::vector<Event> events;

 private:
  HRESULT Record(const char* kind, DWORD t, OPCHANDLE g, HRESULT master, DWORD n, OPCHANDLE* c, VARIANT* v,
                 HRESULT* errors) {
    Event e{kind, t, g, master, std::vector<OPCHANDLE>(c, c + n), std::vector<HRESULT>(errors, errors + n), {}};
    for (DWORD i = 0; v && i < n; ++i) {
      opcsim::Variant l(v[i]);
      e.values.push_back(SUCCEEDED(l.change_type(VT_I4)) ? l.get()->lVal : -1);
    }
    events.push_back(std::move(e));
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
    com_ptr<IConnectionPointContainer> container =
        group_.as<IConnectionPointContainer>();
    ASSERT_TRUE(io_ && container);
    ASSERT_EQ(S_OK, container->FindConnectionPoint(IID_IOPCDataCallback, point_.put()));
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

}  // namespace

TEST_F(AsyncIO, NeedsASubscriber) {
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
  comown::task_values<HRESULT> errors(3);
  ASSERT_EQ(S_FALSE, io_->Write(3, handles, values, 5, &cancel, errors.put()));
  EXPECT_EQ(OPC_E_INVALIDHANDLE, errors[2]);
  ASSERT_EQ(1u, sink_.events.size());
  EXPECT_EQ("write", sink_.events[0].kind);
  EXPECT_EQ(5u, sink_.events[0].transaction);
  EXPECT_EQ(7u, sink_.events[0].group) << "the client's group handle";
  EXPECT_EQ((std::vector<OPCHANDLE>{100, 101}), sink_.events[0].clients);
  EXPECT_EQ((std::vector<HRESULT>{S_OK, OPC_E_RANGE}), sink_.events[0].errors);
  EXPECT_EQ(S_FALSE, sink_.events[0].master);

  ASSERT_EQ(S_OK, io_->Read(2, handles_.data(), 6, &cancel, errors.put()));
  ASSERT_EQ(2u, sink_.events.size());
  EXPECT_EQ("read", sink_.events[1].kind);
  EXPECT_EQ(6u, sink_.events[1].transaction);
  EXPECT_EQ((std::vector<LONG>{77, -16}), sink_.events[1].values);

  ASSERT_EQ(S_OK, io_->Refresh2(OPC_DS_CACHE, 8, &cancel));
  ASSERT_EQ(3u, sink_.events.size());
  EXPECT_EQ("data", sink_.events[2].kind);
  EXPECT_EQ(8u, sink_.events[2].transaction);
  EXPECT_EQ(E_FAIL, io_->Cancel2(cancel)) << "already delivered";
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
  EXPECT_EQ(std::vector<OPCHANDLE>{101}, sink_.events.back().clients);
  EXPECT_EQ(0u, sink_.events.back().transaction);

  ASSERT_EQ(S_OK, io_->SetEnable(FALSE));
  ASSERT_EQ(S_OK, sim_.SetValue("Plant.Types.Int16", *opcsim::variant::I2(6)));
  EXPECT_EQ(0, sim_.PublishDataChanges());
  DWORD cancel = 0;
  EXPECT_EQ(S_OK, io_->Refresh2(OPC_DS_DEVICE, 3, &cancel));
  EXPECT_EQ("data", sink_.events.back().kind);
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
  ASSERT_EQ(1u, sink_.events.size());
  EXPECT_EQ("cancel", sink_.events[0].kind);
  EXPECT_EQ(1u, sink_.events[0].transaction);
  EXPECT_EQ(1, sim_.DeliverCompletions());
  EXPECT_EQ("read", sink_.events[1].kind);
  EXPECT_EQ(2u, sink_.events[1].transaction);
  EXPECT_EQ(S_OK, point_->Unadvise(cookie_));
}
