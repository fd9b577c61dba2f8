// opcclient validate: each tag's types and direction, or its refusal.
#include "opcclient_test_support.h"

namespace {

using namespace opcclienttest;
using opcclient::Format;

class ValidateCommand : public CommandTest {
 protected:
  Result Validate(const std::vector<std::string>& tags, Format format = Format::Table) {
    return RunCommand([&](opcclient::Console& console) { return opcclient::Validate(embedded, tags, format, console); });
  }
};

TEST_F(ValidateCommand, GivesTypesAndDirectionsAndNamesTheRefusedTags) {
  const Result result = Validate({"Plant.Area1.Line1.Speed", "Plant.Nope", "Plant.Area1.Line1.Temperature",
                                  "Plant.Area1.Line2.Start", "Plant.Types.DoubleArray", "Plant.Gone"});
  EXPECT_EQ(opcclient::kFailed, result.code);
  EXPECT_EQ(
      "Tag                            Valid    Type     OPC type        Direction\n"
      "-----------------------------  -------  -------  --------------  ---------\n"
      "Plant.Area1.Line1.Speed        yes      int32    VT_I4           In/Out\n"
      "Plant.Nope                     refused\n"
      "Plant.Area1.Line1.Temperature  yes      float64  VT_R8           Out\n"
      "Plant.Area1.Line2.Start        yes      bool     VT_BOOL         In\n"
      "Plant.Types.DoubleArray        yes      ???      ARRAY OF VT_R8  In/Out\n"
      "Plant.Gone                     refused\n",
      result.out);
  EXPECT_EQ(
      "opcclient: validating the tags failed (0x80004005): Tags unknown to the OPC server:\n"
      "  Plant.Nope\n"
      "  Plant.Gone\n",
      result.err);
}

}  // namespace
