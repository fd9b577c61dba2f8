// The matcher against a literal transcription of the pattern language's
// backtracking definition: same answer for every pattern and string.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "WildcardMatch.h"
#include "wildcard_reference.h"

namespace {

using vemdcn::wildcard::Unit;
using wildcard_reference::Reference;
using Text = std::basic_string<Unit>;

Text T(const char* ascii) {
  Text out;
  for (; *ascii; ++ascii) out.push_back(static_cast<unsigned char>(*ascii));
  return out;
}

unsigned char Fast(const Text& s, const Text& p, bool cs) { return vemdcn::wildcard::Match(s.c_str(), p.c_str(), cs); }

TEST(MatchPattern, AgreesWithTheDefinitionOnRandomPairs) {
  // Wildcards, set syntax, both letter cases, digits, a Latin-1 and a non-Latin unit.
  const Unit patternUnits[] = {'*', '?', '#', '[', ']', '!', '-', 'a', 'b', 'A', 'B', '0', '7', '.', 0xE9, 0x3A9};
  const Unit stringUnits[] = {'a', 'b', 'A', 'B', 'c', '0', '7', '.', '-', ']', '[', '!', '*', 0xE9, 0x3A9};
  std::mt19937 random(20261206);
  auto pick = [&](const auto& units) { return units[random() % (sizeof(units) / sizeof(units[0]))]; };
  int matches = 0;
  for (int run = 0; run < 300000; ++run) {
    Text pattern, string;
    int stars = 0;
    for (size_t n = random() % 11; pattern.size() < n;) {
      const Unit unit = pick(patternUnits);
      if (unit == '*' && ++stars > 5) continue;  // keeps the reference fast
      pattern.push_back(unit);
    }
    if (run % 2 == 0) {
      for (size_t n = random() % 13; string.size() < n;) string.push_back(pick(stringUnits));
    } else {
      // A string shaped by the pattern, so that matches are common.
      for (Unit unit : pattern) {
        if (unit == '*')
          for (int k = random() % 4; k > 0; --k) string.push_back(pick(stringUnits));
        else if (unit == '#')
          string.push_back('0' + random() % 10);
        else
          string.push_back(unit == '?' || unit == '[' || random() % 4 == 0 ? pick(stringUnits) : unit);
      }
    }
    for (bool cs : {false, true}) {
      const unsigned char expected = Reference(string.c_str(), pattern.c_str(), cs);
      ASSERT_EQ(expected, Fast(string, pattern, cs)) << "case-sensitive " << cs << ", run " << run;
      matches += expected;
    }
  }
  EXPECT_GT(matches, 100000) << matches;  // the pairs exercise matches, not only refusals
}

TEST(MatchPattern, Corners) {
  const struct {
    const char* pattern;
    const char* string;
    bool caseSensitive;
    bool matches;
  } cases[] = {
      {"", "", false, true},           {"", "a", false, false},
      {"*", "", false, true},          {"*", "anything", false, true},
      {"A?C", "ABC", false, true},     {"A?C", "AC", false, false},
      {"#", "5", false, true},         {"#", "x", false, false},          {"#", "", false, false},
      {"tag*", "TAG1", false, true},   {"tag*", "Tag1", false, true},     {"tag*", "TAG1", true, false},
      {"[!0-9]*", "x1", false, true},  {"[!0-9]*", "1x", false, false},
      {"*.Level", "Tank1.Level", false, true}, {"*.Level", ".Level", false, true},
      {"*.Level", "Tank1.Level2", false, false},
      {"[ab-]x", "ax", false, true},   {"[ab-]x", "bx", false, true},     {"[ab-]x", "-x", false, false},
      {"[ab-]x", "cx", false, false},  {"[!ab-]x", "cx", false, false},   {"[!ab-]x", "ax", false, false},
      {"[!]", "z", false, true},       {"[]a]", "a", false, false},       {"[*]", "*", false, true},
      {"[*]", "a", false, false},      {"[[]", "[", false, true},         {"a]", "a]", false, true},
      {"[-b]", "\x01", true, true},    {"[-b]", "c", true, false},
      {"[z--0]", ".", true, true},     {"[a-c]", "B", false, true},     {"[a-c]", "B", true, false},
      {"[a", "a", false, false},       {"[!a", "b", false, false},        {"*[a-", "xa", false, false},
      {"**a**", "ba", false, true},    {"*a*b*c", "xaybzc", false, true}, {"*a*b*c", "xaybz", false, false},
  };
  for (const auto& c : cases) {
    const Text pattern = T(c.pattern), string = T(c.string);
    EXPECT_EQ(c.matches, Fast(string, pattern, c.caseSensitive) == 1)
        << "'" << c.pattern << "' against '" << c.string << "'";
    EXPECT_EQ(Reference(string.c_str(), pattern.c_str(), c.caseSensitive), Fast(string, pattern, c.caseSensitive));
  }
}

TEST(MatchPattern, ManyStarsStayLinear) {
  // A final set keeps every star trying every position.
  for (const char* end : {"b", "[b]"}) {
    Text pattern;
    for (int i = 0; i < 20; ++i) pattern += T("*a");
    pattern += T(end);
    const Text string(1000, 'a');
    EXPECT_EQ(0, Fast(string, pattern, false)) << end;  // the backtracking definition would not finish
  }
}

}  // namespace
