// The registrations simulators share: the second keeps its class, ProgID and
// server list when the first goes.
#include <functional>
#include <future>
#include <memory>
#include <thread>

#include "sim_test.h"

using namespace simtest;

namespace {

std::vector<GUID> Classes(IOPCServerList* list, CATID category) {
  com_ptr<IEnumGUID> e;
  std::vector<GUID> out;
  GUID g;
  ULONG fetched = 0;
  if (SUCCEEDED(list->EnumClassesOfCategories(1, &category, 0, nullptr, e.put())))
    while (e->Next(1, &g, &fetched) == S_OK) out.push_back(g);
  return out;
}

com_ptr<IOPCServerList> ServerList() {
  com_ptr<IOPCServerList> list;
  EXPECT_EQ(S_OK, CoCreateInstance(CLSID_OpcServerList, nullptr, CLSCTX_SERVER, IID_IOPCServerList, list.put_void()));
  return list;
}

// A simulator on a thread of its own, in an apartment that ends with it.
class SimulatorThread {
 public:
  SimulatorThread() {
    std::promise<void> started;
    std::future<void> ready = started.get_future();
    thread_ = std::thread([&started, stop = stop_.get_future()] {
      ComScope com;
      opcsim::Simulator sim;
      started.set_value();
      stop.wait();
    });
    ready.wait();
  }
  ~SimulatorThread() {
    stop_.set_value();
    thread_.join();
  }

 private:
  std::promise<void> stop_;
  std::thread thread_;
};

}  // namespace

TEST(SharedRegistrations, TheSecondSimulatorKeepsItsClassProgIdAndServerListWhenTheFirstGoes) {
  const struct {
    const char* first;
    std::function<std::shared_ptr<void>()> start;
  } cases[] = {
      {"in this apartment", [] { return std::make_shared<opcsim::Simulator>(); }},
      {"in an apartment that ends with it", [] { return std::make_shared<SimulatorThread>(); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.first);
    ComScope com;
    {
      std::shared_ptr<void> first = c.start();
      opcsim::Simulator second;
      EXPECT_EQ(1u, Classes(ServerList().get(), CATID_OPCDAServer20).size()) << "one class, served by both";
      first.reset();
      CLSID clsid = CLSID_NULL;
      EXPECT_EQ(S_OK, CLSIDFromProgID(OLESTR("OpcSim.DAServer.1"), &clsid));
      EXPECT_TRUE(IsEqualCLSID(second.Clsid(), clsid));
      com_ptr<IOPCServer> server;
      EXPECT_EQ(S_OK, CoCreateInstance(second.Clsid(), nullptr, CLSCTX_SERVER, IID_IOPCServer, server.put_void()));
      com_ptr<IOPCServerList> list = ServerList();
      ASSERT_TRUE(list);
      EXPECT_EQ(1u, Classes(list.get(), CATID_OPCDAServer20).size());
      LPOLESTR progId = nullptr, userType = nullptr;  // a class the list does not have
      EXPECT_EQ(REGDB_E_CLASSNOTREG, list->GetClassDetails(CLSID_OpcServerList, &progId, &userType));
      EXPECT_EQ(2u, second.Calls().Count("IOPCServerList::EnumClassesOfCategories")) << "served by the latest";
    }
    EXPECT_EQ(0, opcsim::LiveObjects());
  }
}
