// The plain-text address-space format.
//
// One declaration a line; blank lines and lines starting with '#' are ignored.
//
//   separator <c>                    the item-ID separator (default '.'), before any item
//   branch <path>                    a branch, also when it has no children
//   <item-id> <type> <access> [value] [key=value ...]
//
// <type>    I1 UI1 I2 UI2 I4 UI4 I8 UI8 R4 R8 BOOL BSTR DATE CY, with "[]" appended
//           for a one-dimensional array (e.g. R8[]); case does not matter.
// <access>  R (read-only), W (write-only) or RW.
// value     the initial value; without one the item reads as the zero of its type.
//           Numbers in C syntax (decimal point), BOOL as true/false/1/0, DATE as
//           "YYYY-MM-DD hh:mm:ss" (UTC), CY as a decimal number; arrays list their
//           elements separated by ';'. A token in double quotes may hold blanks;
//           \" and \\ escape inside it.
// keys      signal=ramp|sine|random|counter  min=<n>  max=<n>  period=<seconds>
//           desc=<text>  paths=<path>;<path>  quality=<n> (0xC0 good, 0x40 uncertain...)
//
//   # a small plant
//   Plant.Tank.Level    R8    R   signal=ramp min=0 max=100 period=60
//   Plant.Tank.Name     BSTR  RW  "Tank one" desc="shown to operators"
//   Plant.Tank.Limits   R8[]  RW  10;90
//   branch Plant.Empty
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "objects.h"

namespace opcsim {

namespace {

bool Tokenize(const std::string& line, std::vector<std::string>* tokens, std::string* error) {
  std::size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t' || line[i] == '\r')) ++i;
    if (i >= line.size()) break;
    std::string token;
    bool quoted = false;
    while (i < line.size() && (quoted || (line[i] != ' ' && line[i] != '\t' && line[i] != '\r'))) {
      char c = line[i++];
      if (c == '"') {
        quoted = !quoted;
      } else if (quoted && c == '\\' && i < line.size()) {
        token.push_back(line[i++]);
      } else {
        token.push_back(c);
      }
    }
    if (quoted) {
      *error = "unterminated quote";
      return false;
    }
    tokens->push_back(token);
  }
  return true;
}

std::string Upper(std::string s) {
  for (char& c : s)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return s;
}

bool ParseType(const std::string& text, VARTYPE* vt) {
  std::string t = Upper(text);
  VARTYPE array = 0;
  if (t.size() > 2 && t.compare(t.size() - 2, 2, "[]") == 0) {
    array = VT_ARRAY;
    t.resize(t.size() - 2);
  }
  static const struct {
    const char* name;
    VARTYPE vt;
  } kNames[] = {{"I1", VT_I1},     {"UI1", VT_UI1}, {"I2", VT_I2},   {"UI2", VT_UI2}, {"I4", VT_I4},
                {"UI4", VT_UI4},   {"I8", VT_I8},   {"UI8", VT_UI8}, {"R4", VT_R4},   {"R8", VT_R8},
                {"BOOL", VT_BOOL}, {"BSTR", VT_BSTR}, {"DATE", VT_DATE}, {"CY", VT_CY}};
  for (const auto& n : kNames)
    if (t == n.name) {
      *vt = static_cast<VARTYPE>(n.vt | array);
      return true;
    }
  return false;
}

bool ParseAccess(const std::string& text, DWORD* access) {
  std::string a = Upper(text);
  if (a == "R") *access = OPC_READABLE;
  else if (a == "W") *access = OPC_WRITEABLE;
  else if (a == "RW") *access = OPC_READABLE | OPC_WRITEABLE;
  else return false;
  return true;
}

// The whole token, a NUL in it included, must be the number.
bool ParseNumber(const std::string& text, double* out) {
  if (text.empty()) return false;
  char* end = nullptr;
  *out = std::strtod(text.c_str(), &end);
  return end == text.c_str() + text.size();
}

bool ParseQuality(const std::string& text, WORD* out) {
  if (text.empty() || text[0] == '-') return false;
  char* end = nullptr;
  const unsigned long value = std::strtoul(text.c_str(), &end, 0);
  if (end != text.c_str() + text.size() || value > 0xFFFF) return false;
  *out = static_cast<WORD>(value);
  return true;
}

// One scalar value of the base type.
bool ParseScalar(const std::string& text, VARTYPE vt, Variant* out) {
  if (vt == VT_BSTR) {
    *out = variant::Str(text);
    return true;
  }
  if (vt == VT_BOOL) {
    std::string u = Upper(text);
    if (u == "TRUE" || u == "1") *out = variant::Bool(true);
    else if (u == "FALSE" || u == "0") *out = variant::Bool(false);
    else return false;
    return true;
  }
  if (vt == VT_DATE) {
    SYSTEMTIME st = {};
    unsigned y, mo, d, h = 0, mi = 0, s = 0;
    int n = std::sscanf(text.c_str(), "%u-%u-%u%*[ T]%u:%u:%u", &y, &mo, &d, &h, &mi, &s);
    if (n != 3 && n != 6) return false;
    st.wYear = static_cast<WORD>(y);
    st.wMonth = static_cast<WORD>(mo);
    st.wDay = static_cast<WORD>(d);
    st.wHour = static_cast<WORD>(h);
    st.wMinute = static_cast<WORD>(mi);
    st.wSecond = static_cast<WORD>(s);
    DATE date = 0;
    if (!SystemTimeToVariantTime(&st, &date)) return false;
    *out = variant::Date(date);
    return true;
  }
  double number = 0;
  if (!ParseNumber(text, &number)) return false;
  if (vt == VT_CY) {
    *out = variant::Cy(static_cast<LONGLONG>(std::llround(number * 10000.0)));
    return true;
  }
  if (vt == VT_I8) {
    *out = variant::I8(std::strtoll(text.c_str(), nullptr, 0));
    return true;
  }
  Variant r8 = variant::R8(number);
  return SUCCEEDED(ConvertValue(*r8, vt, out->put()));
}

bool ParseValue(const std::string& text, VARTYPE vt, Variant* out) {
  if (!(vt & VT_ARRAY)) return ParseScalar(text, vt, out);
  VARTYPE base = static_cast<VARTYPE>(vt & VT_TYPEMASK);
  std::vector<Variant> elements;
  std::stringstream in(text);
  std::string part;
  while (std::getline(in, part, ';')) {
    Variant e;
    if (!ParseScalar(part, base, &e)) return false;
    elements.push_back(std::move(e));
  }
  comown::com_safearray array(SafeArrayCreateVector(base, 0, static_cast<ULONG>(elements.size())));
  if (!array) return false;
  for (LONG i = 0; i < static_cast<LONG>(elements.size()); ++i) {
    VARIANT* e = elements[static_cast<std::size_t>(i)].get();
    void* element = base == VT_BSTR ? static_cast<void*>(e->bstrVal) : static_cast<void*>(&e->llVal);
    if (FAILED(SafeArrayPutElement(array.get(), &i, element))) return false;
  }
  VARIANT* value = out->put();
  value->vt = vt;
  value->parray = array.release();
  return true;
}

bool IsKey(const std::string& token) {
  std::size_t eq = token.find('=');
  if (eq == std::string::npos) return false;
  std::string key = token.substr(0, eq);
  return key == "signal" || key == "min" || key == "max" || key == "period" || key == "desc" || key == "paths" ||
         key == "quality";
}

bool ParseKey(const std::string& token, ItemSpec* spec, std::string* error) {
  std::size_t eq = token.find('=');
  std::string key = token.substr(0, eq), value = token.substr(eq + 1);
  double number = 0;
  if (key == "signal") {
    std::string s = Upper(value);
    if (s == "RAMP") spec->signal.kind = SignalKind::Ramp;
    else if (s == "SINE") spec->signal.kind = SignalKind::Sine;
    else if (s == "RANDOM") spec->signal.kind = SignalKind::Random;
    else if (s == "COUNTER") spec->signal.kind = SignalKind::Counter;
    else return *error = "unknown signal '" + value + "'", false;
  } else if (key == "min" && ParseNumber(value, &number)) {
    spec->signal.min = number;
  } else if (key == "max" && ParseNumber(value, &number)) {
    spec->signal.max = number;
  } else if (key == "period" && ParseNumber(value, &number)) {
    spec->signal.periodSeconds = number;
  } else if (key == "desc") {
    spec->description = value;
  } else if (key == "paths") {
    std::stringstream in(value);
    std::string path;
    while (std::getline(in, path, ';'))
      if (!path.empty()) spec->accessPaths.push_back(path);
  } else if (key == "quality" && ParseQuality(value, &spec->quality)) {
  } else {
    return *error = "bad attribute '" + token + "'", false;
  }
  return true;
}

bool ParseItem(AddressSpace& space, const std::vector<std::string>& t, std::string* error) {
  if (t.size() < 3) return *error = "an item needs an ID, a type and access rights", false;
  ItemSpec spec;
  if (!ParseType(t[1], &spec.type)) return *error = "unknown type '" + t[1] + "'", false;
  if (!ParseAccess(t[2], &spec.access)) return *error = "unknown access '" + t[2] + "'", false;
  for (std::size_t i = 3; i < t.size(); ++i) {
    if (IsKey(t[i])) {
      if (!ParseKey(t[i], &spec, error)) return false;
    } else if (i == 3) {
      if (!ParseValue(t[i], spec.type, &spec.value)) return *error = "bad value '" + t[i] + "'", false;
    } else {
      return *error = "unexpected '" + t[i] + "'", false;
    }
  }
  return space.AddItem(t[0], spec, error);
}

}  // namespace

