// The server-list component over the classes registered on a host, and the
// registrations simulators share.
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
  if (FAILED(list->EnumClassesOfCategories(1, &category, 0, nullptr, e.put()))) return out;
  GUID g;
  ULONG fetched = 0;
  while (e->Next(1, &g, &fetched) == S_OK) out.push_back(g);
  return out;
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

opcsim::Options ThreeServers() {
  opcsim::Options o;
  o.classes.push_back(opcsim::ServerClass::Numbered(2));
  o.classes.push_back(opcsim::ServerClass::Numbered(3));
  o.classes[1].classDetailsError = REGDB_E_READREGDB;
  o.classes[2].categories = {CATID_OPCDAServer30};
  return o;
}

}  // namespace

TEST(ServerList, ListsTheHostsClassesByCategory) {
  ComScope com;
  opcsim::Simulator sim(ThreeServers());
  ASSERT_EQ(S_OK, sim.RegistrationResult());
  {
    com_ptr<IOPCServerList> list;
    ASSERT_EQ(S_OK, CoCreateInstance(CLSID_OpcServerList, nullptr, CLSCTX_SERVER, IID_IOPCServerList, list.put_void()));
    std::vector<GUID> da20 = Classes(list.get(), CATID_OPCDAServer20);
    ASSERT_EQ(2u, da20.size());
    EXPECT_TRUE(IsEqualGUID(CLSID_OpcSimDAServer, da20[0]));
    EXPECT_TRUE(IsEqualGUID(opcsim::ServerClass::Numbered(2).clsid, da20[1]));
    EXPECT_EQ(1u, Classes(list.get(), CATID_OPCDAServer30).size());

    LPOLESTR progId = nullptr, userType = nullptr;
    ASSERT_EQ(S_OK, list->GetClassDetails(da20[0], &progId, &userType));
    EXPECT_EQ("OpcSim.DAServer.1", Take(progId));
    EXPECT_EQ("Simulation OPC DA Server", Take(userType));
    EXPECT_EQ(REGDB_E_READREGDB, list->GetClassDetails(da20[1], &progId, &userType));
    EXPECT_EQ(nullptr, progId);
    EXPECT_EQ(REGDB_E_CLASSNOTREG, list->GetClassDetails(CLSID_OpcServerList, &progId, &userType));

    CLSID clsid = CLSID_NULL;
    ASSERT_EQ(S_OK, list->CLSIDFromProgID(OLESTR("OpcSim.DAServer3.1"), &clsid));
    EXPECT_TRUE(IsEqualGUID(opcsim::ServerClass::Numbered(3).clsid, clsid));
    EXPECT_EQ(CO_E_CLASSSTRING, list->CLSIDFromProgID(OLESTR("Nobody.Server.1"), &clsid));

    // The system knows the ProgIDs too, which clients use when details fail.
    LPOLESTR registered = nullptr;
    ASSERT_EQ(S_OK, ProgIDFromCLSID(da20[1], &registered));
    EXPECT_EQ("OpcSim.DAServer2.1", Take(registered));
  }
  EXPECT_EQ(0, opcsim::LiveObjects());
}

TEST(ServerList, AHostWithoutTheComponentHasNoServerList) {
  ComScope com;
  opcsim::Options o;
  o.serverList = false;
  opcsim::Simulator sim(o);
  com_ptr<IOPCServerList> list;
  EXPECT_EQ(REGDB_E_CLASSNOTREG,
            CoCreateInstance(CLSID_OpcServerList, nullptr, CLSCTX_SERVER, IID_IOPCServerList, list.put_void()));
  com_ptr<IOPCServer> server;
  EXPECT_EQ(S_OK, CoCreateInstance(sim.Clsid(), nullptr, CLSCTX_SERVER, IID_IOPCServer, server.put_void()));
}

TEST(ServerList, EmptyCategoryEnumeratesNothing) {
  ComScope com;
  opcsim::Options o;
  o.classes[0].categories = {CATID_OPCDAServer10};
  opcsim::Simulator sim(o);
  com_ptr<IOPCServerList> list;
  ASSERT_EQ(S_OK, CoCreateInstance(CLSID_OpcServerList, nullptr, CLSCTX_SERVER, IID_IOPCServerList, list.put_void()));
  CATID category = CATID_OPCDAServer20;
  com_ptr<IEnumGUID> e;
  ASSERT_EQ(S_OK, list->EnumClassesOfCategories(1, &category, 0, nullptr, e.put()));
  GUID g;
  ULONG fetched = 5;
  EXPECT_EQ(S_FALSE, e->Next(1, &g, &fetched));
  EXPECT_EQ(0u, fetched);
}

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
      first.reset();
      CLSID clsid = CLSID_NULL;
      EXPECT_EQ(S_OK, CLSIDFromProgID(OLESTR("OpcSim.DAServer.1"), &clsid));
      EXPECT_TRUE(IsEqualCLSID(second.Clsid(), clsid));
      com_ptr<IOPCServer> server;
      EXPECT_EQ(S_OK, CoCreateInstance(second.Clsid(), nullptr, CLSCTX_SERVER, IID_IOPCServer, server.put_void()));
      com_ptr<IOPCServerList> list;
      ASSERT_EQ(S_OK, CoCreateInstance(CLSID_OpcServerList, nullptr, CLSCTX_SERVER, IID_IOPCServerList,
                                       list.put_void()));
      EXPECT_EQ(1u, Classes(list.get(), CATID_OPCDAServer20).size());
      EXPECT_EQ(1u, second.Calls().Count("IOPCServerList::EnumClassesOfCategories")) << "logged by the one left";
    }
    EXPECT_EQ(0, opcsim::LiveObjects());
  }
}
