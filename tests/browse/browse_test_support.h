// What the browsing tests share: a client started on a simulator with a
// small address space, and readable views of dictionaries, trees and the
// server's browse position.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "QARHashDicVEMDcnOpcItem.h"
#include "VEMDcnOpcItem.h"
#include "VEMDcnOpcItemTreeNode.h"
#include "client_test_support.h"

namespace browsetest {

using clienttest::SetTraceVariable;
using clienttest::Utf8;

// Leaves of every access, a leaf at the root, an empty branch:
//   A.X  A.Y  A.B.Z  C.W  Top  Empty/
inline const char* const kSmallSpace =
    "A.X I4 R\n"
    "A.Y R8 RW\n"
    "A.B.Z BOOL W\n"
    "C.W BSTR RW\n"
    "Top I2 R\n"
    "branch Empty\n";

inline std::shared_ptr<opcsim::AddressSpace> Space(const char* text) {
  std::string error;
  auto space = opcsim::ParseAddressSpace(text, &error);
  EXPECT_TRUE(space) << error;
  return space;
}

// A record as the host reads it.
struct Record {
  std::string name, path;
  unsigned long access = 0;
  VARTYPE type = VT_EMPTY;
  bool operator==(const Record& o) const {
    return name == o.name && path == o.path && access == o.access && type == o.type;
  }
};
inline void PrintTo(const Record& r, std::ostream* os) {
  *os << "{" << r.name << ", " << r.path << ", " << r.access << ", " << r.type << "}";
}

// A dictionary the test owns with its items, read as ID -> record.
class Dictionary {
 public:
  Dictionary() = default;
  Dictionary(const Dictionary&) = delete;
  Dictionary& operator=(const Dictionary&) = delete;
  ~Dictionary() {
    if (dico == nullptr) return;
    QARHashCodeIter it(dico->GetDico());
    while (it.Next()) delete static_cast<VEMDcnOpcItem*>(it.GetValue());
    delete dico;
  }
  QARHashDicVEMDcnOpcItem** put() { return &dico; }
  std::map<std::string, Record> Records() const {
    std::map<std::string, Record> out;
    if (dico == nullptr) return out;
    QARHashCodeIter it(dico->GetDico());
    while (it.Next()) {
      const auto* item = static_cast<const VEMDcnOpcItem*>(it.GetValue());
      EXPECT_EQ(Utf8(it.GetKey()), Utf8(item->_ItemID));
      EXPECT_EQ(item, dico->Locate(it.GetKey()));  // found again by its ID, as a host looks it up
      out[Utf8(it.GetKey())] = Record{Utf8(item->_Name), Utf8(item->_Path), item->_AccessRights,
                                      item->_CanonicalDataType};
    }
    return out;
  }
  // The IDs in the order they were inserted.
  std::vector<std::string> Ids() const {
    std::vector<std::string> ids;
    if (dico == nullptr) return ids;
    QARHashCodeIter it(dico->GetDico());
    while (it.Next()) ids.push_back(Utf8(it.GetKey()));
    return ids;
  }

  QARHashDicVEMDcnOpcItem* dico = nullptr;
};

// A tree as indented lines: "name" for a branch, "name=tag" for a leaf,
// two blanks per level below the root.
inline void TreeLines(const VEMDcnOpcItemTreeNode& node, int level, std::vector<std::string>& out) {
  const QARListValQARBaseUnknown_var children = node.GetChildren();
  for (int i = 1; i <= children.Size(); ++i) {
    const auto* child = static_cast<const VEMDcnOpcItemTreeNode*>(children[i].GetPointer());
    std::string line(static_cast<size_t>(level) * 2, ' ');
    line += Utf8(child->GetName());
    if (child->IsLeaf()) line += "=" + Utf8(child->GetTag());
    out.push_back(line);
    TreeLines(*child, level + 1, out);
  }
}
inline std::vector<std::string> TreeLines(const VEMDcnOpcItemTreeNode& root) {
  std::vector<std::string> out;
  TreeLines(root, 0, out);
  return out;
}

// The root of a tree, released at the end of the test.
inline comown::com_ptr<VEMDcnOpcItemTreeNode> NewRoot() {
  return comown::com_ptr<VEMDcnOpcItemTreeNode>(new VEMDcnOpcItemTreeNode("Root", "", "", "", 0), comown::attach);
}

// A client started on a simulator that the test sets up.
class BrowseTest : public clienttest::ClientTest {
 protected:
  void TearDown() override {
    if (client) {
      EXPECT_EQ(S_OK, client->OpcStop());
    }
    client.reset();
    sim.reset();
    clienttest::ClientTest::TearDown();
  }

