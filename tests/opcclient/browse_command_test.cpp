// opcclient browse: the library's dictionary, sorted, in three formats.
#include "opcclient_test_support.h"

namespace {

using namespace opcclienttest;
using opcclient::Format;

class BrowseCommand : public CommandTest {
 protected:
  Result Browse(const std::string& pattern, Format format = Format::Table, const std::string& type = "",
                const std::string& access = "", const opcclient::ServerChoice* choice = nullptr) {
    opcclient::BrowseRequest request;
    request.pattern = pattern;
    request.type = type;
    request.access = access;
    return RunCommand([&](opcclient::Console& console) {
      return opcclient::Browse(choice != nullptr ? *choice : embedded, request, format, console);
    });
  }
};

TEST_F(BrowseCommand, ListsTheDictionarySortedByItemID) {
  const Result result = Browse("plant.area1.line2.*");
  EXPECT_EQ(opcclient::kSucceeded, result.code) << result.err;
  EXPECT_EQ(
      "Item ID                        Name         Path               Type     Direction\n"
      "-----------------------------  -----------  -----------------  -------  ---------\n"
      "Plant.Area1.Line2.Speed        Speed        Plant.Area1.Line2  VT_I4    In/Out\n"
      "Plant.Area1.Line2.Start        Start        Plant.Area1.Line2  VT_BOOL  In/Out\n"
      "Plant.Area1.Line2.Temperature  Temperature  Plant.Area1.Line2  VT_R8    In/Out\n",
      result.out);
  EXPECT_EQ("", result.err);
}

// A type or an access filter: the records carry the filter that found them.
TEST_F(BrowseCommand, FiltersByTypeAndAccess) {
  const auto doubles = opcclient::Json::parse(Browse("Plant.Area1.*", Format::Json, "VT_R8").out);
  ASSERT_EQ(3u, doubles.size());
  for (const auto& record : doubles) EXPECT_EQ("VT_R8", record["type"]);
  const auto writable = opcclient::Json::parse(Browse("Plant.Area1.Line2.*", Format::Json, "", "Writable").out);
  ASSERT_EQ(2u, writable.size());  // Speed and Start, each in its own type
  EXPECT_EQ("VT_I4", writable[0]["type"]);
  EXPECT_EQ("In", writable[1]["direction"]);
  const auto anyType = opcclient::Json::parse(Browse("Plant.Area1.Line2.*", Format::Json, "*").out);
  EXPECT_EQ(3u, anyType.size());
  EXPECT_TRUE(anyType[0]["type"].is_null());
}

TEST_F(BrowseCommand, RefusesUnknownFiltersBeforeConnecting) {
  for (const auto& [type, access] : {std::pair<std::string, std::string>{"VT_R9", ""}, {"", "readable"}}) {
    const Result result = Browse("*", Format::Table, type, access);
    EXPECT_EQ(opcclient::kRefused, result.code);
    EXPECT_EQ(0u, result.err.find("opcclient: unknown " + std::string(type.empty() ? "access readable" : "type VT_R9")))
        << result.err;
    EXPECT_EQ("", result.out);
  }
}

TEST_F(BrowseCommand, SaysWhenNothingMatches) {
  EXPECT_EQ("(no item matches Nothing*)\n", Browse("Nothing*").out);
  EXPECT_EQ("[]\n", Browse("Nothing*", Format::Json).out);
}

TEST_F(BrowseCommand, AFailurePrintsTheErrorChainAndExitsNonZero) {
  opcsim::Simulator simulator;
  simulator.Faults().Add(opcsim::Fault::Fail("IEnumString::Next", E_FAIL).OnCall(3));
  const opcclient::ServerChoice choice = Named(simulator);
  const Result result = Browse("*", Format::Table, "VT_R8", "", &choice);
  EXPECT_EQ(opcclient::kFailed, result.code);
  EXPECT_EQ(0u, result.err.find("opcclient: listing the items failed (0x80004005): [System] Error - IEnumString::Next()"))
      << result.err;
  EXPECT_NE(std::string::npos, result.err.find("\n  [System] Error - Error from Next(_browseBranch)")) << result.err;
}

TEST_F(BrowseCommand, TheEmbeddedSimulatorServesAGeneratedSpace) {
  embedded.simGenerate = "2x3x4";
  EXPECT_EQ(36u, opcclient::Json::parse(Browse("*", Format::Json, "*").out).size());
  embedded.simGenerate = "2x3";
  const Result refused = Browse("*");
  EXPECT_EQ(opcclient::kRefused, refused.code);
  EXPECT_EQ(0u, refused.err.find("opcclient: --sim-generate wants DEPTHxFANOUTxLEAVES")) << refused.err;
}

}  // namespace
