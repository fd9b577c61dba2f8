// The compiled-in catalogue "VEMDcnOpcClient": every key the library uses is
// there with exactly its parameters, and the pieces read as sentences.
#include <gtest/gtest.h>

#include <string>

#include "QARMsgCatalog.h"
#include "QARUnicodeString.h"

namespace {

const char kCatalog[] = "VEMDcnOpcClient";

std::string Text(const char* key, std::initializer_list<const char*> parameters = {}) {
  QARUnicodeString values[4];
  int count = 0;
  for (const char* parameter : parameters) values[count++] = parameter;
  return QARMsgCatalog::BuildMessage(kCatalog, key, values, count, "<missing>").ConvertToChar().ConvertToChar();
}

bool HasPlaceholder(const QARUnicodeString& text, int number) {
  const std::string placeholder = "/p" + std::to_string(number);
  return text.SearchSubString(placeholder.c_str(), 0, QARUnicodeString::FirstOccurrence) >= 0;
}

}  // namespace

TEST(LibraryCatalogue, EveryKeyTakesExactlyItsParameters) {
  const struct {
    const char* key;
    int parameters;
  } keys[] = {
      {"VEMOPCERR00", 1}, {"VEMOPCERR02", 4}, {"VEMOPCERR03", 0},         {"VEMOPCERR04", 0},
      {"VEMOPCERR05", 0}, {"VEMOPCERR06", 0}, {"VEMOPCERR07", 0},         {"VEMOPCERR08", 0},
      {"VEMOPCERR10", 1}, {"VEMOPCERR13", 2}, {"VEMOPCERR14", 1},         {"VEMOPCERR15", 2},
      {"VEMOPCINF00", 4}, {"VEMOPCINF01", 0}, {"VEMOPCValidateError", 1}, {"VEMOPCINF02", 0},
      {"VEMOPCINF03", 0}, {"VEMOPCINF04", 0}, {"VEMOPCINF05", 0},         {"VEMOPCOUT", 0},
      {"VEMOPCIN", 0},    {"VEMOPCINOUT", 0}, {"OpcClientError", 0},
  };
  for (const auto& entry : keys) {
    QARUnicodeString text;
    ASSERT_EQ(1, QARMsgCatalog::GetText(kCatalog, entry.key, text)) << entry.key;
    EXPECT_FALSE(text.IsEmpty()) << entry.key;
    for (int number = 1; number <= 4; ++number) {
      EXPECT_EQ(number <= entry.parameters, HasPlaceholder(text, number)) << entry.key << " /p" << number;
    }
  }
}

// The pieces put together as the library does; the short words alone are
// seen in every other test's output.
TEST(LibraryCatalogue, MessagesReadAsSentences) {
  const std::string system = Text("VEMOPCERR07"), server = Text("VEMOPCERR08");
  const std::string error = Text("VEMOPCERR06"), warning = Text("VEMOPCERR05");
  const struct {
    const char* key;
    std::initializer_list<const char*> parameters;
    std::string expected;
  } cases[] = {
      {"VEMOPCERR02", {system.c_str(), error.c_str(), "IOPCServer::GetStatus", "Unspecified error"},
       "[System] Error - IOPCServer::GetStatus: Unspecified error"},
      {"VEMOPCERR02", {server.c_str(), warning.c_str(), "IOPCSyncIO->Read()", "The item ID is not known"},
       "[Server] Warning - IOPCSyncIO->Read(): The item ID is not known"},
      {"VEMOPCERR02", {"", error.c_str(), "OpcStop", ""}, "Error - OpcStop: "},
      {"VEMOPCERR13", {"Plant.Sim", "inner"}, "Cannot start the OPC server Plant.Sim: inner"},
      {"VEMOPCERR15", {"first", "second"}, "first\nsecond"},
      {"VEMOPCValidateError", {"\nA.B\nC"}, "Tags unknown to the OPC server:\nA.B\nC"},
      {"VEMOPCINF00", {"Simulation", "2", "5", "1024"}, "Simulation (version 2.5, build 1024)"},
  };
  for (const auto& c : cases) EXPECT_EQ(c.expected, Text(c.key, c.parameters)) << c.key;
}
