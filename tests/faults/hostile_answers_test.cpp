// Servers whose answers disagree with themselves or dwarf real ones: counts
// past their arrays, values of types no item model knows, texts whose length
// and terminator disagree, spaces thousands of levels deep or a hundred
// thousand items wide. The client ends with its documented result or a clear
// error, in bounded time and memory.
#include <cstring>

#include "browse_test_support.h"
#include "group_test_support.h"

using namespace browsetest;
using Shape = opcsim::Options::TextShape;

namespace {

class HostileAnswersTest : public BrowseTest {
 protected:
  // Defines a group of the items and reads it once from the device.
  long DefineAndRead(const std::vector<std::string>& ids, grouptest::Values& values) {
    std::vector<comown::wide_string> texts;
    std::vector<const unsigned short*> pointers;
    for (const std::string& id : ids) texts.push_back(comown::to_wide(id));
    for (const auto& text : texts) pointers.push_back(grouptest::Text16(text));
    std::vector<VARIANT> types(ids.size());
    for (VARIANT& type : types) type.vt = VT_EMPTY;
    unsigned long handle = 0;
    const comown::wide_string name = comown::to_wide("G");
    const long hr = client->DefineGroup(grouptest::Text16(name), ids.size(), nullptr, pointers.data(), types.data(),
                                        handle, 0, 1, 0);
    if (FAILED(hr)) return hr;
    values.resize(ids.size());
    return client->SyncReadGroup(handle, grouptest::Array(values), 0, OPC_DS_DEVICE);
  }
  static std::string Text(const VARIANT& value) { return Utf8(VEMDcnOpcItem::Variant2String(value)); }
};

TEST_F(HostileAnswersTest, CountsPastTheArraysEndEveryWalkWithAnError) {
  opcsim::Options options;
  options.enumeratorsOverstate = 1;
  for (const OPCNAMESPACETYPE organisation : {OPC_NS_HIERARCHIAL, OPC_NS_FLAT}) {
    SCOPED_TRACE(organisation == OPC_NS_FLAT ? "flat" : "hierarchical");
    options.organisation = organisation;
    Start(options);
    // Each Next hands out a name and claims two; the last claims one it never gives.
    Dictionary items;
    const std::vector<std::string> walkError =
        organisation == OPC_NS_FLAT ? std::vector<std::string>{"Error from Next (_BrowseOPCItemIDs)"}
                                    : std::vector<std::string>{"IEnumString::Next()", "Error from Next(_browseBranch)"};
    ExpectErrors(client->GetOpcItemsList("*", VT_EMPTY, "", items.put()), walkError);
    long hr;
    unsigned short* id = nullptr;
    hr = client->GetFullyQualifiedItem(reinterpret_cast<const unsigned short*>(OLESTR("Z")), id);
    EXPECT_EQ(S_OK, hr);
    EXPECT_NE(nullptr, id);
    delete[] id;
    const auto root = NewRoot();
    hr = client->GetOpcItemsTree("*", *root);
    if (organisation == OPC_NS_HIERARCHIAL) ExpectErrors(hr, walkError);
    EXPECT_EQ(S_OK, client->OpcStop());
  }
  // The server list claims a class it never names after the real one.
  Start(options);
  EXPECT_EQ(S_OK, client->OpcStop());
  QARListValQARUnicodeString* servers = nullptr;
  ExpectErrors(client->GetOpcServerList(&servers), {"IEnumGUID::Next"});
  ASSERT_NE(nullptr, servers);
  EXPECT_EQ(1, servers->Size());
  delete servers;
  EXPECT_EQ(E_POINTER, client->OpcStop());  // a server list leaves no server to stop
}

TEST_F(HostileAnswersTest, ValuesOfUnknownTypesArriveAsSentAndFormatAsUnknown) {
  struct Case {
    VARTYPE type;
    const char* text;
  };
  const Case cases[] = {
      {VT_CY, "Unknown VARTYPE : 6"},          {VT_I8, "Unknown VARTYPE : 20"},
      {VT_DECIMAL, "Unknown VARTYPE : 14"},    {VT_ERROR, "Unknown VARTYPE : 10"},
      {VT_UNKNOWN, "Unknown VARTYPE : 13"},    {VT_ARRAY | VT_BSTR, "Unknown VARTYPE : 8200"},
      {VT_ARRAY | VT_R8, "0 0 "},              {0x0FFF, "Unknown VARTYPE : 4095"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.type);
    opcsim::Options options;
    options.foreignValueType = c.type;
    Start(options);
    QARListValQARBaseUnknown_var tags;
    comown::com_ptr<VEMDcnOpcItemTreeNode> node(new VEMDcnOpcItemTreeNode("n", "A.X", "", "", 1), comown::attach);
    tags.Append(node.get());
    EXPECT_EQ(S_OK, client->ValidateTags(tags));
    grouptest::Values values;
    ASSERT_EQ(S_OK, DefineAndRead({"A.X", "C.W"}, values));
    for (const comown::com_variant& value : values) {
      EXPECT_EQ(c.type, value.vt());
      EXPECT_EQ(c.text, Text(*value.get()));
    }
    // A type that names none cannot be cleared; its zero payload holds nothing.
    if (c.type == 0x0FFF)
      for (comown::com_variant& value : values) value.get()->vt = VT_EMPTY;
    EXPECT_EQ(S_OK, client->OpcStop());
  }
}

TEST_F(HostileAnswersTest, TextsAreReadToTheirDeclaredLength) {
  struct Case {
    Shape shape;
    std::u16string units;
  };
  const Case cases[] = {
      {Shape::EmbeddedNul, u"text" + std::u16string(1, u'\0') + u"tail"},
      {Shape::Unterminated, u"text"},
  };
  for (const Case& c : cases) {
    opcsim::Options options;
    options.textShape = c.shape;
    Start(options);
    ASSERT_EQ(S_OK, sim->SetValue("C.W", *opcsim::variant::Str("text")));
    grouptest::Values values;
    ASSERT_EQ(S_OK, DefineAndRead({"C.W"}, values));
    ASSERT_EQ(VT_BSTR, values[0].vt());
    const QARUnicodeString text = VEMDcnOpcItem::Variant2String(*values[0].get());
    ASSERT_EQ(static_cast<int>(c.units.size()), text.GetLengthInChar());
    EXPECT_EQ(0, std::memcmp(c.units.data(), text.GetWChar(), c.units.size() * sizeof(WCHAR)));
    EXPECT_EQ(S_OK, client->OpcStop());
  }
}

// A chain of branches `levels` deep with one leaf at the bottom, or one
// branch of `width` leaves.
std::shared_ptr<opcsim::AddressSpace> DeepSpace(int levels) {
  auto space = std::make_shared<opcsim::AddressSpace>();
  std::uint32_t branch = opcsim::AddressSpace::kRoot;
  for (int i = 0; i < levels; ++i) branch = space->AddBranch(branch, comown::to_wide("L" + std::to_string(i)));
  space->AddPlainLeaf(branch, comown::to_wide("Bottom"), VT_I4, OPC_READABLE);
  return space;
}
std::shared_ptr<opcsim::AddressSpace> WideSpace(int width) {
  auto space = std::make_shared<opcsim::AddressSpace>();
  const std::uint32_t branch = space->AddBranch(opcsim::AddressSpace::kRoot, comown::to_wide("Wide"));
  for (int i = 0; i < width; ++i)
    space->AddPlainLeaf(branch, comown::to_wide("T" + std::to_string(i)), VT_I4, OPC_READABLE);
  return space;
}

TEST_F(HostileAnswersTest, SpaceTenThousandLevelsDeepStopsAtTheDepthBound) {
  opcsim::Options options;
  options.space = DeepSpace(10000);
  Start(options);
  sim->Calls().Enable(false);
  const std::string bound =
      "IOPCBrowseServerAddressSpace::ChangeBrowsePosition(OPC_BROWSE_DOWN): more than 256 levels deep";
  Dictionary items;
  ExpectErrors(client->GetOpcItemsList("*", VT_EMPTY, "", items.put()), {bound});
  const auto root = NewRoot();
  ExpectErrors(client->GetOpcItemsTree("*", *root), {bound});
  // The flat view names the leaf with its whole path.
  unsigned short* id = nullptr;
  EXPECT_EQ(S_OK, client->GetFullyQualifiedItem(reinterpret_cast<const unsigned short*>(OLESTR("Bottom")), id));
  ASSERT_NE(nullptr, id);
  std::string expected;
  for (int i = 0; i < 10000; ++i) expected += "L" + std::to_string(i) + ".";
  EXPECT_EQ(expected + "Bottom", Utf8(QARUnicodeString(reinterpret_cast<const WCHAR*>(id))));
  delete[] id;
}

TEST_F(HostileAnswersTest, BranchOfAHundredThousandItemsIsListedWhole) {
  opcsim::Options options;
  options.space = WideSpace(100000);
  Start(options);
  sim->Calls().Enable(false);
  Dictionary items;
  EXPECT_EQ(S_FALSE, client->GetOpcItemsList("*", VT_I4, "", items.put()));
  EXPECT_EQ(100000u, items.Ids().size());
  const auto root = NewRoot();
  EXPECT_EQ(S_FALSE, client->GetOpcItemsTree("*", *root));
  EXPECT_EQ(1u + 100000u, TreeLines(*root).size());
}

}  // namespace
