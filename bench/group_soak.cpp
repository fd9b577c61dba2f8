// A million read-and-write cycles on a small group (a synchronous read
// through the table, a synchronous and an asynchronous write): after the
// first thousand, neither the task-memory block count, nor the simulator's
// live objects, nor the resident set may grow. Prints the figures; exits 1 on
// growth or on a failed call.
//
//   group_soak [cycles]
//
// Run it from the release build: a sanitizer keeps freed memory aside, which
// the resident set shows as growth.
#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "group_bench_support.h"
#include "soak_figures.h"
#include "native_com_ext.h"

using namespace groupbench;

namespace {

using soak::Figures;
using soak::Measure;

// Allocator noise, not a leak: a leak of a single byte a cycle would show as
// about a MiB over the run.
const long kResidentSlackKiB = 256;

}  // namespace

int main(int argc, char** argv) {
  const long long cycles = argc > 1 ? std::atoll(argv[1]) : 1000000;
  if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 1;
  int status = 0;
  {
    Bench bench(4, "VEM_APP_INPUTS", 1);
    if (bench.result != S_OK) return 1;
    Values read(4);
    const long long warmUp = cycles > 2000 ? 1000 : cycles / 2;
    Figures first{};
    long failures = 0;
    for (long long cycle = 0; cycle < cycles; ++cycle) {
      if (cycle == warmUp) first = Measure();
      failures += bench.client->SyncReadGroup(bench.handle, Array(read), 1, OPC_DS_DEVICE) != S_OK;
      for (comown::com_variant& value : read) value.clear();
      failures += bench.client->SyncWriteGroup(bench.handle, Array(bench.values), 0) != S_OK;
      failures += bench.client->ASyncWriteGroup(bench.handle, Array(bench.values), 1) != S_OK;
    }
    const Figures last = Measure();
    std::printf("cycles %lld (warm-up %lld), failed calls %ld\n", cycles, warmUp, failures);
    std::printf("after warm-up:  %ld task-memory blocks, %ld live simulator objects, %ld KiB resident\n",
                static_cast<long>(first.taskBlocks), first.liveObjects, first.residentKiB);
    std::printf("at the end:     %ld task-memory blocks, %ld live simulator objects, %ld KiB resident\n",
                static_cast<long>(last.taskBlocks), last.liveObjects, last.residentKiB);
    const bool grew = last.taskBlocks > first.taskBlocks || last.liveObjects > first.liveObjects ||
                      last.residentKiB > first.residentKiB + kResidentSlackKiB;
    if (grew || failures > 0) {
      std::printf("%s\n", grew ? "GROWTH" : "FAILED CALLS");
      status = 1;
    }
  }
  CoUninitialize();
  return status;
}
