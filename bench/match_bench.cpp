// The item pattern matcher against the C library's fnmatch with case
// folding, on 100,000 item IDs of a plant and the patterns a user types; and
// the matcher's worst case, 20 stars against 1,000 units.
#include <benchmark/benchmark.h>
#include <fnmatch.h>

#include <random>
#include <string>
#include <vector>

#include "WildcardMatch.h"

namespace {

using vemdcn::wildcard::Unit;
using Units = std::basic_string<Unit>;

Units ToUnits(const std::string& ascii) { return Units(ascii.begin(), ascii.end()); }

// IDs such as "Plant3.Area12.Line4.Pump2.Temperature", in a fixed random order.
struct Ids {
  std::vector<std::string> narrow;
  std::vector<Units> wide;
  Ids() {
    const char* const devices[] = {"Pump", "Valve", "Motor", "Tank", "Conveyor", "Mixer"};
    const char* const signals[] = {"Temperature", "Pressure", "Level", "Speed", "Running", "Setpoint", "Alarm",
                                   "Flow", "Current", "Hours"};
    std::mt19937 random(42);
    for (int i = 0; i < 100000; ++i) {
      const std::string id = "Plant" + std::to_string(random() % 4) + ".Area" + std::to_string(random() % 20) +
                             ".Line" + std::to_string(random() % 10) + "." + devices[random() % 6] +
                             std::to_string(random() % 8) + "." + signals[random() % 10];
      narrow.push_back(id);
      wide.push_back(ToUnits(id));
    }
  }
};
const Ids& AllIds() {
  static const Ids ids;
  return ids;
}

const char* const kPatterns[] = {"*", "*.Temperature", "plant1.area1?.*", "*pump*.[ls]*", "*.Line[0-4].*.*e"};

void Matcher(benchmark::State& state) {
  const Units pattern = ToUnits(kPatterns[state.range(0)]);
  const Ids& ids = AllIds();
  for (auto _ : state) {
    int matches = 0;
    for (const Units& id : ids.wide) matches += vemdcn::wildcard::Match(id.c_str(), pattern.c_str(), false);
    benchmark::DoNotOptimize(matches);
    state.counters["matches"] = matches;
  }
  state.SetLabel(kPatterns[state.range(0)]);
}

void Fnmatch(benchmark::State& state) {
  const char* pattern = kPatterns[state.range(0)];
  const Ids& ids = AllIds();
  for (auto _ : state) {
    int matches = 0;
    for (const std::string& id : ids.narrow) matches += fnmatch(pattern, id.c_str(), FNM_CASEFOLD) == 0;
    benchmark::DoNotOptimize(matches);
    state.counters["matches"] = matches;
  }
  state.SetLabel(pattern);
}

// 20 stars against 1,000 units that never match. Ending in a unit, only the
// last 1 unit is tried after the last star; ending in a set, every star
// takes every position in turn, the matcher's real worst case.
void MatcherWorstCase(benchmark::State& state) {
  Units pattern;
  for (int i = 0; i < 20; ++i) pattern += ToUnits("*a");
  pattern += ToUnits(state.range(0) == 0 ? "b" : "[b]");
  const Units string(1000, Unit('a'));
  for (auto _ : state) benchmark::DoNotOptimize(vemdcn::wildcard::Match(string.c_str(), pattern.c_str(), false));
  state.SetLabel(state.range(0) == 0 ? "(*a)x20 b" : "(*a)x20 [b]");
}

BENCHMARK(Matcher)->DenseRange(0, 4)->Unit(benchmark::kMillisecond);
BENCHMARK(Fnmatch)->DenseRange(0, 4)->Unit(benchmark::kMillisecond);
BENCHMARK(MatcherWorstCase)->DenseRange(0, 1)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
