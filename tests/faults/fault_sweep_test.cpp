// The fault sweep: each host scenario runs once to record the server calls of
// its body, then once more for every recorded call and every fault that call
// can take. Every run must end without a leak, leave the client usable, and
// give every failure a way for the host to learn why.
#include <cctype>
#include <cstdio>
#include <map>
#include <set>

#include <opcerror.h>

#include "library_calls.h"
#include "sweep_scenarios.h"
#ifndef _WIN32
#include "native_com_ext.h"
#endif

using opcsim::Fault;
using sweep::Outcome;
using sweep::Scenario;
using sweep::Session;

namespace {

enum Kind { kFail, kServerCode, kSFalse, kNullOut, kEmpty, kRefuse, kKinds };
const char* const kKindNames[kKinds] = {"E_FAIL", "server code", "S_FALSE", "null out", "empty", "refused"};
// A code the server describes in its own words (GetErrorString).
const HRESULT kDescribedCode = OPC_E_INVALIDCONFIGFILE;

bool Named(const std::string& method, std::initializer_list<const char*> names) {
  for (const char* name : names) {
    const std::string n(name);
    if (method == n || (n.rfind("::", 0) == 0 && method.size() > n.size() &&
                        method.compare(method.size() - n.size(), n.size(), n) == 0))
      return true;
  }
  return false;
}

// The faults a server method can answer with, besides the two failure codes.
std::vector<Kind> KindsOf(const std::string& method) {
  std::vector<Kind> kinds = {kFail, kServerCode};
  if (Named(method, {"::Next", "::Skip", "::BrowseOPCItemIDs", "::BrowseAccessPaths", "::AddItems", "::ValidateItems",
                     "::RemoveItems", "::SetActiveState", "::SetClientHandles", "::SetDatatypes", "IOPCSyncIO::Read",
                     "IOPCSyncIO::Write", "IOPCAsyncIO2::Read", "IOPCAsyncIO2::Write", "::GetItemProperties",
                     "::LookupItemIDs"}))
    kinds.push_back(kSFalse);
  // QueryInterface and CreateInstance are also called by the COM runtime,
  // in activation and marshalling, which trusts their success as Windows does.
  if (!Named(method, {"::SetClientName", "::ChangeBrowsePosition", "::RemoveGroup", "::Unadvise", "::Reset", "::Skip",
                      "::SetLocaleID", "::Cancel2", "::SetEnable", "::SetName", "::QueryInterface",
                      "::CreateInstance"}))
    kinds.push_back(kNullOut);
  if (Named(method, {"::BrowseOPCItemIDs", "::BrowseAccessPaths", "::EnumClassesOfCategories",
                     "::CreateGroupEnumerator", "::CreateEnumerator", "::EnumConnectionPoints"}))
    kinds.push_back(kEmpty);
  if (Named(method, {"IOPCItemMgt::AddItems", "IOPCItemMgt::ValidateItems", "IOPCSyncIO::Read", "IOPCSyncIO::Write",
                     "IOPCAsyncIO2::Read", "IOPCAsyncIO2::Write"}))
    kinds.push_back(kRefuse);
  return kinds;
}

Fault Make(Kind kind, const std::string& method, unsigned occurrence) {
  switch (kind) {
    case kFail: return Fault::Fail(method, E_FAIL).OnCall(occurrence);
    case kServerCode: return Fault::Fail(method, kDescribedCode).OnCall(occurrence);
    case kSFalse: return Fault::Answer(method, S_FALSE).OnCall(occurrence);
    case kNullOut: return Fault::NullOut(method).OnCall(occurrence);
    case kEmpty: return Fault::Empty(method).OnCall(occurrence);
    default: return Fault::Refuse(method, {sweep::kRefusedItem}).OnCall(occurrence);
  }
}

// Failures the library answers with a bare code by design: the operation
// and the faulted call (occurrence 0: any).
struct BareCode {
  const char* operation;
  const char* method;
  unsigned occurrence;
};
const BareCode kBareCodes[] = {
    // A tree walks only from the root: a failed return to it is the result.
    {"GetOpcItemsTree", "IOPCBrowseServerAddressSpace::ChangeBrowsePosition", 1},
    // No ID qualifies the name: E_FAIL; a failed Reset: its code.
    {"GetFullyQualifiedItem", "IOPCBrowseServerAddressSpace::BrowseOPCItemIDs", 0},
    {"GetFullyQualifiedItem", "IEnumString::Reset", 0},
    {"GetFullyQualifiedItem", "IEnumString::Next", 0},
    // Switching notifications off, and the end of the subscription, answer
    // with their own code; an Advise that kept nothing makes the switch fail.
    {"DefineGroup", "IOPCAsyncIO2::SetEnable", 0},
    {"DefineGroup", "IConnectionPoint::Advise", 0},
    {"OpcStop", "IConnectionPoint::Unadvise", 0},
    // The items' own refusal is the answer, as the server gave it.
    {"ValidateTags", "IOPCItemMgt::AddItems", 0},
};

struct Faulted {
  std::string method;
  unsigned occurrence;
};

bool BareByDesign(const Outcome& outcome, const Faulted& faulted) {
  for (const BareCode& bare : kBareCodes)
    if (outcome.operation == bare.operation && faulted.method == bare.method &&
        (bare.occurrence == 0 || bare.occurrence == faulted.occurrence))
      return true;
  return false;
}

// Why a host could not learn the reason of a failure; empty when it can.
std::string Unexplained(const Outcome& o, const Faulted& faulted) {
  if (SUCCEEDED(o.hr)) return "";
  if (o.error.present) {
    if (o.error.key.rfind("VEMOPC", 0) != 0 || o.error.message.empty()) return "an error without a catalogue text";
    if (o.error.message.find("/p") != std::string::npos) return "an error text with a parameter left out";
    if (o.error.key == "VEMOPCERR02" && (o.error.parameters.size() != 4 || o.error.parameters[2].empty()))
      return "an error without a context";
    return "";
  }
  // Null pointers and memory shortage are logged instead.
  if ((o.hr == E_POINTER || o.hr == E_OUTOFMEMORY) && o.nullLine) return "";
  if (BareByDesign(o, faulted)) return "";
  char text[64];
  std::snprintf(text, sizeof text, "0x%08X without an error object", static_cast<unsigned>(o.hr));
  return text;
}

LONG TaskBlocks() {
#ifdef _WIN32
  return 0;  // only our layer counts them
#else
  return NativeComLiveTaskAllocations();
#endif
}

// Runs, per scenario, and the calls of its body, for the closing table.
struct Row {
  size_t calls = 0;
  int runs[kKinds] = {};
};
std::map<size_t, Row>& Table() {
  static std::map<size_t, Row> table;
  return table;
}

class TablePrinter : public ::testing::Environment {
 public:
  void TearDown() override {
    if (Table().empty()) return;
    std::printf("\n%-20s %6s", "scenario", "calls");
    for (const char* kind : kKindNames) std::printf(" %12s", kind);
    std::printf(" %8s\n", "runs");
    int total = 0;
    for (const auto& [index, row] : Table()) {
      int runs = 0;
      std::printf("%-20s %6zu", sweep::Scenarios()[index].name, row.calls);
      for (int n : row.runs) std::printf(" %12d", n), runs += n;
      std::printf(" %8d\n", runs);
      total += runs;
    }
    std::printf("%-20s %6s %*d\n", "total", "", 13 * kKinds + 9, total);
  }
};
const auto* const kPrinter = ::testing::AddGlobalTestEnvironment(new TablePrinter);

class FaultSweep : public clienttest::ClientTest, public ::testing::WithParamInterface<size_t> {
 protected:
  const Scenario& scenario() const { return sweep::Scenarios()[GetParam()]; }

