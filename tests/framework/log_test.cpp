// The error log: exact lines, fatal errors and their handler, the error
// dialog, and the default destinations.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "FrameworkTestSupport.h"
#include "QARSysLog.h"
#include "QARTestSupport.h"
#include "VEMCmnDialog.h"

TEST(ErrorLog, SysErrorLogJoinsTheTimeStampAndTheGivenTexts) {
  QARErrorLogCapture log;
  const QARUnicodeString line("\t\tVEMDcnOpcClient -> OPC Client created");
  const QARUnicodeString first("first");
  EXPECT_EQ(S_OK, QARSysErrorLog("2009.3.5 7:4:9,7\t", 3, nullptr, &line));
  EXPECT_EQ(S_OK, QARSysErrorLog(nullptr, 1, &first, &line));
  EXPECT_EQ(S_OK, QARSysErrorLog("stamp ", 2, &first, nullptr));
  EXPECT_EQ((std::vector<std::string>{"2009.3.5 7:4:9,7\t\t\tVEMDcnOpcClient -> OPC Client created",
                                      "first \t\tVEMDcnOpcClient -> OPC Client created", "stamp first"}),
            log.Lines());
  EXPECT_EQ((std::vector<int>{3, 1, 2}), log.Severities());
}

TEST(ErrorLog, LogErrorWritesTheTextAlone) {
  QARErrorLogCapture log;
  QARSysLogError("Invalid NULL input pointer");
  QARSysLogError(QARUnicodeString("12 \xB5s"));
  EXPECT_EQ((std::vector<std::string>{"Invalid NULL input pointer", "12 \xC2\xB5s"}), log.Lines());
  EXPECT_EQ((std::vector<int>{QARLogError, QARLogError}), log.Severities());
}

TEST(ErrorLog, ASinkFailureIsReturnedToTheCaller) {
  QARErrorLogCapture log;
  log.FailWrites(E_ACCESSDENIED);
  const QARUnicodeString line("lost");
  EXPECT_EQ(E_ACCESSDENIED, QARSysErrorLog("t\t", 3, nullptr, &line));
  EXPECT_EQ(E_ACCESSDENIED, QARSysLogError("lost"));
  EXPECT_TRUE(log.Lines().empty());
  log.FailWrites(S_OK);
  EXPECT_EQ(S_OK, QARSysLogError("kept"));
  EXPECT_EQ(1u, log.Lines().size());
}

namespace {

std::vector<std::string> fatalCalls;
void RecordFatal(const char* message, const char* file, int line) {
  fatalCalls.push_back(std::string(message) + "|" + (file != nullptr ? file : "-") + "|" + std::to_string(line));
}

}  // namespace

TEST(FatalError, LogsTheAssertionWithFileAndLineThenCallsTheHandler) {
  QARErrorLogCapture log;
  QARFatalError("AssertionFailed:FALSE", nullptr, nullptr, nullptr, "VEMDcn/VEMDcnOpcClient.m/src/VEMDcnOpcClient",
                312);
  QARFatalError("AssertionFailed:x", "more", "", nullptr, nullptr, 0);
  EXPECT_EQ((std::vector<std::string>{"AssertionFailed:FALSE (VEMDcn/VEMDcnOpcClient.m/src/VEMDcnOpcClient, line 312)",
                                      "AssertionFailed:x more"}),
            log.Lines());
  EXPECT_EQ((std::vector<int>{QARLogFatal, QARLogFatal}), log.Severities());

  fatalCalls.clear();
  EXPECT_EQ(nullptr, QARSetFatalErrorHandler(RecordFatal));
  QARFatalError("AssertionFailed:iPos > 0 && iPos <= _Size", nullptr, nullptr, nullptr, "src/List", 19);
  EXPECT_EQ(RecordFatal, QARSetFatalErrorHandler(nullptr));
  EXPECT_EQ((std::vector<std::string>{"AssertionFailed:iPos > 0 && iPos <= _Size|src/List|19"}), fatalCalls);
  EXPECT_EQ(3u, log.Lines().size());  // logged before the handler ran
}

namespace {

std::vector<std::string> dialogCalls;
int RecordDialog(const QARString& helpKey, const QARUnicodeString& title, const QARUnicodeString& text,
                 const QARUnicodeString* details, int flags, VEMCmnDialog* parent) {
  dialogCalls.push_back(std::string(helpKey.ConvertToChar()) + "|" + Utf8(title) + "|" + Utf8(text) + "|" +
                        (details != nullptr ? "details" : "none") + "|" + std::to_string(flags) + "|" +
                        (parent != nullptr ? "parent" : "none"));
  return 7;
}

}  // namespace

TEST(ErrorDialog, WritesTitleAndTextToTheLogUnlessTheHostShowsIt) {
  QARErrorLogCapture log;
  const QARUnicodeString more("second line");
  EXPECT_EQ(0, VEMCmnDialog::VEMCmnErrorExt(QARString(), "OPC Client Error", "it failed", nullptr, 0, nullptr));
  EXPECT_EQ(0, VEMCmnDialog::VEMCmnErrorExt(QARString(), "Title", "text", &more, 0, nullptr));
  EXPECT_EQ((std::vector<std::string>{"OPC Client Error: it failed", "Title: text\nsecond line"}), log.Lines());

  dialogCalls.clear();
  VEMCmnDialog::SetErrorHandler(RecordDialog);
  EXPECT_EQ(7, VEMCmnDialog::VEMCmnErrorExt(QARString(), "T", "x", nullptr, 0, nullptr));
  EXPECT_EQ(RecordDialog, VEMCmnDialog::SetErrorHandler(nullptr));
  EXPECT_EQ((std::vector<std::string>{"|T|x|none|0|none"}), dialogCalls);
  EXPECT_EQ(2u, log.Lines().size());
}

TEST(ErrorLogDestination, AppendsUtf8LinesToTheFileNamedByTheEnvironment) {
  const std::filesystem::path path = std::filesystem::temp_directory_path() / "qar_error_log_test.log";
  std::filesystem::remove(path);
  {
    ScopedEnvironment variable("QAR_ERROR_LOG", path.string().c_str());
    EXPECT_EQ(S_OK, QARSysLogError("first"));
    EXPECT_EQ(S_OK, QARSysLogError(QARUnicodeString("\xB5")));
  }
  std::ifstream file(path, std::ios::binary);
  std::stringstream content;
  content << file.rdbuf();
  EXPECT_EQ("first\n\xC2\xB5\n", content.str());
  file.close();
  std::filesystem::remove(path);
}

TEST(ErrorLogDestination, AnUnwritableFileMakesTheCallFail) {
  const std::filesystem::path path = std::filesystem::temp_directory_path() / "qar_no_such_dir" / "x.log";
  ScopedEnvironment variable("QAR_ERROR_LOG", path.string().c_str());
  EXPECT_EQ(E_FAIL, QARSysLogError("nowhere"));
}
