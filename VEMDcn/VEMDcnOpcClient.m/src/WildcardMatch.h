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
#include <cstdint>
#include <cwctype>

namespace vemdcn {
namespace wildcard {

using Unit = unsigned short;

// Case folding with toupper, which is defined for unsigned char values only;
// every other unit stays. The C library's own table is read once per match
// where it offers one (glibc), rather than calling toupper for every unit:
// a listing folds each unit of every item ID it sees.
class Folder {
 public:
  explicit Folder(bool caseSensitive) noexcept : _caseSensitive(caseSensitive) {}
  Unit operator()(Unit unit) const noexcept {
    if (_caseSensitive || unit > 0xFF) return unit;
#if defined(__GLIBC__)
    return static_cast<Unit>(_upper[unit]);
#else
    return static_cast<Unit>(std::toupper(unit));
#endif
  }

 private:
  bool _caseSensitive;
#if defined(__GLIBC__)
  const std::int32_t* _upper = *__ctype_toupper_loc();  // what toupper reads, for the current locale
#endif
};

inline Unit Fold(Unit unit, bool caseSensitive) { return Folder(caseSensitive)(unit); }

inline bool IsDigit(Unit unit) { return std::iswdigit(static_cast<wint_t>(unit)) != 0; }

// A set starting at `open` ('['), tested against the folded unit c. Returns
// where the pattern goes on after the set, or null when c is refused. A set
// that never closes refuses every unit, and nothing past the pattern's
// terminator is read.
inline const Unit* MatchSet(const Unit* open, Unit c, const Folder& fold) {
  const Unit* p = open + 1;
  const bool negated = *p == '!';
  if (negated) ++p;
  // The set always ends at its first ']': no element can be a ']'.
  const Unit* close = p;
  while (*close != 0 && *close != ']') ++close;
  if (*close == 0) return nullptr;

  Unit previous = 0;
  for (; p != close; ++p) {
    const Unit element = fold(*p);
    bool hit;
    if (element == '-') {
      // The high bound is looked at, not consumed: it is read again as an
      // element, which changes nothing.
      const Unit high = fold(p[1]);
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

// Whether a folded pattern unit stands for itself.
inline bool IsLiteral(Unit element) {
  return element != 0 && element != '*' && element != '#' && element != '?' && element != '[';
}

// The pattern element at p against the string unit c (not the terminator):
// where the pattern goes on, or null when c is refused.
inline const Unit* MatchOne(const Unit* p, Unit c, const Folder& fold) {
  switch (const Unit element = fold(*p)) {
    case '#':
      return IsDigit(c) ? p + 1 : nullptr;
    case '?':
      return p + 1;
    case '[':
      return MatchSet(p, fold(c), fold);
    default:
      return fold(c) == element ? p + 1 : nullptr;
  }
}

// The number of units the pattern from p takes when it holds no star and no
// set, each of its elements then taking one unit; -1 otherwise.
inline long FixedLength(const Unit* p, const Folder& fold) {
  long length = 0;
  for (; *p != 0; ++p, ++length)
    if (*p == '*' || fold(*p) == '[') return -1;
  return length;
}

inline long Length(const Unit* s) {
  long length = 0;
  while (s[length] != 0) ++length;
  return length;
}

// 1 when the whole string matches the whole pattern, else 0.
inline unsigned char Match(const Unit* string, const Unit* pattern, bool caseSensitive) {
  const Folder fold(caseSensitive);
  const Unit* s = string;
  const Unit* p = pattern;
  const Unit* afterStar = nullptr;  // pattern after the last star seen
  const Unit* starTaken = nullptr;  // string units that star covers so far end here
  Unit literal = 0;                 // what the pattern after the star starts with, if a literal
  for (;;) {
    if (*p == '*') {
      while (*p == '*') ++p;
      if (*p == 0) return 1;  // a final star takes whatever is left
      const long tail = FixedLength(p, fold);
      if (tail >= 0) {
        // The last star, followed by elements of one unit each: only the
        // string's last `tail` units can match them.
        const long left = Length(s);
        if (left < tail) return 0;
        s += left - tail;
        afterStar = nullptr;
        continue;
      }
      afterStar = p;
      starTaken = s;
      literal = fold(*p);
      if (!IsLiteral(literal)) literal = 0;
      continue;
    }
    if (*p == 0 && *s == 0) return 1;
    const Unit* next = (*p != 0 && *s != 0) ? MatchOne(p, *s, fold) : nullptr;
    if (next != nullptr) {
      p = next;
      ++s;
      continue;
    }
    if (afterStar == nullptr || *starTaken == 0) return 0;
    // The star takes one more unit, and any that the literal after it refuses.
    ++starTaken;
    if (literal != 0)
      while (*starTaken != 0 && fold(*starTaken) != literal) ++starTaken;
    s = starTaken;
    p = afterStar;
  }
}

}  // namespace wildcard
}  // namespace vemdcn
