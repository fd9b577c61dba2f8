// Browsing the demo plant in both organisations.
#include "sim_test.h"

using namespace simtest;
using Strings = std::vector<std::string>;

namespace {

class Browsing : public SimTest {
 protected:
  HRESULT Move(OPCBROWSEDIRECTION d, const char* name = "") {
    comown::wide_string w = comown::to_wide(name);
    return browse_->ChangeBrowsePosition(d, w.c_str());
  }
  std::string ItemId(const char* name, HRESULT* hr = nullptr) {
    comown::wide_string w = comown::to_wide(name);
    LPWSTR id = nullptr;
    HRESULT r = browse_->GetItemID(const_cast<LPWSTR>(w.c_str()), &id);
    if (hr) *hr = r;
    return Take(id);
  }
};

opcsim::Options FlatOptions() {
  opcsim::Options o;
  o.organisation = OPC_NS_FLAT;
  return o;
}

class FlatBrowsing : public SimTest {
 protected:
  FlatBrowsing() : SimTest(FlatOptions()) {}
};

}  // namespace

TEST_F(Browsing, WalksTheHierarchyDownUpAndTo) {
  OPCNAMESPACETYPE organisation;
  ASSERT_EQ(S_OK, browse_->QueryOrganization(&organisation));
  EXPECT_EQ(OPC_NS_HIERARCHIAL, organisation);
  EXPECT_EQ(Strings{"Plant"}, Browse(OPC_BRANCH));
  EXPECT_EQ(Strings{"Status"}, Browse(OPC_LEAF));

  EXPECT_EQ(E_FAIL, Move(OPC_BROWSE_UP)) << "the root has no parent";
  EXPECT_EQ(S_OK, Move(OPC_BROWSE_DOWN, "Plant"));
  EXPECT_EQ((Strings{"Area1", "Area2", "Types", "ReadOnly", "WriteOnly"}), Browse(OPC_BRANCH));
  EXPECT_EQ(E_INVALIDARG, Move(OPC_BROWSE_DOWN, "Nowhere"));
  EXPECT_EQ(S_OK, Move(OPC_BROWSE_TO, "Plant.Area1.Line2"));
  EXPECT_EQ((Strings{"Temperature", "Speed", "Start"}), Browse(OPC_LEAF));
  EXPECT_EQ("Plant.Area1.Line2.Speed", ItemId("Speed"));
  EXPECT_EQ(S_OK, Move(OPC_BROWSE_UP));
  EXPECT_EQ((Strings{"Line1", "Line2"}), Browse(OPC_BRANCH));
  EXPECT_EQ(E_INVALIDARG, Move(OPC_BROWSE_TO, "Plant.Area1.Line2.Speed")) << "a leaf is no position";
  EXPECT_EQ(S_OK, Move(OPC_BROWSE_TO));
  EXPECT_EQ(Strings{"Plant"}, Browse(OPC_BRANCH));
}

TEST_F(Browsing, AnEmptyListingAnswersSFalseWithAnEnumerator) {
  ASSERT_EQ(S_OK, Move(OPC_BROWSE_TO, "Plant.Area2.Spare"));
  com_ptr<IEnumString> e;
  EXPECT_EQ(S_FALSE, browse_->BrowseOPCItemIDs(OPC_LEAF, OLESTR(""), VT_EMPTY, 0, e.put()));
  ASSERT_TRUE(e);
  LPOLESTR s = nullptr;
  ULONG fetched = 7;
  EXPECT_EQ(S_FALSE, e->Next(1, &s, &fetched));
  EXPECT_EQ(0u, fetched);
}

TEST_F(Browsing, FlatListingBelowThePositionGivesItemIdsThroughTheFilter) {
  ASSERT_EQ(S_OK, Move(OPC_BROWSE_TO, "Plant.Area1"));
  EXPECT_EQ((Strings{"Plant.Area1.Line1.Temperature", "Plant.Area1.Line2.Temperature"}),
            Browse(OPC_FLAT, "*Temperature"));
  EXPECT_EQ((Strings{"Plant.Area1.Line1.Speed", "Plant.Area1.Line2.Speed", "Plant.Area1.Line2.Start"}),
            Browse(OPC_FLAT, "*.S[pt]???*"));
  EXPECT_EQ(Strings{"Plant.Area1.Line1.Produced"}, Browse(OPC_FLAT, "*Line#.P?o*"));
  HRESULT hr;
  Browse(OPC_FLAT, "[abc", VT_EMPTY, 0, &hr);
  EXPECT_EQ(OPC_E_INVALIDFILTER, hr);
  // A fully qualified ID is accepted where a browse name is expected.
  EXPECT_EQ("Plant.Area2.Tank1.Level", ItemId("Plant.Area2.Tank1.Level"));
  ItemId("NoSuchItem", &hr);
  EXPECT_EQ(E_INVALIDARG, hr);
}

