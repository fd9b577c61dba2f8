#include "QARMsgCatalog.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <sstream>
#include <string>
#include <system_error>

namespace {

const char kOverrideVariable[] = "QAR_MSGCATALOG_PATH";
const int kMaxParameters = 4;

typedef std::map<std::string, QARUnicodeString> Entries;

struct OverrideFile {
  std::filesystem::file_time_type modified;
  std::uintmax_t size = 0;
  bool loaded = false;
  Entries entries;
};

struct CatalogState {
  std::mutex mutex;
  std::map<std::string, Entries> builtIn;
  std::map<std::string, OverrideFile> overrides;  // by file path
};

CatalogState& State() {
  static CatalogState* state = new CatalogState;  // messages may be built during static destruction
  return *state;
}

std::string Trim(const std::string& text) {
  const char* blanks = " \t\r\n";
  const size_t first = text.find_first_not_of(blanks);
  if (first == std::string::npos) return std::string();
  return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

std::string Unquote(const std::string& value) {
  if (value.size() >= 2 && value.front() == '"' && value.back() == '"') return value.substr(1, value.size() - 2);
  return value;
}

std::string Unescape(const std::string& value) {
  std::string text;
  for (size_t i = 0; i < value.size(); ++i) {
    if (value[i] != '\\' || i + 1 == value.size()) {
      text += value[i];
      continue;
    }
    const char next = value[++i];
    switch (next) {
      case 'n': text += '\n'; break;
      case 't': text += '\t'; break;
      case '"': text += '"'; break;
      case '\\': text += '\\'; break;
      default: text += '\\'; text += next; break;
    }
  }
  return text;
}

Entries Parse(const std::string& content) {
  Entries entries;
  std::istringstream lines(content);
  std::string line;
  bool first = true;
  while (std::getline(lines, line)) {
    if (first && line.compare(0, 3, "\xEF\xBB\xBF") == 0) line.erase(0, 3);  // byte order mark
    first = false;
    const std::string trimmed = Trim(line);
    if (trimmed.empty() || trimmed[0] == '#') continue;
    const size_t equals = trimmed.find('=');
    if (equals == std::string::npos) continue;
    const std::string key = Trim(trimmed.substr(0, equals));
    if (key.empty()) continue;
    QARUnicodeString text;
    text.BuildFromUTF8(Unescape(Unquote(Trim(trimmed.substr(equals + 1)))).c_str());
    entries[key] = text;
  }
  return entries;
}

// The entries of the override file of a catalogue, read again when the file
// changed since the last lookup; null when there is none.
const Entries* OverrideEntries(CatalogState& state, const std::string& catalog) {
  const char* directory = std::getenv(kOverrideVariable);
  if (directory == nullptr || *directory == '\0') return nullptr;
  const std::filesystem::path path = std::filesystem::path(directory) / (catalog + ".cat");
  std::error_code error;
  const auto modified = std::filesystem::last_write_time(path, error);
  if (error) return nullptr;
  const auto size = std::filesystem::file_size(path, error);
  if (error) return nullptr;
  OverrideFile& file = state.overrides[path.string()];
  if (!file.loaded || file.modified != modified || file.size != size) {
    std::ifstream stream(path, std::ios::binary);
    if (!stream) return nullptr;
    std::ostringstream content;
    content << stream.rdbuf();
    file.entries = Parse(content.str());
    file.modified = modified;
    file.size = size;
    file.loaded = true;
  }
  return &file.entries;
}

bool Find(const Entries* entries, const std::string& key, QARUnicodeString& text) {
  if (entries == nullptr) return false;
  const auto found = entries->find(key);
  if (found == entries->end()) return false;
  text = found->second;
  return true;
}

}  // namespace

int QARMsgCatalog::GetText(const char* catalog, const char* key, QARUnicodeString& text) {
  if (catalog == nullptr || key == nullptr) return 0;
  CatalogState& state = State();
  std::lock_guard<std::mutex> lock(state.mutex);
  if (Find(OverrideEntries(state, catalog), key, text)) return 1;
  const auto builtIn = state.builtIn.find(catalog);
  return (builtIn != state.builtIn.end() && Find(&builtIn->second, key, text)) ? 1 : 0;
}

QARUnicodeString QARMsgCatalog::Substitute(const QARUnicodeString& text, const QARUnicodeString* parameters,
                                           int count) {
  const WCHAR* units = text.GetWChar();
  const int length = text.GetLengthInChar();
  QARUnicodeString result;
  int copiedUpTo = 0;
  for (int i = 0; i + 2 < length; ++i) {
    const int number = units[i + 2] - '0';
    if (units[i] != '/' || units[i + 1] != 'p' || number < 1 || number > kMaxParameters) continue;
    result += QARUnicodeString(units + copiedUpTo, i - copiedUpTo);
    if (parameters != nullptr && number <= count) result += parameters[number - 1];
    copiedUpTo = i + 3;
    i += 2;
  }
  result += QARUnicodeString(units + copiedUpTo, length - copiedUpTo);
  return result;
}

QARUnicodeString QARMsgCatalog::BuildMessage(const char* catalog, const char* key,
                                             const QARUnicodeString* parameters, int count,
                                             const QARUnicodeString& defaultText) {
  QARUnicodeString text;
  if (!GetText(catalog, key, text)) return defaultText;
  return Substitute(text, parameters, count);
}

HRESULT QARMsgCatalog::RegisterCatalog(const char* catalog, const char* fileContent) {
  if (catalog == nullptr || fileContent == nullptr) return E_POINTER;
  CatalogState& state = State();
  std::lock_guard<std::mutex> lock(state.mutex);
  state.builtIn[catalog] = Parse(fileContent);
  return S_OK;
}

void QARMsgCatalog::FlushCache() {
  CatalogState& state = State();
  std::lock_guard<std::mutex> lock(state.mutex);
  state.overrides.clear();
}
