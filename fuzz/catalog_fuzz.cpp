// Message catalogues: the file format (RegisterCatalog reads what a
// catalogue file holds) and messages built with parameters, through the
// catalogue and through an error object.
//
// Input: the content of a catalogue, a key, a parameter count and four
// parameters; the rest is a list of entries written to a catalogue of their
// own, which must read back exactly.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>

#include "QARError.h"
#include "QARMsgCatalog.h"
#include "comown.h"
#include "fuzz_support.h"

namespace {

const char kCatalog[] = "FuzzCatalog";
const char kRoundTripCatalog[] = "FuzzRoundTrip";
constexpr int kParameters = QARError::MaxParameters;

QARUnicodeString Wide(const comown::wide_string& text) {
  return QARUnicodeString(text.data(), static_cast<int>(text.size()));
}

std::string Utf8(const QARUnicodeString& text) { return comown::to_utf8(text.GetWChar()); }

// A parameter may hold anything, NULs included.
QARUnicodeString Parameter(FuzzedDataProvider& input) {
  const std::string bytes = input.ConsumeRandomLengthString(64);
  return Wide(fuzz::UnitsOf<WCHAR>(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
}

void CheckMessage(const char* key, const QARUnicodeString* parameters, int count) {
  QARUnicodeString text;
  const QARUnicodeString fallback("no such key");
  const QARUnicodeString message = QARMsgCatalog::BuildMessage(kCatalog, key, parameters, count, fallback);
  if (!QARMsgCatalog::GetText(kCatalog, key, text)) {
    fuzz::Check(message == fallback, "a missing key gives the default text", key);
    return;
  }
  fuzz::Check(message == QARMsgCatalog::Substitute(text, parameters, count), "a message is its text substituted");
  // Each placeholder replaced by itself leaves the text as it was.
  const QARUnicodeString itself[kParameters] = {"/p1", "/p2", "/p3", "/p4"};
  fuzz::Check(QARMsgCatalog::Substitute(text, itself, kParameters) == text, "placeholders stand for themselves",
              Utf8(text));
  fuzz::Check(QARMsgCatalog::Substitute(text, nullptr, 0).GetLengthInChar() <= text.GetLengthInChar(),
              "without parameters a message only shrinks", Utf8(text));

  // An error object builds the same message from the parameters it keeps.
  QARError error(key, kCatalog);
  const HRESULT set = error.SetNLSParameterArray(count, parameters);
  fuzz::Check((count < 0 || count > kParameters) == (set == E_INVALIDARG), "parameter counts beyond 0..4 are refused");
  const int kept = error.GetNLSParameterCount();
  fuzz::Check(kept >= 0 && kept <= kParameters, "an error keeps at most four parameters");
  fuzz::Check(error.GetNLSMessage() == QARMsgCatalog::Substitute(text, parameters, kept),
              "an error's message is its text with its parameters");
}

// Keys of letters, digits, dots and underscores; texts of any Unicode
// character but NUL, written with the format's quotes and escapes.
std::string Key(const std::string& bytes) {
  static const char kAlphabet[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789._";
  std::string key;
  for (char c : bytes) key += kAlphabet[static_cast<unsigned char>(c) % (sizeof(kAlphabet) - 1)];
  return key.empty() ? std::string("k") : key;
}

std::string Quoted(const std::string& utf8) {
  std::string out = "\"";
  for (char c : utf8) {
    if (c == '\\' || c == '"')
      out += '\\', out += c;
    else if (c == '\n')
      out += "\\n";
    else
      out += c;
  }
  return out + "\"";
}

void CheckRoundTrip(FuzzedDataProvider& input) {
  std::map<std::string, comown::wide_string> expected;
  std::string content = input.ConsumeBool() ? "\xEF\xBB\xBF" : "";
  while (input.remaining_bytes() > 0) {
    const std::string key = Key(input.ConsumeRandomLengthString(16));
    const std::string bytes = input.ConsumeRandomLengthString(64);
    comown::wide_string text = fuzz::UnitsOf<WCHAR>(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    for (WCHAR& c : text)
      if (c == 0) c = u' ';
    const std::string utf8 = comown::to_utf8(text);
    expected[key] = comown::to_wide(utf8);  // unpaired surrogates are U+FFFD in UTF-8
    const std::string spacing = input.ConsumeBool() ? " \t" : "";
    content += spacing + key + spacing + "=" + spacing + Quoted(utf8) + spacing + "\n";
    if (input.ConsumeBool()) content += "# " + key + " = comment\n\n";
  }
  fuzz::Check(QARMsgCatalog::RegisterCatalog(kRoundTripCatalog, content.c_str()) == S_OK, "a catalogue registers");
  for (const auto& [key, text] : expected) {
    QARUnicodeString read;
    fuzz::Check(QARMsgCatalog::GetText(kRoundTripCatalog, key.c_str(), read) == 1, "a written key reads back", key);
    fuzz::Check(read == Wide(text), "a written text reads back",
                key + ": wrote '" + fuzz::Readable(text) + "', read '" + fuzz::Readable(comown::wide_string(
                    read.GetWChar(), static_cast<std::size_t>(read.GetLengthInChar()))) + "'\n" + content);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  const std::string content = input.ConsumeRandomLengthString(4096);
  const std::string key = input.ConsumeRandomLengthString(32);
  const int count = input.ConsumeIntegralInRange<int>(-1, kParameters + 2);
  QARUnicodeString parameters[kParameters + 2];
  for (QARUnicodeString& parameter : parameters) parameter = Parameter(input);

  fuzz::Check(QARMsgCatalog::RegisterCatalog(kCatalog, content.c_str()) == S_OK, "a catalogue registers");
  // Counts above four read four parameters at most, as the catalogue promises.
  CheckMessage(key.c_str(), parameters, count);
  CheckMessage(key.c_str(), nullptr, 0);
  CheckRoundTrip(input);
  return 0;
}
