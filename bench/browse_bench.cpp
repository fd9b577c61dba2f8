// The listings of 100,000 leaves against a hand-written walk that makes the
// same server calls and keeps plain records: what the library adds to the
// work a server must do anyway.
//
// The space is generated: 4 levels of 10 branches, 10 leaves in each of the
// 10,000 deepest branches. The simulator's call log is off, so a call costs
// what its answer needs.
#include <benchmark/benchmark.h>

#include <time.h>

#include <algorithm>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "QARHashDicVEMDcnOpcItem.h"
#include "VEMDcnOpcClient.h"
#include "VEMDcnOpcItem.h"
#include "VEMDcnOpcItemTreeNode.h"
#include "comown.h"
#include "opcsim/simulator.h"

namespace {

using Text = std::basic_string<WCHAR>;

struct Plant {
  std::unique_ptr<opcsim::Simulator> sim;
  std::unique_ptr<VEMDcnOpcClient> client;
  comown::com_ptr<IOPCBrowseServerAddressSpace> browse;  // the raw walk's own connection
};
Plant* plant = nullptr;

// ---- the raw walk ------------------------------------------------------------

struct RawItem {
  Text name, itemId, path;
  DWORD accessRights;
  VARTYPE dataType;
};
using RawDictionary = std::unordered_map<Text, RawItem>;

struct RawNode {
  Text name, tag;
  bool leaf;
  std::vector<std::unique_ptr<RawNode>> children;
};

// Calls add(name, itemId) for every leaf of the branch, then walks its
// sub-branches depth first, with the calls the library makes.
template <class Leaf, class Branch>
void RawWalk(IOPCBrowseServerAddressSpace* browse, VARTYPE dataType, DWORD accessRights, Leaf&& leaf,
             Branch&& branch) {
  comown::com_ptr<IEnumString> leaves;
  browse->BrowseOPCItemIDs(OPC_LEAF, OLESTR(""), dataType, accessRights, leaves.put());
  leaves->Reset();
  for (;;) {
    comown::task_string name;
    ULONG fetched = 0;
    leaves->Next(1, name.put(), &fetched);
    if (fetched == 0) break;
    comown::task_string itemId;
    browse->GetItemID(name.get(), itemId.put());
    leaf(name.get(), itemId.get());
  }
  comown::com_ptr<IEnumString> branches;
  browse->BrowseOPCItemIDs(OPC_BRANCH, OLESTR(""), VT_EMPTY, 0, branches.put());
  branches->Reset();
  for (;;) {
    comown::task_string name;
    ULONG fetched = 0;
    branches->Next(1, name.put(), &fetched);
    if (fetched == 0) break;
    browse->ChangeBrowsePosition(OPC_BROWSE_DOWN, name.get());
    branch(name.get());
    browse->ChangeBrowsePosition(OPC_BROWSE_UP, OLESTR(""));
  }
}

void RawList(IOPCBrowseServerAddressSpace* browse, VARTYPE dataType, DWORD accessRights, RawDictionary& out) {
  RawWalk(
      browse, dataType, accessRights,
      [&](const WCHAR* name, const WCHAR* itemId) {
        const Text id(itemId), leafName(name);
        const std::size_t at = id.rfind(leafName);
        Text path = at == Text::npos || at == 0 ? Text() : id.substr(0, at - 1);
        out.emplace(id, RawItem{leafName, id, std::move(path), accessRights, dataType});
      },
      [&](const WCHAR*) { RawList(browse, dataType, accessRights, out); });
}

void RawTree(IOPCBrowseServerAddressSpace* browse, RawNode& node) {
  RawWalk(
      browse, VT_EMPTY, OPC_READABLE | OPC_WRITEABLE,
      [&](const WCHAR* name, const WCHAR* itemId) {
        node.children.push_back(std::unique_ptr<RawNode>(new RawNode{name, itemId, true, {}}));
      },
      [&](const WCHAR* name) {
        std::unique_ptr<RawNode> branch(new RawNode{name, Text(), false, {}});
        RawTree(browse, *branch);
        node.children.push_back(std::move(branch));
      });
}

const VARTYPE kAllTypes[] = {VT_I1, VT_UI1, VT_I2, VT_UI2, VT_I4, VT_UI4, VT_R4, VT_R8, VT_BOOL, VT_BSTR, VT_DATE};

// ---- the benchmarks ------------------------------------------------------------
//
// Each iteration runs the raw walk and the library's listing one after the
// other, timed by the thread's CPU clock, so that both see the same machine
// even when other work shares it. The counters give the fastest run of each
// in milliseconds and their ratio; the iteration time is the pair's.

double ThreadMilliseconds() {
  timespec now;
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

// `drop` frees what the last pair made, before the clocks run. The order of
// the two alternates, so that neither always meets the state the other left.
// Counters: the fastest run of each, and the median of the pairs' ratios,
// which other work on the machine disturbs least.
template <class Drop, class Raw, class Library>
void Paired(benchmark::State& state, Drop&& drop, Raw&& raw, Library&& library) {
  double rawBest = 1e300, libraryBest = 1e300;
  std::vector<double> ratios;
  bool rawFirst = true;
  for (auto _ : state) {
    drop();
    double rawTime = 0, libraryTime = 0;
    for (int turn = 0; turn < 2; ++turn) {
      const bool rawTurn = (turn == 0) == rawFirst;
      const double start = ThreadMilliseconds();
      rawTurn ? raw() : library();
      (rawTurn ? rawTime : libraryTime) = ThreadMilliseconds() - start;
    }
    rawFirst = !rawFirst;
    rawBest = std::min(rawBest, rawTime);
    libraryBest = std::min(libraryBest, libraryTime);
    ratios.push_back(libraryTime / rawTime);
    state.SetIterationTime((rawTime + libraryTime) / 1e3);
  }
  drop();
  std::sort(ratios.begin(), ratios.end());
  state.counters["raw_ms"] = rawBest;
  state.counters["library_ms"] = libraryBest;
  state.counters["ratio"] = ratios[ratios.size() / 2];
}

void DeleteItems(QARHashDicVEMDcnOpcItem* items) {
  QARHashCodeIter it(items->GetDico());
  while (it.Next()) delete static_cast<VEMDcnOpcItem*>(it.GetValue());
  delete items;
}

// What is made is dropped only after both ran, outside the timed parts.
struct Made {
  QARHashDicVEMDcnOpcItem* items = nullptr;
  RawDictionary rawItems;
  comown::com_ptr<VEMDcnOpcItemTreeNode> root;
  std::unique_ptr<RawNode> rawRoot;
  ~Made() {
    if (items != nullptr) DeleteItems(items);
  }
};

void ListOneType(benchmark::State& state) {
  std::unique_ptr<Made> made;
  size_t items = 0;
  Paired(
      state, [&] { made.reset(new Made()); },
      [&] {
        OPCNAMESPACETYPE organisation;
        plant->browse->QueryOrganization(&organisation);
        plant->browse->ChangeBrowsePosition(OPC_BROWSE_TO, OLESTR(""));
        RawList(plant->browse.get(), VT_EMPTY, 0, made->rawItems);
      },
      [&] {
        plant->client->GetOpcItemsList("*", VT_EMPTY, "", &made->items);
        items = static_cast<size_t>(made->items->Size());
      });
  state.counters["items"] = static_cast<double>(items);
}

void ListAllTypes(benchmark::State& state) {
  std::unique_ptr<Made> made;
  size_t items = 0;
  Paired(
      state, [&] { made.reset(new Made()); },
      [&] {
        for (VARTYPE type : kAllTypes) {
          OPCNAMESPACETYPE organisation;
          plant->browse->QueryOrganization(&organisation);
          plant->browse->ChangeBrowsePosition(OPC_BROWSE_TO, OLESTR(""));
          RawList(plant->browse.get(), type, OPC_READABLE | OPC_WRITEABLE, made->rawItems);
        }
      },
      [&] {
        plant->client->GetOpcItemsList("*", &made->items);
        items = static_cast<size_t>(made->items->Size());
      });
  state.counters["items"] = static_cast<double>(items);
}

void Tree(benchmark::State& state) {
  std::unique_ptr<Made> made;
  Paired(
      state, [&] { made.reset(new Made()); },
      [&] {
        made->rawRoot.reset(new RawNode{OLESTR("Root"), Text(), false, {}});
        OPCNAMESPACETYPE organisation;
        plant->browse->QueryOrganization(&organisation);
        plant->browse->ChangeBrowsePosition(OPC_BROWSE_TO, OLESTR(""));
        RawTree(plant->browse.get(), *made->rawRoot);
      },
      [&] {
        made->root.attach(new VEMDcnOpcItemTreeNode("Root", "", "", "", 0));
        plant->client->GetOpcItemsTree("*", *made->root);
      });
}

BENCHMARK(ListOneType)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(30);
BENCHMARK(ListAllTypes)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(30);
BENCHMARK(Tree)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(30);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 1;
  {
    Plant p;
    plant = &p;
    opcsim::Options options;
    options.space = opcsim::GenerateAddressSpace({4, 10, 10, WCHAR('.')});
    p.sim.reset(new opcsim::Simulator(options));
    p.sim->Calls().Enable(false);
    p.client.reset(new VEMDcnOpcClient());
    if (FAILED(p.client->OpcStart(p.sim->ProgId().c_str(), "", 1000, 0.0f))) return 1;
    if (FAILED(CoCreateInstance(p.sim->Clsid(), nullptr, CLSCTX_INPROC_SERVER, IID_IOPCBrowseServerAddressSpace,
                                p.browse.put_void())))
      return 1;
    benchmark::RunSpecifiedBenchmarks();
    p.browse.reset();
    p.client->OpcStop();
    p.client.reset();
    p.sim.reset();
    plant = nullptr;
  }
  CoUninitialize();
  benchmark::Shutdown();
  return 0;
}