TEST_F(Browsing, DataTypeAndAccessFiltersApplyToLeaves) {
  ASSERT_EQ(S_OK, Move(OPC_BROWSE_TO, "Plant.Types"));
  EXPECT_EQ(Strings{"Double"}, Browse(OPC_LEAF, "", VT_R8));
  EXPECT_EQ(Strings{"DoubleArray"}, Browse(OPC_LEAF, "", VT_ARRAY | VT_R8));
  ASSERT_EQ(S_OK, Move(OPC_BROWSE_TO, "Plant.Area2.Tank1"));
  EXPECT_EQ((Strings{"Level", "Setpoint"}), Browse(OPC_LEAF, "", VT_EMPTY, OPC_READABLE));
  EXPECT_EQ((Strings{"Setpoint", "Reset"}), Browse(OPC_LEAF, "", VT_EMPTY, OPC_WRITEABLE));
  EXPECT_EQ((Strings{"Level", "Setpoint", "Reset"}), Browse(OPC_LEAF, "", VT_EMPTY, OPC_READABLE | OPC_WRITEABLE))
      << "any of the rights passes by default";
}

TEST_F(Browsing, AccessPathsOfAnItem) {
  com_ptr<IEnumString> e;
  EXPECT_EQ(S_OK, browse_->BrowseAccessPaths(OLESTR("Plant.Area2.Tank1.Setpoint"), e.put()));
  EXPECT_EQ((Strings{"COM1", "COM2"}), ReadAll(e.get()));
  EXPECT_EQ(S_FALSE, browse_->BrowseAccessPaths(OLESTR("Plant.Area2.Tank1.Level"), e.put()));
  EXPECT_EQ(E_INVALIDARG, browse_->BrowseAccessPaths(OLESTR("Plant.Nothing"), e.put()));
}

TEST_F(FlatBrowsing, ListsEveryItemIdAndHasNoBranches) {
  OPCNAMESPACETYPE organisation;
  ASSERT_EQ(S_OK, browse_->QueryOrganization(&organisation));
  EXPECT_EQ(OPC_NS_FLAT, organisation);
  HRESULT hr;
  EXPECT_TRUE(Browse(OPC_BRANCH, "", VT_EMPTY, 0, &hr).empty());
  EXPECT_EQ(S_FALSE, hr);
  Strings leaves = Browse(OPC_LEAF);
  ASSERT_EQ(32u, leaves.size());
  EXPECT_EQ("Status", leaves.front());
  EXPECT_EQ("Plant.WriteOnly.Command", leaves.back());
  EXPECT_EQ(E_FAIL, browse_->ChangeBrowsePosition(OPC_BROWSE_DOWN, OLESTR("Plant")));
  EXPECT_EQ(S_OK, browse_->ChangeBrowsePosition(OPC_BROWSE_TO, OLESTR("")));
  LPWSTR id = nullptr;
  EXPECT_EQ(S_OK, browse_->GetItemID(const_cast<LPWSTR>(OLESTR("Plant.Types.Bool")), &id));
  EXPECT_EQ("Plant.Types.Bool", Take(id));
}

TEST(BrowsingConvertingServer, TypeFilterListsEveryItemThatConverts) {
  ComScope com;
  opcsim::Options options;
  options.filterConverts = true;
  options.accessFilter = opcsim::AccessFilter::AllBits;
  opcsim::Simulator sim(options);
  {
    com_ptr<IOPCBrowseServerAddressSpace> browse;
    ASSERT_EQ(S_OK, CoCreateInstance(sim.Clsid(), nullptr, CLSCTX_SERVER, IID_IOPCBrowseServerAddressSpace,
                                     browse.put_void()));
    ASSERT_EQ(S_OK, browse->ChangeBrowsePosition(OPC_BROWSE_TO, OLESTR("Plant.Area2.Tank1")));
    com_ptr<IEnumString> e;
    browse->BrowseOPCItemIDs(OPC_LEAF, OLESTR(""), VT_BSTR, 0, e.put());
    EXPECT_EQ((Strings{"Level", "Setpoint", "Reset"}), ReadAll(e.get()));
    browse->BrowseOPCItemIDs(OPC_LEAF, OLESTR(""), VT_EMPTY, OPC_READABLE | OPC_WRITEABLE, e.put());
    EXPECT_EQ(Strings{"Setpoint"}, ReadAll(e.get())) << "only items with both rights";
  }
  EXPECT_EQ(0, opcsim::LiveObjects());
}
