// Message catalogues: placeholders, file syntax, compiled-in texts and
// overrides from a directory.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "FrameworkTestSupport.h"
#include "QARMsgCatalog.h"

namespace {

const char kBuiltIn[] =
    "\xEF\xBB\xBF# a comment line\n"
    "Plain = Server /p1 not found\n"
    "  Spaced   =   text with inner  blanks   \r\n"
    "Quoted = \"[System] \"\n"
    "Escaped = a\\tb\\nc \\\"q\\\" \\\\ \\x\n"
    "Four = /p4/p3/p2/p1\n"
    "Literal = /p0 /p5 /q1 /p\n"
    "Utf8 = 12 \xC2\xB5s\n"
    "not an entry\n"
    "= no key\n"
    "Twice = first\n"
    "Twice = second\n";
const QARMsgCatalogRegistration registration("CatalogTest", kBuiltIn);

QARUnicodeString Build(const char* key, std::initializer_list<const char*> parameters, const char* fallback = "") {
  QARUnicodeString values[4];
  int count = 0;
  for (const char* parameter : parameters) values[count++] = parameter;
  return QARMsgCatalog::BuildMessage("CatalogTest", key, values, count, fallback);
}

class CatalogOverride : public testing::Test {
 protected:
  void SetUp() override {
    _Directory = std::filesystem::temp_directory_path() /
                 ("qar_catalog_" + std::string(testing::UnitTest::GetInstance()->current_test_info()->name()));
    std::filesystem::create_directories(_Directory);
    _Variable.reset(new ScopedEnvironment("QAR_MSGCATALOG_PATH", _Directory.string().c_str()));
  }
  void TearDown() override {
    _Variable.reset();
    std::filesystem::remove_all(_Directory);
    QARMsgCatalog::FlushCache();
  }
  void WriteOverride(const std::string& content) {
    std::ofstream file(_Directory / "CatalogTest.cat", std::ios::binary | std::ios::trunc);
    file << content;
  }

  std::filesystem::path _Directory;
  std::unique_ptr<ScopedEnvironment> _Variable;
};

}  // namespace

TEST(Catalogue, TextsFollowTheFileSyntaxAndTakeTheirParameters) {
  const struct {
    const char* key;
    std::initializer_list<const char*> parameters;
    const char* expected;
  } cases[] = {
      {"Plain", {"Plant.Sim"}, "Server Plant.Sim not found"},
      {"Four", {"a", "b", "c", "d"}, "dcba"},
      {"Four", {"a", "b"}, "ba"},  // missing parameters are empty
      {"Plain", {}, "Server  not found"},
      {"Literal", {"x"}, "/p0 /p5 /q1 /p"},
      {"Spaced", {}, "text with inner  blanks"},
      {"Quoted", {}, "[System] "},
      {"Escaped", {}, "a\tb\nc \"q\" \\ \\x"},
      {"Utf8", {}, "12 \xC2\xB5s"},
      {"Twice", {}, "second"},
      {"Absent", {"x"}, "<default /p1>"},  // a missing key gives the default unchanged
  };
  for (const auto& c : cases) EXPECT_EQ(c.expected, Utf8(Build(c.key, c.parameters, "<default /p1>"))) << c.key;
  EXPECT_EQ("Server  not found",
            Utf8(QARMsgCatalog::BuildMessage("CatalogTest", "Plain", nullptr, 1, "")));  // no array, count ignored
  EXPECT_EQ("fallback", Utf8(QARMsgCatalog::BuildMessage("NoCatalogue", "Plain", nullptr, 0, "fallback")));
  EXPECT_EQ("fallback", Utf8(QARMsgCatalog::BuildMessage(nullptr, nullptr, nullptr, 0, "fallback")));
  QARUnicodeString text("unchanged");
  EXPECT_EQ(0, QARMsgCatalog::GetText("CatalogTest", "Absent", text));
  EXPECT_EQ("unchanged", Utf8(text));
}

TEST_F(CatalogOverride, AFileInTheDirectoryOverridesKeyByKey) {
  WriteOverride("Plain = Kein Server /p1\nExtra = only here\n");
  EXPECT_EQ("Kein Server Plant.Sim", Utf8(Build("Plain", {"Plant.Sim"})));
  EXPECT_EQ("only here", Utf8(Build("Extra", {})));
  EXPECT_EQ("[System] ", Utf8(Build("Quoted", {})));  // not overridden: compiled-in text
}

TEST_F(CatalogOverride, AChangedFileIsReadAgain) {
  WriteOverride("Plain = first version\n");
  EXPECT_EQ("first version", Utf8(Build("Plain", {})));
  WriteOverride("Plain = second, longer version\n");
  EXPECT_EQ("second, longer version", Utf8(Build("Plain", {})));
  std::filesystem::remove(_Directory / "CatalogTest.cat");
  EXPECT_EQ("Server  not found", Utf8(Build("Plain", {""})));
}