std::shared_ptr<AddressSpace> ParseAddressSpace(const std::string& text, std::string* error) {
  std::string why;
  std::shared_ptr<AddressSpace> space;
  WCHAR separator = WCHAR('.');
  std::stringstream in(text);
  std::string line;
  int number = 0;
  while (std::getline(in, line)) {
    ++number;
    std::vector<std::string> t;
    if (!Tokenize(line, &t, &why)) break;
    if (t.empty() || t[0][0] == '#') continue;
    if (t[0] == "separator") {
      if (space || t.size() != 2 || comown::to_wide(t[1]).size() != 1) {
        why = "separator takes one character and comes before any item";
        break;
      }
      separator = comown::to_wide(t[1])[0];
      continue;
    }
    if (!space) space = std::make_shared<AddressSpace>(separator);
    if (t[0] == "branch") {
      if (t.size() != 2 || !space->IsWellFormed(comown::to_wide(t[1]))) {
        why = "branch takes one path";
        break;
      }
      space->AddBranchPath(t[1]);
      continue;
    }
    if (!ParseItem(*space, t, &why)) break;
  }
  if (!why.empty()) {
    if (error) *error = "line " + std::to_string(number) + ": " + why;
    return nullptr;
  }
  return space ? space : std::make_shared<AddressSpace>(separator);
}

std::shared_ptr<AddressSpace> LoadAddressSpaceFile(const std::string& path, std::string* error) {
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    if (error) *error = "cannot open " + path;
    return nullptr;
  }
  std::stringstream text;
  text << file.rdbuf();
  return ParseAddressSpace(text.str(), error);
}

}  // namespace opcsim
