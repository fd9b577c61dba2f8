// Tag validation: nodes completed from a temporary group, refusals in one
// error, and the group gone again whatever happened.
#include "browse_test_support.h"

using namespace browsetest;
using opcsim::Fault;

namespace {

const char* const kAddItems = "IOPCItemMgt::AddItems";
const char* const kAddGroup = "IOPCServer::AddGroup";
const char* const kRemoveGroup = "IOPCServer::RemoveGroup";

class ValidateTagsTest : public BrowseTest {
 protected:
  // A list of nodes, leaves for tags, a branch for "/name".
  QARListValQARBaseUnknown_var Nodes(const std::vector<std::string>& tags) {
    QARListValQARBaseUnknown_var list;
    for (const std::string& tag : tags) {
      const bool branch = !tag.empty() && tag[0] == '/';
      comown::com_ptr<VEMDcnOpcItemTreeNode> node(
          new VEMDcnOpcItemTreeNode(branch ? tag.substr(1).c_str() : "n", branch ? "" : tag.c_str(), "", "",
                                    branch ? 0 : 1),
          comown::attach);
      list.Append(node.get());
    }
    return list;
  }
  static std::string Completion(const QARListValQARBaseUnknown_var& list, int position) {
    const auto* node = static_cast<const VEMDcnOpcItemTreeNode*>(list[position].GetPointer());
    return Utf8(node->GetType()) + "|" + Utf8(node->GetOpcType()) + "|" + Utf8(node->GetDirection());
  }
  static std::string Expected(VARTYPE type, const char* direction) {
    return Utf8(VEMDcnOpcItem::GetPelType(type)) + "|" + Utf8(VEMDcnOpcItem::GetOpcType(type)) + "|" + direction;
  }
  // The temporary group was made as asked and removed again.
  void ExpectGroupCameAndWent() {
    const std::map<std::string, std::string> asked = {
        {"name", "tmpGroupForValidation"}, {"active", "1"},      {"updateRate", "100"}, {"clientGroup", "0"},
        {"timeBias", "null"},              {"deadband", "null"}, {"lcid", "0"},         {"iid", "IOPCItemMgt"}};
    for (const auto& [key, value] : asked) EXPECT_EQ(value, sim->Calls().Last(kAddGroup).Arg(key)) << key;
    EXPECT_EQ("1", sim->Calls().Last(kRemoveGroup).Arg("force"));
    EXPECT_EQ(1u, Count(kRemoveGroup));
  }
};

TEST_F(ValidateTagsTest, AcceptedTagsCompleteTheirNodes) {
  Start();
  QARListValQARBaseUnknown_var list = Nodes({"A.X", "A.Y", "A.B.Z"});
  EXPECT_EQ(S_OK, client->ValidateTags(list));
  EXPECT_EQ(Expected(VT_I4, "Out"), Completion(list, 1));  // read-only
  EXPECT_EQ(Expected(VT_R8, ""), Completion(list, 2));     // read-write
  EXPECT_EQ(Expected(VT_BOOL, "In"), Completion(list, 3));  // write-only
  ExpectGroupCameAndWent();
  const opcsim::Call add = sim->Calls().Last(kAddItems);
  EXPECT_EQ((std::vector<std::string>{"A.X", "A.Y", "A.B.Z"}), add.List("items"));
  EXPECT_EQ((std::vector<std::string>{"1", "2", "3"}), add.List("clientHandles"));
  EXPECT_EQ((std::vector<std::string>(3, "0")), add.List("dataTypes"));
  EXPECT_EQ((std::vector<std::string>(3, "")), add.List("accessPaths"));
  EXPECT_EQ((std::vector<std::string>(3, "1")), add.List("active"));
  // Handles go on from there, also for definitions that follow.
  EXPECT_EQ(S_OK, client->ValidateTags(list));
  EXPECT_EQ(7u, View().NextClientHandle());
}

TEST_F(ValidateTagsTest, RefusedTagsAreListedInOneErrorAndTheOthersCompleted) {
  Start();
  // A branch's empty tag and an entry that is no node go as the empty ID.
  comown::com_ptr<VEMDcnOpcError> notANode(new VEMDcnOpcError(1), comown::attach);
  QARListValQARBaseUnknown_var list = Nodes({"A.X", "A.Y", "C.W", "/Branch"});
  list.Append(notANode.get());
  sim->Faults().Add(Fault::Refuse(kAddItems, {"A.Y", "C.W"}));
  const long hr = client->ValidateTags(list);
  const clienttest::ReportedError error = clienttest::Reported(hr);
  ASSERT_TRUE(error.present);
  EXPECT_EQ("VEMOPCValidateError", error.key);
  EXPECT_EQ(3u, error.id);
  EXPECT_EQ(std::vector<std::string>{"\nA.Y\nC.W\n\n"}, error.parameters);
  EXPECT_EQ(Expected(VT_I4, "Out"), Completion(list, 1));
  EXPECT_EQ("||", Completion(list, 2));
  EXPECT_EQ((std::vector<std::string>{"A.X", "A.Y", "C.W", "", ""}), sim->Calls().Last(kAddItems).List("items"));
  ExpectGroupCameAndWent();
}

TEST_F(ValidateTagsTest, EmptyListTouchesNothing) {
  Start();
  QARListValQARBaseUnknown_var empty;
  EXPECT_EQ(S_FALSE, client->ValidateTags(empty));
  EXPECT_TRUE(sim->Calls().All().empty());
  EXPECT_EQ(1u, View().NextClientHandle());
  VEMDcnOpcClient idle;
  EXPECT_EQ(S_FALSE, idle.ValidateTags(empty));
  QARListValQARBaseUnknown_var one = Nodes({"A.X"});
  EXPECT_EQ(E_POINTER, idle.ValidateTags(one));
  EXPECT_EQ(std::vector<std::string>{"Invalid NULL input pointer"}, log.Lines());
}

TEST_F(ValidateTagsTest, FailuresOfTheGroupAndOfItsItems) {
  struct Case {
    const char* what;
    Fault fault;
    const char* context;  // null: the bare code `result`
    long result;
    bool groupMade;
  };
  const std::vector<Case> cases = {
      {"AddGroup fails", Fault::Fail(kAddGroup, E_OUTOFMEMORY), "AddGroup()", 0, false},
      {"AddGroup without the interface", Fault::NullOut(kAddGroup), "AddGroup()", 0, false},
      {"AddItems fails", Fault::Fail(kAddItems, E_INVALIDARG), nullptr, E_INVALIDARG, true},
      {"AddItems without its answers", Fault::NullOut(kAddItems), "IOPCItemMgt::AddItems", 0, true},
  };
  Start();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    sim->Faults().Clear();
    sim->Faults().Add(c.fault);
    sim->Calls().Clear();
    QARListValQARBaseUnknown_var list = Nodes({"A.X"});
    const long hr = client->ValidateTags(list);
    if (c.context == nullptr) {
      EXPECT_EQ(c.result, hr);
      EXPECT_FALSE(clienttest::Reported(hr).present);
    } else {
      ExpectErrors(hr, {c.context});
    }
    EXPECT_EQ(c.fault.Code(), sim->Calls().Last(c.fault.Method()).result);  // what the log saw returned
    EXPECT_EQ("||", Completion(list, 1));
    EXPECT_EQ(c.groupMade ? 1u : 0u, Count(kRemoveGroup));
  }
}

}  // namespace