  // One run of the scenario, with the fault when given; the calls of its body.
  std::vector<opcsim::Call> Run(const Fault* fault, const Faulted& faulted) {
    const LONG blocks = TaskBlocks();
    std::vector<opcsim::Call> calls;
    {
      Session s(sweep::OptionsOf(scenario()), scenario().git, log);
      Prologue(s);
      if (fault) s.sim.Faults().Add(*fault);
      scenario().body(s);
      calls = s.sim.Calls().All();
      s.sim.Faults().Clear();
      s.Note("OpcStop", s.client->OpcStop());
      for (const Outcome& o : s.outcomes) {
        EXPECT_EQ("", Unexplained(o, faulted)) << o.operation;
      }
      EXPECT_EQ(0, opcsim::LiveObjects()) << "after the stop";
      EXPECT_EQ(blocks, TaskBlocks()) << "task-memory blocks after the stop";
      if (fault) {
        // The same client, started again, runs the whole scenario.
        Prologue(s);
        scenario().body(s);
        for (const Outcome& o : s.outcomes) EXPECT_TRUE(SUCCEEDED(o.hr)) << "again: " << o.operation;
        s.Note("OpcStop", s.client->OpcStop());
        EXPECT_EQ("", Unexplained(s.outcomes.back(), Faulted{})) << "again: OpcStop";
      }
    }
    EXPECT_EQ(0, opcsim::LiveObjects());
    EXPECT_EQ(blocks, TaskBlocks()) << "task-memory blocks at the end";
    return calls;
  }

