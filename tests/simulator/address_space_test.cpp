// Address-space sources: the text format, the generator and custom separators.
#include "sim_test.h"

using namespace simtest;

namespace {

opcsim::Options GeneratedFlatSpace() {
  opcsim::GeneratorParams p;
  p.depth = 2;
  p.fanOut = 3;
  p.leavesPerBranch = 4;
  p.separator = WCHAR('/');
  opcsim::Options o;
  o.space = opcsim::GenerateAddressSpace(p);
  o.organisation = OPC_NS_FLAT;
  return o;
}

class GeneratedSpace : public SimTest {
 protected:
  GeneratedSpace() : SimTest(GeneratedFlatSpace()) {}
};

}  // namespace

TEST(TextFormat, BuildsItemsWithTypesRightsValuesAndAttributes) {
  std::string error;
  auto space = opcsim::ParseAddressSpace(
      "# test plant\n"
      "separator /\n"
      "Line/Tank/Level    R8    R   signal=ramp min=0 max=100 period=60\n"
      "Line/Tank/Name     bstr  RW  \"Tank \\\"one\\\"\" desc=\"shown to operators\"\n"
      "Line/Tank/Limits   R8[]  RW  10;90\n"
      "Line/Start         DATE  W   \"2024-01-31 12:00:00\"\n"
      "Line/Cost          CY    RW  12.5 paths=COM1;COM2\n"
      "branch Line/Empty\n",
      &error);
  ASSERT_TRUE(space) << error;
  EXPECT_EQ(5u, space->LeafCount());
  std::uint32_t name = space->FindLeaf("Line/Tank/Name");
  ASSERT_NE(opcsim::AddressSpace::kNone, name);
  EXPECT_EQ(VT_BSTR, space->LeafType(name));
  EXPECT_EQ("Tank \"one\"", opcsim::variant::Text(*space->Current(name).value));
  EXPECT_EQ("shown to operators", space->Description(name));
  EXPECT_EQ(VT_ARRAY | VT_R8, space->Current(space->FindLeaf("Line/Tank/Limits")).value.vt());
  std::uint32_t start = space->FindLeaf("Line/Start");
  EXPECT_EQ(DWORD(OPC_WRITEABLE), space->LeafAccess(start));
  EXPECT_DOUBLE_EQ(45322.5, space->Current(start).value.get()->date);
  std::uint32_t cost = space->FindLeaf("Line/Cost");
  EXPECT_EQ(125000, space->Current(cost).value.get()->cyVal.int64);
  EXPECT_EQ(2u, space->AccessPaths(cost).size());
  EXPECT_NE(opcsim::AddressSpace::kNone, space->FindBranch(comown::to_wide("Line/Empty")));
  EXPECT_EQ(opcsim::AddressSpace::kNone, space->FindLeaf("Line.Start"));
}

TEST(TextFormat, SignalsKeepTheItemsType) {
  // The counter leaves I1's range after one sample; the ramp never enters UI1's.
  auto space = opcsim::ParseAddressSpace(
      "S.Counter I1 R signal=counter min=126 max=0\n"
      "S.Ramp UI1 R signal=ramp min=-1e9 max=-1e9\n");
  ASSERT_TRUE(space);
  const std::uint32_t counter = space->FindLeaf("S.Counter"), ramp = space->FindLeaf("S.Ramp");
  for (int sample = 0; sample < 3; ++sample) {
    const opcsim::ItemState count = space->Sample(counter), level = space->Sample(ramp);
    EXPECT_EQ(VT_I1, count.value.vt());
    EXPECT_EQ(127, count.value.get()->cVal);
    EXPECT_EQ(VT_UI1, level.value.vt());
    EXPECT_EQ(0, level.value.get()->bVal);
  }
}

TEST(TextFormat, ErrorsNameTheLine) {
  const struct {
    const char* text;
    const char* error;
  } cases[] = {
      {"A.B R8 R\nA.C R9 R\n", "line 2: unknown type 'R9'"},
      {"A.B R8 R\nA.B I4 RW\n", "line 2: duplicate item ID 'A.B'"},
      {"A.B I2 RW abc\n", "line 1: bad value 'abc'"},
      {"A..B BOOL R\n", "line 1: malformed item ID 'A..B'"},
      {"A.B UI1 R quality=0x10000\n", "line 1: bad attribute 'quality=0x10000'"},
      {"A.B UI1 R quality=good\n", "line 1: bad attribute 'quality=good'"},
  };
  for (const auto& c : cases) {
    std::string error;
    EXPECT_FALSE(opcsim::ParseAddressSpace(c.text, &error));
    EXPECT_EQ(c.error, error);
  }
  // A number ends with its token, not at a NUL inside it.
  std::string error;
  EXPECT_FALSE(opcsim::ParseAddressSpace(std::string("A.B R8 R signal=ramp max=\0\x31\n", 28), &error));
  EXPECT_EQ(std::string("line 1: bad attribute 'max=\0\x31'", 30), error);
  EXPECT_FALSE(opcsim::LoadAddressSpaceFile("no-such-file.txt", &error));
}

TEST_F(GeneratedSpace, BrowsesFlatWithItsSeparatorAndNoBranches) {
  OPCNAMESPACETYPE organisation;
  ASSERT_EQ(S_OK, browse_->QueryOrganization(&organisation));
  EXPECT_EQ(OPC_NS_FLAT, organisation);
  EXPECT_TRUE(Browse(OPC_BRANCH).empty());
  std::vector<std::string> all = Browse(OPC_LEAF);
  ASSERT_EQ(36u, all.size());
  EXPECT_EQ("Branch0/Branch0/Tag0", all.front());
  EXPECT_EQ("Branch2/Branch2/Tag3", all.back());
  EXPECT_EQ((std::vector<std::string>{"Branch0/Branch2/Tag0", "Branch1/Branch1/Tag3", "Branch2/Branch1/Tag2"}),
            Browse(OPC_LEAF, VT_BOOL))
      << "types cycle through the eleven common ones";
  EXPECT_EQ(E_FAIL, browse_->ChangeBrowsePosition(OPC_BROWSE_DOWN, OLESTR("Branch0")));
  EXPECT_EQ(S_OK, browse_->ChangeBrowsePosition(OPC_BROWSE_TO, OLESTR("")));
  comown::task_string id;
  EXPECT_EQ(S_OK, browse_->GetItemID(const_cast<LPWSTR>(OLESTR("Branch1/Branch2/Tag3")), id.put()));
  EXPECT_EQ("Branch1/Branch2/Tag3", comown::to_utf8(id.get()));
}
