// SyncReadGroup and SyncWriteGroup of a 10,000-item group against the same
// server calls made by hand on the same group's interface and server handles.
// In both, the values read are cleared and every array freed. ReadRatio and
// WriteRatio report the library's time over the raw one (goal: at most
// 1.05); the four plain benchmarks give each side's own time.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <vector>

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

// The library's time over the raw one, call by call: each iteration makes
// both calls, in alternating order, and the median of the ratios is
// reported, so that a busy machine slows both sides alike.
template <class Library, class Raw>
void Paired(benchmark::State& state, Library library, Raw raw) {
  using Clock = std::chrono::steady_clock;
  std::vector<double> ratios;
  bool libraryFirst = false;
  for (auto _ : state) {
    libraryFirst = !libraryFirst;
    Clock::duration spent[2];
    for (int side : {libraryFirst ? 0 : 1, libraryFirst ? 1 : 0}) {
      const Clock::time_point start = Clock::now();
      if (side == 0 ? !library() : !raw()) state.SkipWithError("call");
      spent[side] = Clock::now() - start;
    }
    ratios.push_back(std::chrono::duration<double>(spent[0]) / std::chrono::duration<double>(spent[1]));
  }
  std::nth_element(ratios.begin(), ratios.begin() + ratios.size() / 2, ratios.end());
  state.counters["library/raw"] = ratios.empty() ? 0.0 : ratios[ratios.size() / 2];
}

void ReadRatio(benchmark::State& state) {
  Bench& bench = Fixture();
  const VEMDcnOpcGroup& group = bench.Group();
  Values read(kItems);
  Paired(
      state,
      [&] {
        const bool ok = bench.client->SyncReadGroup(bench.handle, Array(read), 0, OPC_DS_CACHE) == S_OK;
        for (comown::com_variant& value : read) value.clear();
        return ok;
      },
      [&] {
        comown::task_item_states states;
        comown::task_values<HRESULT> errors;
        const HRESULT hr = group._pSyncIO->Read(OPC_DS_CACHE, kItems, group._pServerHandles.get(), states.put(),
                                                errors.put());
        states.set_size(kItems);
        return hr == S_OK;
      });
}

void WriteRatio(benchmark::State& state) {
  Bench& bench = Fixture();
  const VEMDcnOpcGroup& group = bench.Group();
  Paired(
      state, [&] { return bench.client->SyncWriteGroup(bench.handle, Array(bench.values), 0) == S_OK; },
      [&] {
        comown::task_values<HRESULT> errors;
        return group._pSyncIO->Write(kItems, group._pServerHandles.get(), Array(bench.values), errors.put()) == S_OK;
      });
}

}  // namespace

BENCHMARK(ReadRatio)->Unit(benchmark::kMicrosecond)->MinTime(2.0);
BENCHMARK(WriteRatio)->Unit(benchmark::kMicrosecond)->MinTime(2.0);
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
