// The wildcard language of item patterns: `*`, `?`, `#`, sets `[...]` with
// `!` and ranges, no escape character.
//
// Every element but `*` consumes exactly one code unit, so the matcher needs
// to remember only the last star: when the text after it fails, the star takes
// one more unit and the text is tried again. That bounds the work by
// pattern length x string length, where a backtracking search over every star
// would grow exponentially with the number of stars a user types.
#pragma once

#include <cctype>
#include <cwctype>

namespace vemdcn {
namespace wildcard {

using Unit = unsigned short;

// toupper is defined for unsigned char values only; every other unit stays.
inline Unit Fold(Unit unit, bool caseSensitive) {
  if (caseSensitive || unit > 0xFF) return unit;
  return static_cast<Unit>(std::toupper(unit));
}

inline bool IsDigit(Unit unit) { return std::iswdigit(static_cast<wint_t>(unit)) != 0; }

// A set starting at `open` ('['), tested against the folded unit c. Returns
// where the pattern goes on after the set, or null when c is refused. A set
// that never closes refuses every unit, and nothing past the pattern's
// terminator is read.
inline const Unit* MatchSet(const Unit* open, Unit c, bool caseSensitive) {
  const Unit* p = open + 1;
  const bool negated = *p == '!';
  if (negated) ++p;
  // The set always ends at its first ']': no element can be a ']'.
  const Unit* close = p;
  while (*close != 0 && *close != ']') ++close;
  if (*close == 0) return nullptr;

  Unit previous = 0;
  for (; p != close; ++p) {
    const Unit element = Fold(*p, caseSensitive);
    bool hit;
    if (element == '-') {
      // The high bound is looked at, not consumed: it is read again as an
      // element, which changes nothing.
      const Unit high = Fold(p[1], caseSensitive);
      if (high == ']') return nullptr;
      hit = previous <= c && c <= high;
      previous = high;
    } else {
      hit = c == element;
      previous = element;
    }
    if (hit) return negated ? nullptr : close + 1;
  }
  return negated ? close + 1 : nullptr;
}

// The pattern element at p against the string unit c (not the terminator):
// where the pattern goes on, or null when c is refused.
inline const Unit* MatchOne(const Unit* p, Unit c, bool caseSensitive) {
  switch (const Unit element = Fold(*p, caseSensitive)) {
    case '#':
      return IsDigit(c) ? p + 1 : nullptr;
    case '?':
      return p + 1;
    case '[':
      return MatchSet(p, Fold(c, caseSensitive), caseSensitive);
    default:
      return Fold(c, caseSensitive) == element ? p + 1 : nullptr;
  }
}

// 1 when the whole string matches the whole pattern, else 0.
inline unsigned char Match(const Unit* string, const Unit* pattern, bool caseSensitive) {
  const Unit* s = string;
  const Unit* p = pattern;
  const Unit* afterStar = nullptr;  // pattern after the last star seen
  const Unit* starTaken = nullptr;  // string units that star covers so far end here
  for (;;) {
    if (*p == '*') {
      while (*p == '*') ++p;
      afterStar = p;
      starTaken = s;
      continue;
    }
    if (*p == 0 && *s == 0) return 1;
    const Unit* next = (*p != 0 && *s != 0) ? MatchOne(p, *s, caseSensitive) : nullptr;
    if (next != nullptr) {
      p = next;
      ++s;
      continue;
    }
    if (afterStar == nullptr || *starTaken == 0) return 0;
    s = ++starTaken;
    p = afterStar;
  }
}

}  // namespace wildcard
}  // namespace vemdcn
