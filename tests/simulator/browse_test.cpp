// Browsing the demo plant in both organisations.
#include "sim_test.h"

using namespace simtest;
using Strings = std::vector<std::string>;

namespace {

class Browsing : public SimTest {
 protected:
  HRESULT Move(OPCBROWSEDIRECTION d, const char* name = "") {
    return browse_->ChangeBrowsePosition(d, comown::to_wide(name).c_str());
  }
  std::string ItemId(const char* name, HRESULT* hr = nullptr) {
    comown::task_string id;
    HRESULT r = browse_->GetItemID(const_cast<LPWSTR>(comown::to_wide(name).c_str()), id.put());
    if (hr) *hr = r;
    return comown::to_utf8(id.get());
  }
};

opcsim::Options Converting() {
  opcsim::Options o;
  o.filterConverts = true;
  o.accessFilter = opcsim::AccessFilter::AllBits;
  return o;
}

class ConvertingServer : public SimTest {
 protected:
  ConvertingServer() : SimTest(Converting()) {}
};

}  // namespace

TEST_F(Browsing, MovesDownUpAndToBranchesOnly) {
  OPCNAMESPACETYPE organisation;
  ASSERT_EQ(S_OK, browse_->QueryOrganization(&organisation));
  EXPECT_EQ(OPC_NS_HIERARCHIAL, organisation);
  EXPECT_EQ(E_FAIL, Move(OPC_BROWSE_UP)) << "the root has no parent";
  EXPECT_EQ(S_OK, Move(OPC_BROWSE_DOWN, "Plant"));
  EXPECT_EQ(E_INVALIDARG, Move(OPC_BROWSE_DOWN, "Nowhere"));
  EXPECT_EQ(S_OK, Move(OPC_BROWSE_TO, "Plant.Area1.Line2"));
  EXPECT_EQ(S_OK, Move(OPC_BROWSE_UP));
  EXPECT_EQ((Strings{"Line1", "Line2"}), Browse(OPC_BRANCH));
  EXPECT_EQ(E_INVALIDARG, Move(OPC_BROWSE_TO, "Plant.Area1.Line2.Speed")) << "a leaf is no position";
  EXPECT_EQ(S_OK, Move(OPC_BROWSE_TO));
  EXPECT_EQ(Strings{"Plant"}, Browse(OPC_BRANCH));
}

TEST_F(Browsing, ListingsApplyNameTypeAndRightsFiltersBelowThePosition) {
  const struct {
    const char* position;
    OPCBROWSETYPE type;
    const char* filter;
    VARTYPE vt;
    DWORD rights;
    Strings listed;
  } cases[] = {
      {"", OPC_BRANCH, "", VT_EMPTY, 0, {"Plant"}},
      {"", OPC_LEAF, "", VT_EMPTY, 0, {"Status"}},
      {"Plant", OPC_BRANCH, "", VT_EMPTY, 0, {"Area1", "Area2", "Types", "ReadOnly", "WriteOnly"}},
      {"Plant.Area1.Line2", OPC_LEAF, "", VT_EMPTY, 0, {"Temperature", "Speed", "Start"}},
      {"Plant.Area2.Spare", OPC_LEAF, "", VT_EMPTY, 0, {}},
      {"Plant.Area1", OPC_FLAT, "*Temperature", VT_EMPTY, 0,
       {"Plant.Area1.Line1.Temperature", "Plant.Area1.Line2.Temperature"}},
      {"Plant.Area1", OPC_FLAT, "*.S[pt]???*", VT_EMPTY, 0,
       {"Plant.Area1.Line1.Speed", "Plant.Area1.Line2.Speed", "Plant.Area1.Line2.Start"}},
      {"Plant.Area1", OPC_FLAT, "*Line#.P?o*", VT_EMPTY, 0, {"Plant.Area1.Line1.Produced"}},
      {"Plant.Area1", OPC_BRANCH, "Line[!1]", VT_EMPTY, 0, {"Line2"}},
      {"Plant.Types", OPC_LEAF, "", VT_R8, 0, {"Double"}},
      {"Plant.Types", OPC_LEAF, "", VT_ARRAY | VT_R8, 0, {"DoubleArray"}},
      {"Plant.Area2.Tank1", OPC_LEAF, "", VT_EMPTY, OPC_READABLE, {"Level", "Setpoint"}},
      {"Plant.Area2.Tank1", OPC_LEAF, "", VT_EMPTY, OPC_WRITEABLE, {"Setpoint", "Reset"}},
      {"Plant.Area2.Tank1", OPC_LEAF, "", VT_EMPTY, OPC_READABLE | OPC_WRITEABLE, {"Level", "Setpoint", "Reset"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.position) + " " + c.filter);
    ASSERT_EQ(S_OK, Move(OPC_BROWSE_TO, c.position));
    HRESULT hr = E_FAIL;
    EXPECT_EQ(c.listed, Browse(c.type, c.filter, c.vt, c.rights, &hr));
    // Nothing to list: S_FALSE, still with an (empty) enumerator.
    EXPECT_EQ(c.listed.empty() ? S_FALSE : S_OK, hr);
  }
  HRESULT hr;
  Browse(OPC_FLAT, "[abc", VT_EMPTY, 0, &hr);
  EXPECT_EQ(OPC_E_INVALIDFILTER, hr);
}

TEST_F(Browsing, ItemIdsOfNamesAtThePositionOrFullyQualified) {
  const char* cases[][3] = {// position, name, item ID
                            {"", "Status", "Status"},
                            {"Plant", "Area1", "Plant.Area1"},
                            {"Plant.Area1.Line2", "Speed", "Plant.Area1.Line2.Speed"},
                            {"Plant.Area1.Line2", "", "Plant.Area1.Line2"},
                            {"Plant.Area1", "Plant.Area2.Tank1.Level", "Plant.Area2.Tank1.Level"}};
  for (const auto& c : cases) {
    ASSERT_EQ(S_OK, Move(OPC_BROWSE_TO, c[0]));
    HRESULT hr = E_FAIL;
    EXPECT_EQ(c[2], ItemId(c[1], &hr)) << c[0] << " " << c[1];
    EXPECT_EQ(S_OK, hr);
  }
  HRESULT hr;
  ItemId("NoSuchItem", &hr);
  EXPECT_EQ(E_INVALIDARG, hr);
}

TEST_F(Browsing, AccessPathsOfAnItem) {
  com_ptr<IEnumString> e;
  EXPECT_EQ(S_OK, browse_->BrowseAccessPaths(OLESTR("Plant.Area2.Tank1.Setpoint"), e.put()));
  EXPECT_EQ((Strings{"COM1", "COM2"}), ReadAll(e.get()));
  EXPECT_EQ(S_FALSE, browse_->BrowseAccessPaths(OLESTR("Plant.Area2.Tank1.Level"), e.put()));
  EXPECT_EQ(E_INVALIDARG, browse_->BrowseAccessPaths(OLESTR("Plant.Nothing"), e.put()));
}

TEST_F(ConvertingServer, TypeFilterListsEveryItemThatConvertsAndRightsAllMatch) {
  ASSERT_EQ(S_OK, browse_->ChangeBrowsePosition(OPC_BROWSE_TO, OLESTR("Plant.Area2.Tank1")));
  EXPECT_EQ((Strings{"Level", "Setpoint", "Reset"}), Browse(OPC_LEAF, "", VT_BSTR));
  EXPECT_EQ(Strings{"Setpoint"}, Browse(OPC_LEAF, "", VT_EMPTY, OPC_READABLE | OPC_WRITEABLE));
}
