// Discovery: the OPC DA 2.0 servers a host offers.
#include <memory>

#include "client_test_support.h"

using namespace clienttest;

namespace {

std::vector<std::string> Names(const QARListValQARUnicodeString* list) {
  std::vector<std::string> names;
  if (list == nullptr) return names;
  for (int i = 1; i <= list->Size(); ++i) names.push_back(Utf8((*list)[i]));
  return names;
}

opcsim::Options ThreeServers() {
  opcsim::Options options;
  options.classes = {opcsim::ServerClass{}, opcsim::ServerClass::Numbered(2), opcsim::ServerClass::Numbered(3)};
  return options;
}

class DiscoveryTest : public ClientTest {};

TEST_F(DiscoveryTest, ListsEveryServerInEnumerationOrderAndAppendsOnEachCall) {
  opcsim::Simulator sim(ThreeServers());
  VEMDcnOpcClient client;
  VEMDcnOpcClientInspector view(client);
  QARListValQARUnicodeString* list = nullptr;
  EXPECT_EQ(S_OK, client.GetOpcServerList(&list));
  std::unique_ptr<QARListValQARUnicodeString> owned(list);
  const std::vector<std::string> expected = {"OpcSim.DAServer.1", "OpcSim.DAServer2.1", "OpcSim.DAServer3.1"};
  EXPECT_EQ(expected, Names(list));
  EXPECT_TRUE(view.Started());
  const opcsim::Call asked = sim.Calls().Last("IOPCServerList::EnumClassesOfCategories");
  ASSERT_EQ(1u, asked.List("implemented").size());
  EXPECT_EQ("{63D5F432-CFE4-11D1-B2C8-0060083BA1FB}", asked.List("implemented")[0]);
  EXPECT_TRUE(asked.List("required").empty());

  EXPECT_EQ(S_OK, client.GetOpcServerList(&list));
  EXPECT_EQ(6, list->Size());
  // A discovery leaves the client Started without a server: the stop says so.
  EXPECT_EQ(E_POINTER, client.OpcStop());
  EXPECT_EQ(1u, log.Count("Invalid NULL input pointer"));
  EXPECT_FALSE(view.Started());
  EXPECT_FALSE(view.ComInitialized());
}

TEST_F(DiscoveryTest, AServerWhoseDetailsFailIsSkippedAndReported) {
  opcsim::Options options = ThreeServers();
  options.classes[1].classDetailsError = E_ACCESSDENIED;
  opcsim::Simulator sim(options);
  VEMDcnOpcClient client;
  QARListValQARUnicodeString* list = nullptr;
  const long hr = client.GetOpcServerList(&list);
  std::unique_ptr<QARListValQARUnicodeString> owned(list);
  const std::vector<std::string> expected = {"OpcSim.DAServer.1", "OpcSim.DAServer3.1"};
  EXPECT_EQ(expected, Names(list));
  const ReportedError error = Reported(hr);
  ASSERT_TRUE(error.present);
  const std::string& context = error.parameters[2];
  // Named when the registry knows its ProgID.
  EXPECT_TRUE(context == "IOPCServerList::GetClassDetails(OpcSim.DAServer2.1)" ||
              context == "IOPCServerList::GetClassDetails")
      << context;
  client.OpcStop();
}

TEST_F(DiscoveryTest, EmptyCategoryAnswersSFalseAndCreatesNoList) {
  opcsim::ServerClass oldServer;
  oldServer.categories = {CATID_OPCDAServer10};
  opcsim::Simulator sim(WithClass(oldServer));
  VEMDcnOpcClient client;
  QARListValQARUnicodeString* list = nullptr;
  EXPECT_EQ(S_FALSE, client.GetOpcServerList(&list));
  EXPECT_EQ(nullptr, list);
  client.OpcStop();
}

// Each failing step names itself, and no list is made.
TEST_F(DiscoveryTest, FailuresNameTheCallAndMakeNoList) {
  const struct {
    bool serverList;
    const char* failing;  // null: none
    const char* context;
  } cases[] = {
      {false, nullptr, "CoCreateInstanceEx"},  // a host without the component
      {true, "IOPCServerList::EnumClassesOfCategories", "IOPCServerList::EnumClassesOfCategories"},
      {true, "IEnumGUID::Reset", "IEnumGUID::Reset"},
      {true, "IEnumGUID::Next", "IEnumGUID::Next"},
  };
  for (const auto& c : cases) {
    opcsim::Options options;
    options.serverList = c.serverList;
    opcsim::Simulator sim(options);
    if (c.failing != nullptr) sim.Faults().Add(opcsim::Fault::Fail(c.failing, E_UNEXPECTED));
    VEMDcnOpcClient client;
    QARListValQARUnicodeString* list = nullptr;
    const ReportedError error = Reported(client.GetOpcServerList(&list));
    ASSERT_TRUE(error.present) << c.context;
    EXPECT_EQ(c.context, error.parameters[2]);
    EXPECT_EQ(nullptr, list);
    EXPECT_EQ(E_POINTER, client.GetOpcServerList(nullptr));
    client.OpcStop();
  }
}

TEST_F(DiscoveryTest, AnEnumerationThatNeverEndsIsCutShort) {
  opcsim::Options options;
  options.enumeratorsNeverEnd = true;  // the last class again and again
  opcsim::Simulator sim(options);
  sim.Calls().Enable(false);
  VEMDcnOpcClient client;
  QARListValQARUnicodeString* list = nullptr;
  const long hr = client.GetOpcServerList(&list);
  std::unique_ptr<QARListValQARUnicodeString> owned(list);
  const ReportedError error = Reported(hr);
  ASSERT_TRUE(error.present);
  EXPECT_EQ(0u, error.parameters[2].rfind("IEnumGUID::Next: ", 0)) << error.parameters[2];
  ASSERT_NE(nullptr, list);
  EXPECT_LE(list->Size(), 100000);
  client.OpcStop();
}

}  // namespace
