// Item listing: the dictionary a host receives, the calls the server sees,
// where the browse position ends, and every failure of the two walks.
#include "browse_test_support.h"

using namespace browsetest;
using opcsim::Fault;

namespace {

class ItemListingTest : public BrowseTest {};

const std::map<std::string, Record> kAllLeaves = {
    {"Top", {"Top", "", 0, VT_EMPTY}},     {"A.X", {"X", "A", 0, VT_EMPTY}},
    {"A.Y", {"Y", "A", 0, VT_EMPTY}},      {"A.B.Z", {"Z", "A.B", 0, VT_EMPTY}},
    {"C.W", {"W", "C", 0, VT_EMPTY}}};

TEST_F(ItemListingTest, HierarchicalWalkListsLeavesDepthFirstAndReturnsToTheRoot) {
  Start();
  Dictionary items;
  const long hr = client->GetOpcItemsList("*", VT_EMPTY, "", items.put());
  EXPECT_EQ(S_FALSE, hr);  // the last Next of the root's branches
  EXPECT_EQ(kAllLeaves, items.Records());
  EXPECT_EQ((std::vector<std::string>{"Top", "A.X", "A.Y", "A.B.Z", "C.W"}), items.Ids());
  EXPECT_EQ((std::vector<std::string>{"to", "down", "down", "up", "up", "down", "up", "down", "up"}),
            Args(kChange, "direction"));
  EXPECT_EQ((std::vector<std::string>{"", "A", "B", "", "", "C", "", "Empty", ""}), Args(kChange, "name"));
  EXPECT_EQ(1u, Count(kQuery));
  EXPECT_EQ(5u, Count(kGetItemID));  // one per leaf, before the pattern is tried
  // The pattern never reaches the server; the filters do.
  for (const opcsim::Call& call : sim->Calls().Of(kBrowse)) EXPECT_EQ("", call.Arg("filter"));
  EXPECT_EQ("", Position());
  EXPECT_TRUE(log.Lines().empty());  // the dictionary listing writes no trace
}

TEST_F(ItemListingTest, PatternMatchesWholeIdsWithoutCase) {
  Start();
  struct Case {
    const char* pattern;
    std::vector<std::string> ids;
  };
  for (const Case& c : std::vector<Case>{{"a.*", {"A.X", "A.Y", "A.B.Z"}},
                                         {"*.?", {"A.X", "A.Y", "A.B.Z", "C.W"}},
                                         {"[!a]*", {"Top", "C.W"}},
                                         {"top", {"Top"}},
                                         {"A", {}},
                                         {"", {}}}) {
    Dictionary items;
    EXPECT_EQ(S_FALSE, client->GetOpcItemsList(c.pattern, VT_EMPTY, "", items.put())) << c.pattern;
    EXPECT_EQ(c.ids, items.Ids()) << c.pattern;
    if (c.ids.empty()) {
      EXPECT_EQ(nullptr, items.dico) << "no match leaves a null dictionary null";
    }
  }
}

TEST_F(ItemListingTest, OneTypeListingPassesItsFiltersAndRecordsThem) {
  Start();
  struct Case {
    VARTYPE type;
    const char* access;
    DWORD rights;
    std::vector<std::string> ids;
  };
  for (const Case& c : std::vector<Case>{{VT_EMPTY, "Readable", 1, {"Top", "A.X", "A.Y", "C.W"}},
                                         {VT_EMPTY, "Writable", 2, {"A.Y", "A.B.Z", "C.W"}},
                                         {VT_R8, "Readable/Writable", 3, {"A.Y"}},
                                         {VT_BOOL, "readable", 0, {"A.B.Z"}},
                                         {VT_I4, "", 0, {"A.X"}}}) {
    sim->Calls().Clear();
    Dictionary items;
    client->GetOpcItemsList("*", c.type, c.access, items.put());
    EXPECT_EQ(c.ids, items.Ids()) << c.access;
    for (const auto& entry : items.Records()) {
      EXPECT_EQ(c.rights, entry.second.access) << entry.first;
      EXPECT_EQ(c.type, entry.second.type) << entry.first;
    }
    for (const opcsim::Call& call : sim->Calls().Of(kBrowse)) {
      const bool leaf = call.Arg("type") == "leaf";
      EXPECT_EQ(std::to_string(leaf ? c.type : VARTYPE(VT_EMPTY)), call.Arg("dataType"));
      EXPECT_EQ(std::to_string(leaf ? c.rights : 0), call.Arg("accessRights"));
    }
  }
}

TEST_F(ItemListingTest, AllTypesListingWalksOncePerTypeAndTheFirstTypeWins) {
  for (const bool converts : {false, true}) {
    opcsim::Options options;
    options.filterConverts = converts;
    Start(options);
    Dictionary items;
    EXPECT_EQ(S_FALSE, client->GetOpcItemsList("*", items.put()));
    EXPECT_EQ(11u, Count(kQuery));
    const std::vector<std::string> directions = Args(kChange, "direction");
    EXPECT_EQ(11, std::count(directions.begin(), directions.end(), "to"));
    const std::map<std::string, Record> records = items.Records();
    const std::map<std::string, VARTYPE> canonical = {
        {"Top", VT_I2}, {"A.X", VT_I4}, {"A.Y", VT_R8}, {"A.B.Z", VT_BOOL}, {"C.W", VT_BSTR}};
    ASSERT_EQ(5u, records.size());
    for (const auto& entry : records) {
      // A server that converts lists numbers under VT_I1 first; a text only as text.
      const VARTYPE expected = converts && entry.first != "C.W" ? VARTYPE(VT_I1) : canonical.at(entry.first);
      EXPECT_EQ(expected, entry.second.type) << entry.first << (converts ? " converting" : "");
      EXPECT_EQ(3u, entry.second.access);
    }
    EXPECT_EQ(S_OK, client->OpcStop());
  }
}

TEST_F(ItemListingTest, ListingIntoAFilledDictionaryAddsOnlyNewIds) {
  Start();
  Dictionary items;
  client->GetOpcItemsList("A.*", VT_EMPTY, "Readable", items.put());
  QARHashDicVEMDcnOpcItem* const first = items.dico;
  client->GetOpcItemsList("*", VT_EMPTY, "", items.put());
  EXPECT_EQ(first, items.dico);
  EXPECT_EQ((std::vector<std::string>{"A.X", "A.Y", "Top", "A.B.Z", "C.W"}), items.Ids());
  EXPECT_EQ(1u, items.Records().at("A.X").access);  // the first record stays as it was
  EXPECT_EQ(0u, items.Records().at("C.W").access);
}

TEST_F(ItemListingTest, FlatSpaceListsFullIdsAsNames) {
  StartFlat();
  Dictionary items;
  EXPECT_EQ(S_FALSE, client->GetOpcItemsList("*", VT_EMPTY, "", items.put()));
  EXPECT_EQ((std::map<std::string, Record>{{"Top", {"Top", "", 0, VT_EMPTY}},
                                           {"A.X", {"A.X", "", 0, VT_EMPTY}},
                                           {"A.Y", {"A.Y", "", 0, VT_EMPTY}},
                                           {"A.B.Z", {"A.B.Z", "", 0, VT_EMPTY}},
                                           {"C.W", {"C.W", "", 0, VT_EMPTY}}}),
            items.Records());
  EXPECT_EQ(0u, Count(kChange));
  const opcsim::Call browse = sim->Calls().Last(kBrowse);
  EXPECT_EQ("flat", browse.Arg("type"));
  EXPECT_EQ("*", browse.Arg("filter"));
}

TEST_F(ItemListingTest, WithoutBrowseInterfaceEveryListingAndTheTreeRefuse) {
  StartWithoutBrowse();
  Dictionary items;
  EXPECT_EQ(E_POINTER, client->GetOpcItemsList("*", items.put()));
  EXPECT_EQ(E_POINTER, client->GetOpcItemsList("*", VT_EMPTY, "", items.put()));
  EXPECT_EQ(E_POINTER, client->GetOpcItemsList("*", VT_EMPTY, "", nullptr));
  const auto root = NewRoot();
  EXPECT_EQ(E_POINTER, client->GetOpcItemsTree("*", *root));
  // Every one of the eleven passes of the all-types listing says so.
  EXPECT_EQ(std::vector<std::string>(11 + 3, "Invalid NULL input pointer"), log.Lines());
  EXPECT_FALSE(clienttest::Reported(E_POINTER).present);
}

TEST_F(ItemListingTest, FailedOrganisationQueryIsReportedWithTheBrowseInterface) {
  for (const bool flat : {false, true}) {
    flat ? StartFlat() : Start();
    sim->Faults().Add(Fault::Fail(kQuery, E_ACCESSDENIED));
    Dictionary items;
    ExpectErrors(client->GetOpcItemsList("*", VT_EMPTY, "", items.put()),
                 {"IOPCBrowseServerAddressSpace::QueryOrganization"});
    EXPECT_EQ(0u, Count(kBrowse));
    EXPECT_EQ(S_OK, client->OpcStop());
  }
}

// Every failure of the branch walk: what the host gets, what stays listed,
// where the position is left.
struct BranchFailure {
  const char* what;
  Fault fault;
  std::vector<std::string> contexts;  // empty: no error, the result is `result`
  long result;
  std::vector<std::string> ids;
  std::string position;
  size_t nullInputLines;
};

TEST_F(ItemListingTest, BranchWalkFailures) {
  const std::vector<std::string> all = {"Top", "A.X", "A.Y", "A.B.Z", "C.W"};
  const char* const leafBrowse = "IOPCBrowseServerAddressSpace::BrowseOPCItemIDs(OPC_LEAF)";
  const char* const branchBrowse = "IOPCBrowseServerAddressSpace::BrowseOPCItemIDs(OPC_BRANCH)";
  const char* const fromNext = "Error from Next(_browseBranch)";
  const std::vector<BranchFailure> cases = {
      {"leaf browse fails", On(Fault::Fail(kBrowse, E_FAIL), "type", "leaf"), {leafBrowse}, 0, {}, "", 0},
      {"leaf browse without enumerator", On(Fault::NullOut(kBrowse), "type", "leaf"), {fromNext}, 0, {}, "", 1},
      {"leaf browse S_FALSE, empty", On(Fault::Empty(kBrowse), "type", "leaf"), {}, S_FALSE, {}, "", 0},
      {"first Reset fails", Fault::Fail(kReset, E_FAIL).OnCall(1), {"IEnumString::Reset()", fromNext}, 0, {}, "", 0},
      {"first Next fails", Fault::Fail(kNext, E_FAIL).OnCall(1), {"IEnumString::Next()", fromNext}, 0, {}, "", 0},
      {"GetItemID fails below", On(Fault::Fail(kGetItemID, E_INVALIDARG), "name", "Y"),
       {"IOPCBrowseServerAddressSpace::GetItemID", fromNext}, 0, {"Top", "A.X"}, "A", 0},
      {"GetItemID without ID", On(Fault::NullOut(kGetItemID), "name", "Top"),
       {"IOPCBrowseServerAddressSpace::GetItemID", fromNext}, 0, {}, "", 0},
      {"branch browse fails", On(Fault::Fail(kBrowse, E_FAIL), "type", "branch"), {branchBrowse}, 0, {"Top"}, "", 0},
      {"branch browse S_OK without enumerator", On(Fault::NullOut(kBrowse), "type", "branch"), {branchBrowse}, 0,
       {"Top"}, "", 0},
      {"branch browse S_FALSE without enumerator", On(Fault::NullOut(kBrowse, S_FALSE), "type", "branch"),
       {"Nothing to enumerate"}, 0, {"Top"}, "", 0},
      {"step down fails", On(Fault::Fail(kChange, E_INVALIDARG), "name", "C"),
       {"IOPCBrowseServerAddressSpace::ChangeBrowsePosition(OPC_BROWSE_DOWN)"}, 0, {"Top", "A.X", "A.Y", "A.B.Z"},
       "", 0},
      {"step up fails below", On(Fault::Fail(kChange, E_FAIL), "direction", "up").OnCall(1),
       {"IOPCBrowseServerAddressSpace::ChangeBrowsePosition(OPC_BROWSE_UP)"}, 0, {"Top", "A.X", "A.Y", "A.B.Z"},
       "A.B", 0},
  };
  Start();
  for (const BranchFailure& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(S_OK, client->BrowseToRoot());
    sim->Faults().Add(c.fault);
    log.Clear();
    Dictionary items;
    const long hr = client->GetOpcItemsList("*", VT_EMPTY, "", items.put());
    if (c.contexts.empty())
      EXPECT_EQ(c.result, hr);
    else
      ExpectErrors(hr, c.contexts);
    EXPECT_EQ(c.ids, items.Ids());
    sim->Faults().Clear();
    EXPECT_EQ(c.position, Position());
    EXPECT_EQ(c.nullInputLines, log.Count("Invalid NULL input pointer"));
  }
  // A failure at the leaves keeps the sub-branches unvisited.
  sim->Calls().Clear();
  sim->Faults().Add(On(Fault::Fail(kBrowse, E_FAIL), "type", "leaf"));
  Dictionary items;
  clienttest::Reported(client->GetOpcItemsList("*", VT_EMPTY, "", items.put()));
  EXPECT_EQ(1u, Count(kChange));
  EXPECT_EQ(1u, Count(kBrowse));
}

struct FlatFailure {
  const char* what;
  Fault fault;
  std::string context;  // empty: no error, the result is `result`
  long result;
  std::vector<std::string> ids;
};

TEST_F(ItemListingTest, FlatWalkFailures) {
  const std::vector<FlatFailure> cases = {
      {"browse answers S_FALSE", Fault::Answer(kBrowse, S_FALSE), "There is nothing to enumerate", 0, {}},
      {"browse fails", Fault::Fail(kBrowse, E_OUTOFMEMORY), "IOPCBrowseServerAddressSpace::BrowseOPCItemIDs", 0, {}},
      {"browse without enumerator", Fault::NullOut(kBrowse), "IOPCBrowseServerAddressSpace::BrowseOPCItemIDs", 0, {}},
      {"one GetItemID fails, the walk goes on", On(Fault::Fail(kGetItemID, E_INVALIDARG), "name", "A.Y"),
       "IOPCBrowseServerAddressSpace::GetItemID", 0, {"Top", "A.X", "A.B.Z", "C.W"}},
      {"GetItemID without ID", On(Fault::NullOut(kGetItemID), "name", "A.X"),
       "IOPCBrowseServerAddressSpace::GetItemID", 0, {"Top", "A.Y", "A.B.Z", "C.W"}},
      {"third Next fails", Fault::Fail(kNext, E_FAIL).OnCall(3), "Error from Next (_BrowseOPCItemIDs)", 0,
       {"Top", "A.X"}},
      {"Next ends with S_OK and nothing", Fault::NullOut(kNext).OnCall(3), "", S_OK, {"Top", "A.X"}},
  };
  StartFlat();
  for (const FlatFailure& c : cases) {
    SCOPED_TRACE(c.what);
    sim->Faults().Add(c.fault);
    Dictionary items;
    const long hr = client->GetOpcItemsList("*", VT_EMPTY, "", items.put());
    if (c.context.empty())
      EXPECT_EQ(c.result, hr);
    else
      ExpectErrors(hr, {c.context});
    EXPECT_EQ(c.ids, items.Ids());
    sim->Faults().Clear();
  }
}

}  // namespace
