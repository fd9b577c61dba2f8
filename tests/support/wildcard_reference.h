// The pattern language's backtracking definition, transcribed literally: the
// oracle the wildcard matcher is checked against, by its test and its fuzzer.
// It is exponential in the number of stars, so callers keep patterns short.
#pragma once

#include <cctype>
#include <cwctype>

#include "WildcardMatch.h"

namespace wildcard_reference {

using vemdcn::wildcard::Unit;

inline Unit Fold(Unit unit, bool caseSensitive) {
  return caseSensitive || unit > 0xFF ? unit : static_cast<Unit>(std::toupper(unit));
}

// The definition, step by step: a star tries every start position in turn by
// recursion. A set left open fails where it would read past the pattern.
inline unsigned char Reference(const Unit* s, const Unit* p, bool cs) {
  for (;;) {
    const Unit pc = Fold(*p++, cs);
    switch (pc) {
      case 0:
        return *s == 0;
      case '#': {
        const Unit c = *s;
        if (c != 0) ++s;
        if (!std::iswdigit(c)) return 0;
        break;
      }
      case '?':
        if (*s++ == 0) return 0;
        break;
      case '*':
        if (*s != 0) {
          for (const Unit* start = s; *start != 0; ++start)
            if (Reference(start, p, cs)) return 1;
          while (*s != 0) ++s;
        }
        break;
      case '[': {
        if (*s == 0) return 0;
        const Unit c = Fold(*s++, cs);
        Unit l = 0;
        const bool negated = *p == '!';
        if (negated) ++p;
        bool matched = false;
        while (!matched) {
          if (*p == 0) return 0;
          const Unit e = Fold(*p++, cs);
          if (e == ']') {
            if (!negated) return 0;
            break;
          }
          if (e == '-') {
            const Unit h = Fold(*p, cs);
            if (h == 0 || h == ']') return 0;
            matched = l <= c && c <= h;
            l = h;
          } else {
            l = e;
            matched = c == e;
          }
          if (matched && negated) return 0;
        }
        if (matched) {
          while (*p != ']') {
            if (*p == 0) return 0;
            ++p;
          }
          ++p;
        }
        break;
      }
      default:
        if (*s == 0 || Fold(*s++, cs) != pc) return 0;
    }
  }
}

}  // namespace wildcard_reference
