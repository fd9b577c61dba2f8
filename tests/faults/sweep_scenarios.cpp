#include "sweep_scenarios.h"

#include "VEMDcnOpcItemTreeNode.h"
#include "browse_test_support.h"

namespace sweep {

// A branch with a leaf and a sub-branch, and a leaf at the root: every step
// of a walk (down, leaves, branches, up) happens once or twice.
const char* const kSpace =
    "A.X I4 RW\n"
    "A.B.Z BOOL RW\n"
    "Top I2 RW\n";
const char* const kRefusedItem = "A.X";

long Session::Note(const char* operation, long hr) {
  Outcome outcome;
  outcome.operation = operation;
  outcome.hr = hr;
  if (FAILED(hr)) {
    outcome.error = clienttest::Reported(hr);
    outcome.nullLine = log_.Count("Invalid NULL input pointer") + log_.Count("Invalid NULL pointer") > 0;
  }
  log_.Clear();
  outcomes.push_back(std::move(outcome));
  return hr;
}

namespace {

const std::vector<std::string> kGroupItems = {"A.X", "Top"};

unsigned short* Text16(const comown::wide_string& text) {
  return const_cast<unsigned short*>(reinterpret_cast<const unsigned short*>(text.c_str()));
}

// A client loses its table at its first stop: a second run goes without.
unsigned char UseTable(Session& s) { return s.git() && VEMDcnOpcClientInspector(*s.client).HasGIT(); }

void Start(Session& s) { s.Note("OpcStart", s.client->OpcStart(s.sim.ProgId().c_str(), "", 100, 0.0f)); }
void Stop(Session& s) { s.Note("OpcStop", s.client->OpcStop()); }

void StartAndStop(Session& s) {
  Start(s);
  Stop(s);
}

void Status(Session& s) {
  QARUnicodeString status, state;
  s.Note("GetServerStatus", s.client->GetServerStatus(status, state));
}

void ServerList(Session& s) {
  QARListValQARUnicodeString* list = nullptr;
  s.Note("GetOpcServerList", s.client->GetOpcServerList(&list));
  delete list;
}

void Dictionary(Session& s) {
  browsetest::Dictionary items;
  s.Note("GetOpcItemsList", s.client->GetOpcItemsList("*", VT_EMPTY, "", items.put()));
}

void Tree(Session& s) {
  const auto root = browsetest::NewRoot();
  s.Note("GetOpcItemsTree", s.client->GetOpcItemsTree("*", *root));
}

void FullyQualified(Session& s) {
  unsigned short* id = nullptr;
  s.Note("GetFullyQualifiedItem",
         s.client->GetFullyQualifiedItem(reinterpret_cast<const unsigned short*>(OLESTR("Z")), id));
  delete[] id;
}

void Validation(Session& s) {
  QARListValQARBaseUnknown_var tags;
  for (const std::string& id : kGroupItems) {
    comown::com_ptr<VEMDcnOpcItemTreeNode> node(new VEMDcnOpcItemTreeNode("n", id.c_str(), "", "", 1),
                                                comown::attach);
    tags.Append(node.get());
  }
  s.Note("ValidateTags", s.client->ValidateTags(tags));
}

// Defines the plain group (async 0) or the one written asynchronously (1).
void Define(Session& s, unsigned char async) {
  std::vector<comown::wide_string> texts;
  std::vector<const unsigned short*> ids;
  for (const std::string& id : kGroupItems) texts.push_back(comown::to_wide(id));
  for (const auto& text : texts) ids.push_back(Text16(text));
  std::vector<VARIANT> types(ids.size());
  for (VARIANT& type : types) type.vt = VT_EMPTY;
  const comown::wide_string name = comown::to_wide(async ? "VEM_APP_INPUTS" : "Plain");
  s.Note("DefineGroup", s.client->DefineGroup(Text16(name), ids.size(), nullptr, ids.data(), types.data(),
                                              s.groups[async], UseTable(s), 1, async));
}
void DefinePlain(Session& s) { Define(s, 0); }
void DefineAsync(Session& s) { Define(s, 1); }

void StartAndDefinePlain(Session& s) {
  Start(s);
  DefinePlain(s);
}
void StartAndDefineAsync(Session& s) {
  Start(s);
  DefineAsync(s);
}
void StartAndDefineBoth(Session& s) {
  Start(s);
  DefinePlain(s);
  DefineAsync(s);
}

std::vector<comown::com_variant> Values() {
  std::vector<comown::com_variant> values(kGroupItems.size());
  for (size_t i = 0; i < values.size(); ++i) {
    values[i].get()->vt = VT_I4;
    values[i].get()->lVal = static_cast<LONG>(i + 7);
  }
  return values;
}
VARIANT* Array(std::vector<comown::com_variant>& values) { return reinterpret_cast<VARIANT*>(values.data()); }

void SyncRead(Session& s) {
  std::vector<comown::com_variant> values(kGroupItems.size());
  s.Note("SyncReadGroup", s.client->SyncReadGroup(s.groups[0], Array(values), UseTable(s), OPC_DS_DEVICE));
}
void SyncWrite(Session& s) {
  auto values = Values();
  s.Note("SyncWriteGroup", s.client->SyncWriteGroup(s.groups[0], Array(values), UseTable(s)));
}
void AsyncWrite(Session& s) {
  auto values = Values();
  s.Note("ASyncWriteGroup", s.client->ASyncWriteGroup(s.groups[1], Array(values), UseTable(s)));
}

void Nothing(Session&) {}

}  // namespace

opcsim::Options OptionsOf(const Scenario& scenario) {
  opcsim::Options options;
  options.space = browsetest::Space(kSpace);
  if (scenario.flat) options.organisation = OPC_NS_FLAT;
  return options;
}

const std::vector<Scenario>& Scenarios() {
  static const std::vector<Scenario> kScenarios = {
      {"start+stop", 0, false, Nothing, StartAndStop},
      {"start+stop, table", 1, false, Nothing, StartAndStop},
      {"status", 0, false, Start, Status},
      {"server list", 0, false, Nothing, ServerList},
      {"dictionary", 0, false, Start, Dictionary},
      {"dictionary, flat", 0, true, Start, Dictionary},
      {"tree", 0, false, Start, Tree},
      {"qualified item", 0, false, Start, FullyQualified},
      {"validation", 0, false, Start, Validation},
      {"define", 1, false, Start, DefinePlain},
      {"define async", 1, false, Start, DefineAsync},
      {"sync read", 1, false, StartAndDefinePlain, SyncRead},
      {"sync write", 1, false, StartAndDefinePlain, SyncWrite},
      {"async write", 1, false, StartAndDefineAsync, AsyncWrite},
      {"stop with groups", 1, false, StartAndDefineBoth, Stop},
  };
  return kScenarios;
}

}  // namespace sweep
