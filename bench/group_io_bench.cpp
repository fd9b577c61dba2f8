// SyncReadGroup and SyncWriteGroup of a 10,000-item group against the same
// server calls made by hand on the same group's interface and server handles.
// In both, the values read are cleared and every array freed. Compare the
// library's time with the raw one: the goal is a ratio of at most 1.05.
#include <benchmark/benchmark.h>

#include "group_bench_support.h"

using namespace groupbench;

namespace {

const unsigned kItems = 10000;

Bench& Fixture() {
  static Bench bench(kItems, "Bench", 0);
  return bench;
}

void LibraryRead(benchmark::State& state) {
  Bench& bench = Fixture();
  Values read(kItems);
  for (auto _ : state) {
    if (bench.client->SyncReadGroup(bench.handle, Array(read), 0, OPC_DS_CACHE) != S_OK) state.SkipWithError("read");
    for (comown::com_variant& value : read) value.clear();
  }
}

void RawRead(benchmark::State& state) {
  const VEMDcnOpcGroup& group = Fixture().Group();
  for (auto _ : state) {
    comown::task_item_states states;
    comown::task_values<HRESULT> errors;
    if (group._pSyncIO->Read(OPC_DS_CACHE, kItems, group._pServerHandles.get(), states.put(), errors.put()) != S_OK)
      state.SkipWithError("read");
    states.set_size(kItems);
  }
}

void LibraryWrite(benchmark::State& state) {
  Bench& bench = Fixture();
  for (auto _ : state)
    if (bench.client->SyncWriteGroup(bench.handle, Array(bench.values), 0) != S_OK) state.SkipWithError("write");
}

void RawWrite(benchmark::State& state) {
  Bench& bench = Fixture();
  const VEMDcnOpcGroup& group = bench.Group();
  for (auto _ : state) {
    comown::task_values<HRESULT> errors;
    if (group._pSyncIO->Write(kItems, group._pServerHandles.get(), Array(bench.values), errors.put()) != S_OK)
      state.SkipWithError("write");
  }
}

}  // namespace

BENCHMARK(RawRead)->Unit(benchmark::kMicrosecond);
BENCHMARK(LibraryRead)->Unit(benchmark::kMicrosecond);
BENCHMARK(RawWrite)->Unit(benchmark::kMicrosecond);
BENCHMARK(LibraryWrite)->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv) {
  if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 1;
  int status = 0;
  benchmark::Initialize(&argc, argv);
  if (Fixture().result != S_OK) {
    status = 1;
  } else {
    benchmark::RunSpecifiedBenchmarks();
  }
  benchmark::Shutdown();
  return status;
}
