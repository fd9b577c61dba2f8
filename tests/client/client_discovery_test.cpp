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

TEST_F(DiscoveryTest, EnumerationFailuresNameTheCall) {
  opcsim::Simulator sim;
  VEMDcnOpcClient client;
  QARListValQARUnicodeString* list = nullptr;
  for (const char* method : {"IOPCServerList::EnumClassesOfCategories", "IEnumGUID::Reset", "IEnumGUID::Next"}) {
    sim.Faults().Clear();
    sim.Faults().Add(opcsim::Fault::Fail(method, E_UNEXPECTED));
    const ReportedError error = Reported(client.GetOpcServerList(&list));
    ASSERT_TRUE(error.present) << method;
    EXPECT_EQ(method, error.parameters[2]);  // the context names the failed call
    client.OpcStop();
  }
  EXPECT_EQ(nullptr, list);
}

TEST_F(DiscoveryTest, HostWithoutTheComponentFailsAtActivation) {
  opcsim::Options options;
  options.serverList = false;
  opcsim::Simulator sim(options);
  VEMDcnOpcClient client;
  QARListValQARUnicodeString* list = nullptr;
  const long hr = client.GetOpcServerList(&list);
  EXPECT_TRUE(FAILED(hr));
  const ReportedError error = Reported(hr);
  ASSERT_TRUE(error.present);
  EXPECT_EQ("CoCreateInstanceEx", error.parameters[2]);
  EXPECT_EQ(nullptr, list);
  EXPECT_EQ(E_POINTER, client.GetOpcServerList(nullptr));
  client.OpcStop();
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
