// A soak of whole sessions: one client starts, lists the server's items and
// its tree, defines a group and the asynchronously written one, reads,
// writes, writes asynchronously and stops, again and again. After a warm-up,
// the task-memory blocks and simulator objects left after a stop must stay
// where they were and the resident set may not grow. Prints the figures at
// intervals; exits 1 on growth or on a failed call.
//
//   client_soak [seconds]        run for that long (default 30)
//   client_soak --cycles N       run N cycles
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "VEMDcnOpcClient.h"
#include "VEMDcnOpcItem.h"
#include "VEMDcnOpcItemTreeNode.h"
#include "native_com_ext.h"
#include "opcsim/simulator.h"
#include "soak_figures.h"

namespace {

using Clock = std::chrono::steady_clock;

const char* const kSpace =
    "Plant.Line1.Speed R8 RW\n"
    "Plant.Line1.Count I4 RW\n"
    "Plant.Line2.Name BSTR RW\n"
    "Plant.Line2.Running BOOL RW\n"
    "Plant.Alarm I2 R\n";
const char* const kItems[] = {"Plant.Line1.Speed", "Plant.Line1.Count", "Plant.Line2.Running"};
const unsigned kItemCount = 3;

using soak::Figures;
using soak::Measure;

// Allocator noise of a debug build, not a leak: a leak of a few bytes a
// cycle shows as megabytes over the run.
const long kResidentSlackKiB = 512;

unsigned short* Text16(const comown::wide_string& text) {
  return const_cast<unsigned short*>(reinterpret_cast<const unsigned short*>(text.c_str()));
}

// One session of the client on the server; the number of calls that failed.
int Cycle(VEMDcnOpcClient& client, const std::string& progId) {
  int failed = 0;
  auto check = [&failed](long hr) { failed += FAILED(hr) ? 1 : 0; };
  check(client.OpcStart(progId.c_str(), "", 100, 0.0f));

  QARHashDicVEMDcnOpcItem* items = nullptr;
  check(client.GetOpcItemsList("*", VT_EMPTY, "", &items));
  if (items != nullptr) {
    QARHashCodeIter it(items->GetDico());
    while (it.Next()) delete static_cast<VEMDcnOpcItem*>(it.GetValue());
    delete items;
  }
  comown::com_ptr<VEMDcnOpcItemTreeNode> root(new VEMDcnOpcItemTreeNode("Root", "", "", "", 0), comown::attach);
  check(client.GetOpcItemsTree("*", *root));
  root.reset();

  std::vector<comown::wide_string> texts;
  std::vector<const unsigned short*> ids;
  for (const char* id : kItems) texts.push_back(comown::to_wide(id));
  for (const auto& text : texts) ids.push_back(Text16(text));
  std::vector<VARIANT> types(kItemCount);
  for (VARIANT& type : types) type.vt = VT_EMPTY;
  const comown::wide_string plain = comown::to_wide("Plain"), inputs = comown::to_wide("VEM_APP_INPUTS");
  unsigned long group = 0, asyncGroup = 0;
  check(client.DefineGroup(Text16(plain), kItemCount, nullptr, ids.data(), types.data(), group, 0, 1, 0));
  check(client.DefineGroup(Text16(inputs), kItemCount, nullptr, ids.data(), types.data(), asyncGroup, 0, 1, 1));

  std::vector<comown::com_variant> values(kItemCount);
  check(client.SyncReadGroup(group, reinterpret_cast<VARIANT*>(values.data()), 0, OPC_DS_DEVICE));
  // Written back as read: every item is writable in its own type.
  check(client.SyncWriteGroup(group, reinterpret_cast<VARIANT*>(values.data()), 0));
  check(client.ASyncWriteGroup(asyncGroup, reinterpret_cast<VARIANT*>(values.data()), 0));
  check(client.OpcStop());
  return failed;
}

}  // namespace

int main(int argc, char** argv) {
  long long cycles = -1;
  double seconds = 30;
  if (argc > 2 && std::strcmp(argv[1], "--cycles") == 0)
    cycles = std::atoll(argv[2]);
  else if (argc > 1)
    seconds = std::atof(argv[1]);
  if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 1;

  int status = 0;
  {
    opcsim::Options options;
    std::string error;
    options.space = opcsim::ParseAddressSpace(kSpace, &error);
    opcsim::Simulator sim(options);
    sim.Calls().Enable(false);  // a log of every call would grow by itself
    VEMDcnOpcClient client;

    const Clock::time_point start = Clock::now();
    auto elapsed = [&start]() { return std::chrono::duration<double>(Clock::now() - start).count(); };
    auto done = [&](long long cycle) { return cycles >= 0 ? cycle >= cycles : elapsed() >= seconds; };
    // A tenth of the run, at least 50 cycles, warms the allocator and the caches up.
    const double warmUpSeconds = seconds / 10;
    const long long warmUpCycles = cycles >= 0 ? std::max(50LL, cycles / 10) : 50;

    long long cycle = 0, failed = 0;
    bool warm = false;
    Figures first{}, worst{};
    double nextReport = 0;
    std::printf("%8s %8s %12s %12s %12s\n", "cycle", "seconds", "task blocks", "sim objects", "resident KiB");
    for (; !done(cycle); ++cycle) {
      failed += Cycle(client, sim.ProgId());
      const Figures now = Measure();
      if (!warm && cycle + 1 >= warmUpCycles && (cycles >= 0 || elapsed() >= warmUpSeconds)) {
        warm = true;
        first = worst = now;
      }
      if (warm) {
        worst.taskBlocks = std::max(worst.taskBlocks, now.taskBlocks);
        worst.liveObjects = std::max(worst.liveObjects, now.liveObjects);
        worst.residentKiB = std::max(worst.residentKiB, now.residentKiB);
      }
      if (elapsed() >= nextReport) {
        std::printf("%8lld %8.1f %12ld %12ld %12ld\n", cycle + 1, elapsed(), static_cast<long>(now.taskBlocks),
                    now.liveObjects, now.residentKiB);
        nextReport += seconds / 10 > 1 ? seconds / 10 : 1;
      }
    }
    std::printf("cycles %lld in %.1f s, failed calls %lld\n", cycle, elapsed(), failed);
    std::printf("after warm-up: %ld task blocks, %ld simulator objects, %ld KiB resident\n",
                static_cast<long>(first.taskBlocks), first.liveObjects, first.residentKiB);
    std::printf("highest since: %ld task blocks, %ld simulator objects, %ld KiB resident\n",
                static_cast<long>(worst.taskBlocks), worst.liveObjects, worst.residentKiB);
    const bool grew = !warm || worst.taskBlocks > first.taskBlocks || worst.liveObjects > first.liveObjects ||
                      worst.residentKiB > first.residentKiB + kResidentSlackKiB;
    if (grew || failed > 0) {
      std::printf("%s\n", grew ? "GROWTH" : "FAILED CALLS");
      status = 1;
    }
  }
  CoUninitialize();
  return status;
}
