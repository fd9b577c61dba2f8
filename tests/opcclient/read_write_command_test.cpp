// opcclient read and write: values through a group, formatted by the item
// model; values converted to the tags' types before anything is written.
#include "opcclient_test_support.h"

namespace {

using namespace opcclienttest;
using opcclient::Format;

class ReadWriteCommand : public CommandTest {
 protected:
  // The test's own simulator, to look at the calls it received.
  void SetUp() override {
    CommandTest::SetUp();
    simulator = std::make_unique<opcsim::Simulator>();
    choice = Named(*simulator);
  }
  void TearDown() override {
    simulator.reset();
    CommandTest::TearDown();
  }
  Result Read(const opcclient::ReadRequest& request, Format format = Format::Table) {
    return RunCommand([&](opcclient::Console& console) { return opcclient::Read(choice, request, format, console); });
  }
  Result Write(std::vector<std::string> assignments, bool async = false) {
    opcclient::WriteRequest request{std::move(assignments), async};
    return RunCommand([&](opcclient::Console& console) { return opcclient::Write(choice, request, console); });
  }
  std::string Value(const char* itemId) {
    opcsim::Variant value;
    EXPECT_EQ(S_OK, simulator->GetValue(itemId, &value));
    return opcsim::variant::Text(*value);
  }

  std::unique_ptr<opcsim::Simulator> simulator;
  opcclient::ServerChoice choice;
};

TEST_F(ReadWriteCommand, ReadsEachTagFormattedByTheItemModel) {
  opcclient::ReadRequest request;
  request.tags = {"Plant.Area1.Line1.Speed", "Plant.Types.DoubleArray", "Plant.Types.Bool", "Plant.Types.String"};
  const Result result = Read(request);
  EXPECT_EQ(opcclient::kSucceeded, result.code) << result.err;
  EXPECT_EQ(
      "Tag                      Value        Type\n"
      "-----------------------  -----------  --------------\n"
      "Plant.Area1.Line1.Speed  1200         VT_I4\n"
      "Plant.Types.DoubleArray  1.5 2.5 3.5  ARRAY OF VT_R8\n"
      "Plant.Types.Bool         TRUE         VT_BOOL\n"
      "Plant.Types.String       text         VT_BSTR\n",
      result.out);
  EXPECT_EQ("cache", simulator->Calls().Last("IOPCSyncIO::Read").Arg("source"));
}

TEST_F(ReadWriteCommand, RepeatedReadsGiveARecordEach) {
  opcclient::ReadRequest request;
  request.tags = {"Plant.Area1.Line1.Produced", "Plant.ReadOnly.Serial"};
  request.device = true;
  request.repeat = 3;
  request.intervalMs = 0;
  const Result result = Read(request, Format::Csv);
  EXPECT_EQ(opcclient::kSucceeded, result.code) << result.err;
  EXPECT_EQ("Read,Plant.Area1.Line1.Produced,Plant.ReadOnly.Serial\r\n1,1,4711\r\n2,2,4711\r\n3,3,4711\r\n", result.out);
  EXPECT_EQ(3u, simulator->Calls().Count("IOPCSyncIO::Read"));
  EXPECT_EQ("device", simulator->Calls().Last("IOPCSyncIO::Read").Arg("source"));
}

TEST_F(ReadWriteCommand, AGroupTheServerRefusesNamesTheItem) {
  opcclient::ReadRequest request;
  request.tags = {"Plant.Nope", "Plant.Area1.Line1.Speed"};
  const Result result = Read(request);
  EXPECT_EQ(opcclient::kFailed, result.code);
  EXPECT_EQ("", result.out);
  EXPECT_EQ(0u, result.err.find("opcclient: defining the group failed (0x80004005): ")) << result.err;
  EXPECT_NE(std::string::npos, result.err.find("\n  [Server] Error - Item Plant.Nope refused by the server")) << result.err;
}

TEST_F(ReadWriteCommand, WritesEachValueInItsTagsType) {
  const Result result = Write({"Plant.Area1.Line1.Speed=1500", "Plant.Area1.Line1.Recipe=Fast=yes",
                               "Plant.Types.DoubleArray=1 2.5", "Plant.Types.Date=2024-01-02 03:04:05"});
  EXPECT_EQ(opcclient::kSucceeded, result.code) << result.err;
  EXPECT_EQ(
      "Plant.Area1.Line1.Speed = 1500 (VT_I4)\n"
      "Plant.Area1.Line1.Recipe = Fast=yes (VT_BSTR)\n"
      "Plant.Types.DoubleArray = 1 2.5 (ARRAY OF VT_R8)\n"
      "Plant.Types.Date = 2024-01-02 03:04:05 (VT_DATE)\n"
      "Written.\n",
      result.out);
  EXPECT_EQ("1500", Value("Plant.Area1.Line1.Speed"));
  EXPECT_EQ("Fast=yes", Value("Plant.Area1.Line1.Recipe"));
  const std::vector<std::string> types = {"3", "8", "8197", "7"};
  EXPECT_EQ(types, simulator->Calls().Last("IOPCSyncIO::Write").List("types"));
}

// Every value is checked first: one refusal and nothing reaches the server.
TEST_F(ReadWriteCommand, ARefusedValueWritesNothing) {
  const Result result =
      Write({"Plant.Area1.Line1.Speed=1600", "Plant.Area1.Line1.Speed=fast", "Plant.Area1.Line1.Temperature=3",
             "Plant.Types.Int8=300", "Plant.Types.Bool"});
  EXPECT_EQ(opcclient::kRefused, result.code);
  EXPECT_EQ("opcclient: TAG=VALUE expected, not Plant.Types.Bool\n", result.err);
  const Result refused =
      Write({"Plant.Area1.Line1.Speed=1600", "Plant.Area1.Line1.Speed=fast", "Plant.Area1.Line1.Temperature=3",
             "Plant.Types.Int8=300"});
  EXPECT_EQ(opcclient::kRefused, refused.code);
  EXPECT_EQ(
      "opcclient: Plant.Area1.Line1.Speed: \"fast\" is not a value of type VT_I4\n"
      "opcclient: Plant.Area1.Line1.Temperature is read-only: 3 not written\n"
      "opcclient: Plant.Types.Int8: \"300\" is not a value of type VT_I1\n"
      "opcclient: nothing written\n",
      refused.err);
  EXPECT_EQ(0u, simulator->Calls().Count("IOPCSyncIO::Write"));
  EXPECT_EQ("1200", Value("Plant.Area1.Line1.Speed"));
}

TEST_F(ReadWriteCommand, AsyncWritesThroughTheInputsGroup) {
  const Result result = Write({"Plant.Area2.Tank1.Setpoint=42.5"}, true);
  EXPECT_EQ(opcclient::kSucceeded, result.code) << result.err;
  EXPECT_EQ("VEM_APP_INPUTS", simulator->Calls().Last("IOPCServer::AddGroup").Arg("name"));
  EXPECT_EQ(1u, simulator->Calls().Count("IOPCAsyncIO2::Write"));
  EXPECT_EQ(0u, simulator->Calls().Count("IOPCSyncIO::Write"));
  EXPECT_EQ("42.5", Value("Plant.Area2.Tank1.Setpoint"));
}

}  // namespace
