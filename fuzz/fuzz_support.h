// What the fuzz targets share: a verdict that stops the run with the input's
// story, and UTF-16 text made from fuzz bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace fuzz {

template <class Unit>
using BasicUnits = std::basic_string<Unit>;
using Units = BasicUnits<unsigned short>;

// A property that failed: libFuzzer saves the input as a crash file.
[[noreturn]] inline void Fail(const char* what, const std::string& detail = std::string()) {
  std::fprintf(stderr, "fuzz property failed: %s\n%s\n", what, detail.c_str());
  std::abort();
}

inline void Check(bool holds, const char* what, const std::string& detail = std::string()) {
  if (!holds) Fail(what, detail);
}

// Bytes to code units: a byte is the unit of its value, except 0xFF, which
// takes the next two bytes as one unit (big-endian), so that every unit,
// surrogates included, is reachable while ASCII stays readable in seeds.
template <class Unit = unsigned short>
BasicUnits<Unit> UnitsOf(const std::uint8_t* data, std::size_t size) {
  BasicUnits<Unit> out;
  for (std::size_t i = 0; i < size; ++i) {
    if (data[i] == 0xFF && i + 2 < size) {
      out.push_back(static_cast<Unit>(data[i + 1] << 8 | data[i + 2]));
      i += 2;
    } else {
      out.push_back(static_cast<Unit>(data[i]));
    }
  }
  return out;
}

// Printable ASCII as it is, every other unit as \uXXXX.
template <class Unit>
std::string Readable(const BasicUnits<Unit>& units) {
  std::string out;
  char buffer[8];
  for (Unit unit : units) {
    const unsigned value = static_cast<unsigned short>(unit);
    if (value >= 0x20 && value < 0x7F)
      out += static_cast<char>(value);
    else
      std::snprintf(buffer, sizeof(buffer), "\\u%04X", value), out += buffer;
  }
  return out;
}

}  // namespace fuzz