  // Starts on a space (null: the small one) with the options given.
  void Start(opcsim::Options options = opcsim::Options()) {
    if (!options.space) options.space = Space(kSmallSpace);
    sim = std::make_unique<opcsim::Simulator>(options);
    client = std::make_unique<VEMDcnOpcClient>();
    ASSERT_EQ(S_OK, client->OpcStart(sim->ProgId().c_str(), "", 100, 0.0f));
    sim->Calls().Clear();
    log.Clear();
  }
  void StartWithoutBrowse() {
    opcsim::ServerClass noBrowse;
    noBrowse.browse = false;
    Start(WithClass(noBrowse));
  }
  void StartFlat() {
    opcsim::Options options;
    options.organisation = OPC_NS_FLAT;
    Start(options);
  }

  VEMDcnOpcClientInspector View() { return VEMDcnOpcClientInspector(*client); }

  // The server's browse position, as the path of its branch.
  std::string Position() {
    comown::task_string path;
    EXPECT_EQ(S_OK, View().Browse()->GetItemID(const_cast<LPWSTR>(OLESTR("")), path.put()));
    return comown::to_utf8(path.get());
  }

  // The calls of one method, as "argument" texts of one key.
  std::vector<std::string> Args(const std::string& method, const std::string& key) {
    std::vector<std::string> out;
    for (const opcsim::Call& call : sim->Calls().Of(method)) out.push_back(call.Arg(key));
    return out;
  }
  size_t Count(const std::string& method) { return sim->Calls().Count(method); }

  std::unique_ptr<opcsim::Simulator> sim;
  std::unique_ptr<VEMDcnOpcClient> client;
};

// The error a failed call left: one error with that context, or a chain of
// errors whose lines name these contexts in this order.
inline void ExpectErrors(long hr, const std::vector<std::string>& contexts) {
  EXPECT_TRUE(FAILED(hr)) << std::hex << hr;
  const clienttest::ReportedError error = clienttest::Reported(hr);
  ASSERT_TRUE(error.present);
  if (contexts.size() == 1) {
    EXPECT_EQ("VEMOPCERR02", error.key);
    ASSERT_EQ(4u, error.parameters.size());
    EXPECT_EQ(contexts[0], error.parameters[2]);
    return;
  }
  EXPECT_EQ("VEMOPCERR15", error.key);
  std::vector<std::string> lines;
  for (size_t start = 0, cut; start <= error.message.size(); start = cut + 1) {
    cut = error.message.find('\n', start);
    if (cut == std::string::npos) cut = error.message.size();
    lines.push_back(error.message.substr(start, cut - start));
  }
  ASSERT_EQ(contexts.size(), lines.size()) << error.message;
  for (size_t i = 0; i < contexts.size(); ++i)
    EXPECT_NE(std::string::npos, lines[i].find(" - " + contexts[i] + ": ")) << lines[i];
}

// Short method names of the fault rules.
inline const char* const kChange = "IOPCBrowseServerAddressSpace::ChangeBrowsePosition";
inline const char* const kBrowse = "IOPCBrowseServerAddressSpace::BrowseOPCItemIDs";
inline const char* const kGetItemID = "IOPCBrowseServerAddressSpace::GetItemID";
inline const char* const kQuery = "IOPCBrowseServerAddressSpace::QueryOrganization";
inline const char* const kNext = "IEnumString::Next";
inline const char* const kReset = "IEnumString::Reset";

// A rule restricted to calls whose argument `key` is `value`.
inline opcsim::Fault On(opcsim::Fault fault, std::string key, std::string value) {
  return fault.When([key, value](const opcsim::Call& call) { return call.Arg(key) == value; });
}

}  // namespace browsetest
