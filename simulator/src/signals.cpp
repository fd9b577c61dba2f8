// Simulated signals: values that change from one sample to the next.
#include <cmath>

#include "objects.h"

namespace opcsim {

static double SecondsBetween(const FILETIME& from, const FILETIME& to) {
  auto ticks = [](const FILETIME& f) {
    return (static_cast<unsigned long long>(f.dwHighDateTime) << 32) | f.dwLowDateTime;
  };
  unsigned long long a = ticks(from), b = ticks(to);
  return b > a ? static_cast<double>(b - a) / 1e7 : 0.0;
}

// xorshift64*: cheap, seedable, and the same on both targets.
static double NextUnit(std::uint64_t* state) {
  std::uint64_t x = *state ? *state : 0x2545F4914F6CDD1Dull;
  x ^= x >> 12;
  x ^= x << 25;
  x ^= x >> 27;
  *state = x;
  return static_cast<double>((x * 0x2545F4914F6CDD1Dull) >> 11) / 9007199254740992.0;
}

Variant EvaluateSignal(const Signal& signal, std::uint64_t sample, std::uint64_t* random, const FILETIME& now,
                       const FILETIME& start, VARTYPE type) {
  const double pi = 3.14159265358979323846;
  double period = signal.periodSeconds > 0 ? signal.periodSeconds : 1.0;
  double phase = std::fmod(SecondsBetween(start, now), period) / period;
  double span = signal.max - signal.min;
  double value = signal.min;
  switch (signal.kind) {
    case SignalKind::Ramp:
      value = signal.min + span * phase;
      break;
    case SignalKind::Sine:
      value = signal.min + span * (0.5 + 0.5 * std::sin(2.0 * pi * phase));
      break;
    case SignalKind::Random:
      value = signal.min + span * NextUnit(random);
      break;
    case SignalKind::Counter:
      value = signal.min + static_cast<double>(sample + 1);
      if (span > 0 && value > signal.max) value = signal.min + std::fmod(value - signal.min, span + 1.0);
      break;
    case SignalKind::None:
      break;
  }
  Variant v = variant::R8(value);
  if (type == VT_R8) return v;
  Variant out;
  // Empty when the item's type cannot hold the value (out of its range).
  if (FAILED(ConvertValue(*v, type, out.put()))) out.clear();
  return out;
}

}  // namespace opcsim
