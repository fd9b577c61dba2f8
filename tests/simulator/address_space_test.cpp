// Address-space sources: the text format, the generator and custom separators.
#include <chrono>

#include "sim_test.h"

using namespace simtest;

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
  std::uint32_t limits = space->FindLeaf("Line/Tank/Limits");
  EXPECT_EQ(VT_ARRAY | VT_R8, space->Current(limits).value.vt());
  std::uint32_t start = space->FindLeaf("Line/Start");
  EXPECT_EQ(DWORD(OPC_WRITEABLE), space->LeafAccess(start));
  EXPECT_DOUBLE_EQ(45322.5, space->Current(start).value.get()->date);
  EXPECT_EQ(125000, space->Current(space->FindLeaf("Line/Cost")).value.get()->cyVal.int64);
  EXPECT_EQ(2u, space->AccessPaths(space->FindLeaf("Line/Cost")).size());
  EXPECT_NE(opcsim::AddressSpace::kNone, space->FindBranch(comown::to_wide("Line/Empty")));
  EXPECT_EQ(opcsim::AddressSpace::kNone, space->FindLeaf("Line.Start"));
}

TEST(TextFormat, ErrorsNameTheLine) {
  std::string error;
  EXPECT_FALSE(opcsim::ParseAddressSpace("A.B R8 R\nA.C R9 R\n", &error));
  EXPECT_EQ("line 2: unknown type 'R9'", error);
  EXPECT_FALSE(opcsim::ParseAddressSpace("A.B R8 R\nA.B I4 RW\n", &error));
  EXPECT_EQ("line 2: duplicate item ID 'A.B'", error);
  EXPECT_FALSE(opcsim::ParseAddressSpace("A.B I2 RW abc\n", &error));
  EXPECT_EQ("line 1: bad value 'abc'", error);
  EXPECT_FALSE(opcsim::ParseAddressSpace("A..B BOOL R\n", &error));
  EXPECT_EQ("line 1: malformed item ID 'A..B'", error);
  EXPECT_FALSE(opcsim::LoadAddressSpaceFile("no-such-file.txt", &error));
}

TEST(TextFormat, TheSpaceIsServedAsLoaded) {
  ComScope com;
  opcsim::Options o;
  o.space = opcsim::ParseAddressSpace("Temp BOOL R\nA.B.Temp R8 RW 1.5\n");
  opcsim::Simulator sim(o);
  {
    com_ptr<IOPCBrowseServerAddressSpace> browse;
    ASSERT_EQ(S_OK, CoCreateInstance(sim.Clsid(), nullptr, CLSCTX_SERVER, IID_IOPCBrowseServerAddressSpace,
                                     browse.put_void()));
    com_ptr<IEnumString> e;
    ASSERT_EQ(S_OK, browse->BrowseOPCItemIDs(OPC_FLAT, OLESTR("*Temp"), VT_EMPTY, 0, e.put()));
    EXPECT_EQ((std::vector<std::string>{"Temp", "A.B.Temp"}), ReadAll(e.get()));
  }
  EXPECT_EQ(0, opcsim::LiveObjects());
}

TEST(Generator, BuildsAMillionLeavesQuickly) {
  opcsim::GeneratorParams p;
  p.depth = 4;
  p.fanOut = 10;
  p.leavesPerBranch = 100;
  auto started = std::chrono::steady_clock::now();
  auto space = opcsim::GenerateAddressSpace(p);
  double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  ASSERT_EQ(1000000u, space->LeafCount());
  EXPECT_EQ(11111u, space->BranchCount());
  // Well under a second optimised; the bound only catches a quadratic build,
  // with room for sanitizer builds.
  EXPECT_LT(seconds, 60.0);
  std::uint32_t leaf = space->FindLeaf("Branch9.Branch9.Branch9.Branch9.Tag99");
  ASSERT_NE(opcsim::AddressSpace::kNone, leaf);
  EXPECT_EQ("Branch9.Branch9.Branch9.Branch9.Tag99", comown::to_utf8(space->LeafItemId(leaf)));
  EXPECT_EQ(VT_I1, space->LeafType(leaf)) << "types cycle through the eleven common ones";
  EXPECT_EQ(VT_I1, space->Current(leaf).value.vt());
  EXPECT_EQ(VT_DATE, space->LeafType(leaf - 1));
}

TEST(Generator, GeneratedSpaceBrowsesFlatWithCustomSeparator) {
  ComScope com;
  opcsim::GeneratorParams p;
  p.depth = 2;
  p.fanOut = 3;
  p.leavesPerBranch = 4;
  p.separator = WCHAR('/');
  opcsim::Options o;
  o.space = opcsim::GenerateAddressSpace(p);
  o.organisation = OPC_NS_FLAT;
  opcsim::Simulator sim(o);
  {
    com_ptr<IOPCBrowseServerAddressSpace> browse;
    ASSERT_EQ(S_OK, CoCreateInstance(sim.Clsid(), nullptr, CLSCTX_SERVER, IID_IOPCBrowseServerAddressSpace,
                                     browse.put_void()));
    com_ptr<IEnumString> e;
    ASSERT_EQ(S_OK, browse->BrowseOPCItemIDs(OPC_LEAF, OLESTR(""), VT_EMPTY, 0, e.put()));
    std::vector<std::string> all = ReadAll(e.get());
    ASSERT_EQ(36u, all.size());
    EXPECT_EQ("Branch0/Branch0/Tag0", all.front());
    EXPECT_EQ("Branch2/Branch2/Tag3", all.back());
  }
  EXPECT_EQ(0, opcsim::LiveObjects());
}