  void Prologue(Session& s) {
    s.outcomes.clear();
    scenario().prologue(s);
    for (const Outcome& o : s.outcomes) ASSERT_EQ(S_OK, o.hr) << "prologue: " << o.operation;
    s.outcomes.clear();
    s.sim.Calls().Clear();
  }
};

TEST_P(FaultSweep, EveryCallAnsweredWithEveryFault) {
  const std::vector<opcsim::Call> recorded = Run(nullptr, Faulted{});
  ASSERT_FALSE(HasFailure());
  Row& row = Table()[GetParam()];
  row.calls = recorded.size();
  std::map<std::string, unsigned> seen;
  for (const opcsim::Call& call : recorded) {
    const unsigned occurrence = ++seen[call.method];
    for (const Kind kind : KindsOf(call.method)) {
      SCOPED_TRACE(call.method + " #" + std::to_string(occurrence) + ": " + kKindNames[kind]);
      const Fault fault = Make(kind, call.method, occurrence);
      const std::vector<opcsim::Call> faulted = Run(&fault, Faulted{call.method, occurrence});
      ++row.runs[kind];
      // The rule fired where it was meant to: the call answered its code
      // (a refusal of some items: S_FALSE).
      std::vector<opcsim::Call> same;
      for (const opcsim::Call& c : faulted)
        if (c.method == call.method) same.push_back(c);
      ASSERT_LE(occurrence, same.size());
      EXPECT_EQ(kind == kRefuse ? S_FALSE : fault.Code(), same[occurrence - 1].result);
      if (HasFailure()) return;  // one broken call is enough to look at
    }
  }
}

std::string TestName(const ::testing::TestParamInfo<size_t>& info) {
  std::string name;
  for (const char c : std::string(sweep::Scenarios()[info.param].name))
    if (std::isalnum(static_cast<unsigned char>(c))) name += c;
  return name;
}

std::vector<size_t> ScenarioIndices() {
  std::vector<size_t> indices(sweep::Scenarios().size());
  for (size_t i = 0; i < indices.size(); ++i) indices[i] = i;
  return indices;
}
INSTANTIATE_TEST_SUITE_P(Scenarios, FaultSweep, ::testing::ValuesIn(ScenarioIndices()), TestName);

// The sweep cannot fall behind the library: every server method the library's
// sources call must be reached by a scenario, and every call a scenario makes
// must be one the simulator lists.
class Coverage : public clienttest::ClientTest {};

TEST_F(Coverage, ScenariosReachEveryServerMethodTheLibraryCalls) {
  std::set<std::string> reached;  // "Interface::Method"
  for (const Scenario& scenario : sweep::Scenarios()) {
    // Once as it is, once with the first call of its body failing with a
    // code the server describes (failures ask for texts).
    std::string first;
    for (int run = 0; run < 2; ++run) {
      Session s(sweep::OptionsOf(scenario), scenario.git, log);
      scenario.prologue(s);
      s.sim.Calls().Clear();
      if (run == 1) s.sim.Faults().Add(Fault::Fail(first, kDescribedCode).OnCall(1));
      scenario.body(s);
      const std::vector<opcsim::Call> calls = s.sim.Calls().All();
      for (const opcsim::Call& call : calls) reached.insert(call.method);
      if (!calls.empty()) first = calls.front().method;
      s.client->OpcStop();
    }
  }
  const std::vector<std::string>& served = opcsim::ServedMethods();
  for (const std::string& method : reached)
    EXPECT_NE(served.end(), std::find(served.begin(), served.end(), method)) << method << " is not listed as served";

  auto bare = [](const std::string& method) { return method.substr(method.find("::") + 2); };
  std::set<std::string> servedNames, reachedNames, called;
  for (const std::string& method : served) servedNames.insert(bare(method));
  for (const std::string& method : reached) reachedNames.insert(bare(method));
  for (const LibraryCall& call : kLibraryCalls)
    if (servedNames.count(call.method)) called.insert(call.method);
  for (const std::string& method : called)
    EXPECT_TRUE(reachedNames.count(method)) << "the library calls " << method << ", which no scenario reaches";
  // The listing of call sites found them: every method a scenario reaches
  // but activation and interface queries (made through COM itself) is one.
  // A new call site of a method already reached may sit on a path no
  // scenario takes: the sites are counted, and a change asks for a look.
  const std::map<std::string, int> known = {
      {"AddGroup", 3},        {"AddItems", 2},         {"Advise", 1},        {"BrowseOPCItemIDs", 4},
      {"CLSIDFromProgID", 1}, {"ChangeBrowsePosition", 4}, {"EnumClassesOfCategories", 1},
      {"FindConnectionPoint", 1}, {"GetClassDetails", 1}, {"GetErrorString", 1}, {"GetItemID", 2},
      {"GetStatus", 1},       {"Next", 1},             {"QueryOrganization", 1}, {"Read", 1},
      {"RemoveGroup", 3},     {"Reset", 2},            {"SetClientName", 1}, {"SetEnable", 1},
      {"Unadvise", 1},        {"Write", 2}};
  for (const LibraryCall& call : kLibraryCalls) {
    if (!servedNames.count(call.method)) continue;
    const auto it = known.find(call.method);
    EXPECT_EQ(it == known.end() ? 0 : it->second, call.sites)
        << "call sites of " << call.method << " changed: give the new ones a scenario, then count them here";
  }
  for (const std::string& method : reachedNames) {
    if (method == "QueryInterface" || method == "CreateInstance") continue;
    EXPECT_TRUE(called.count(method)) << method << " is reached but not found in the library's sources";
  }
}

}  // namespace
