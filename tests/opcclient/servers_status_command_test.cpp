// opcclient servers and status: the machine's servers, a server's state, and
// the choice of server every command shares.
#include "opcclient_test_support.h"

namespace {

using namespace opcclienttest;
using opcclient::Format;

class ServersStatusCommand : public CommandTest {
 protected:
  Result Servers(bool sim, Format format = Format::Table) {
    return RunCommand([&](opcclient::Console& console) { return opcclient::ListServers(embedded, sim, format, console); });
  }
  Result Status(const opcclient::ServerChoice& choice) {
    return RunCommand([&](opcclient::Console& console) { return opcclient::ShowStatus(choice, console); });
  }
};

TEST_F(ServersStatusCommand, ListsTheSimulatorOnlyWhenAskedFor) {
  const Result simulated = Servers(true);
  EXPECT_EQ(opcclient::kSucceeded, simulated.code) << simulated.err;
  EXPECT_EQ(
      "ProgID             Description               CLSID\n"
      "-----------------  ------------------------  --------------------------------------\n"
      "OpcSim.DAServer.1  Simulation OPC DA Server  {CFE1FC40-42BB-4694-AF1B-CDCD7AE6ECEE}\n",
      simulated.out);
  const Result machine = Servers(false, Format::Json);
  EXPECT_EQ(opcclient::kSucceeded, machine.code);
  EXPECT_EQ("[]\n", machine.out);
  EXPECT_EQ("opcclient: this machine has no OPC server list, so no server to list (--sim lists the embedded simulator)\n",
            machine.err);
}

// A server list the machine has (here a simulator's, registered by the test) is the one listed.
TEST_F(ServersStatusCommand, ListsEveryServerOfTheMachinesList) {
  opcsim::Options options;
  options.classes = {opcsim::ServerClass{}, opcsim::ServerClass::Numbered(2)};
  opcsim::Simulator simulator(options);
  const auto servers = opcclient::Json::parse(Servers(false, Format::Json).out);
  ASSERT_EQ(2u, servers.size());
  EXPECT_EQ("OpcSim.DAServer2.1", servers[1]["progId"]);
  EXPECT_EQ("Simulation OPC DA Server 2", servers[1]["description"]);
}

TEST_F(ServersStatusCommand, StatusOfTheEmbeddedOrANamedServer) {
  const Result result = Status(embedded);
  EXPECT_EQ(opcclient::kSucceeded, result.code);
  EXPECT_EQ(
      "Server:  OpcSim.DAServer.1 on this machine\n"
      "Status:  Simulation OPC DA Server (version 2.5, build 0)\n"
      "State:   Running\n",
      result.out);
  opcclient::ServerChoice missing;
  missing.server = "Missing.Server.1";
  const Result failed = Status(missing);
  EXPECT_EQ(opcclient::kFailed, failed.code);
  EXPECT_EQ("", failed.out);
  EXPECT_EQ(0u, failed.err.find("opcclient: connecting to Missing.Server.1 failed (0x80004005): "
                                "[System] Error - Server Missing.Server.1 not found"))
      << failed.err;
}

TEST_F(ServersStatusCommand, AnAddressSpaceFileThatCannotBeLoadedIsRefused) {
  embedded.simSpace = "no-such-space.txt";
  const Result result = Status(embedded);
  EXPECT_EQ(opcclient::kRefused, result.code);
  EXPECT_EQ(0u, result.err.find("opcclient: cannot load the address space no-such-space.txt: ")) << result.err;
}

}  // namespace
