// The wildcard matcher against the pattern language's literal definition.
// Input: one byte of flags (bit 0: case-sensitive), the pattern, a 0 byte,
// the string. Every input runs the matcher; those small enough for the
// exponential definition must also get its answer.
#include <cstddef>
#include <cstdint>

#include "WildcardMatch.h"
#include "fuzz_support.h"
#include "wildcard_reference.h"

namespace {

constexpr std::size_t kMaxReferencePattern = 24;
constexpr std::size_t kMaxReferenceString = 16;
constexpr int kMaxReferenceStars = 5;

// Units stop at the first 0: the matcher sees C strings.
fuzz::Units UpToTerminator(fuzz::Units units) {
  const std::size_t end = units.find(static_cast<unsigned short>(0));
  if (end != fuzz::Units::npos) units.resize(end);
  return units;
}

bool SmallEnoughForReference(const fuzz::Units& pattern, const fuzz::Units& string) {
  int stars = 0;
  for (unsigned short unit : pattern) stars += unit == '*';
  return pattern.size() <= kMaxReferencePattern && string.size() <= kMaxReferenceString &&
         stars <= kMaxReferenceStars;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const bool caseSensitive = (data[0] & 1) != 0;
  const std::uint8_t* rest = data + 1;
  const std::size_t restSize = size - 1;
  std::size_t cut = 0;
  while (cut < restSize && rest[cut] != 0) ++cut;
  const fuzz::Units pattern = UpToTerminator(fuzz::UnitsOf(rest, cut));
  const fuzz::Units string =
      cut < restSize ? UpToTerminator(fuzz::UnitsOf(rest + cut + 1, restSize - cut - 1)) : fuzz::Units();

  const unsigned char fast = vemdcn::wildcard::Match(string.c_str(), pattern.c_str(), caseSensitive);
  fuzz::Check(fast <= 1, "the matcher answers 0 or 1");
  if (!SmallEnoughForReference(pattern, string)) return 0;
  const unsigned char expected = wildcard_reference::Reference(string.c_str(), pattern.c_str(), caseSensitive);
  fuzz::Check(fast == expected, "the matcher agrees with the definition",
              "pattern '" + fuzz::Readable(pattern) + "', string '" + fuzz::Readable(string) + "', case-sensitive " +
                  std::to_string(caseSensitive) + ": matcher " + std::to_string(fast) + ", definition " +
                  std::to_string(expected));
  return 0;
}
