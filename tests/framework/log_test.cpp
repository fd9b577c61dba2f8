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

namespace {

using Lines = std::vector<std::string>;

Lines calls;
void RecordFatal(const char* message, const char* file, int line) {
  calls.push_back(std::string(message) + "|" + (file != nullptr ? file : "-") + "|" + std::to_string(line));
}
int RecordDialog(const QARString& helpKey, const QARUnicodeString& title, const QARUnicodeString& text,
                 const QARUnicodeString* details, int flags, VEMCmnDialog* parent) {
  calls.push_back(std::string(helpKey.ConvertToChar()) + "|" + Utf8(title) + "|" + Utf8(text) + "|" +
                  (details != nullptr ? "details" : "none") + "|" + std::to_string(flags) + "|" +
                  (parent != nullptr ? "parent" : "none"));
  return 7;
}

}  // namespace

TEST(ErrorLog, LinesJoinTheTimeStampAndTheTextsOrHoldTheTextAlone) {
  QARErrorLogCapture log;
  const QARUnicodeString line("\t\tVEMDcnOpcClient -> OPC Client created");
  const QARUnicodeString first("first");
  EXPECT_EQ(S_OK, QARSysErrorLog("2009.3.5 7:4:9,7\t", 3, nullptr, &line));
  EXPECT_EQ(S_OK, QARSysErrorLog(nullptr, 1, &first, &line));
  EXPECT_EQ(S_OK, QARSysErrorLog("stamp ", 2, &first, nullptr));
  EXPECT_EQ(S_OK, QARSysLogError("Invalid NULL input pointer"));
  EXPECT_EQ(S_OK, QARSysLogError(QARUnicodeString("12 \xB5s")));
  EXPECT_EQ((Lines{"2009.3.5 7:4:9,7\t\t\tVEMDcnOpcClient -> OPC Client created",
                   "first \t\tVEMDcnOpcClient -> OPC Client created", "stamp first", "Invalid NULL input pointer",
                   "12 \xC2\xB5s"}),
            log.Lines());
  EXPECT_EQ((std::vector<int>{3, 1, 2, QARLogError, QARLogError}), log.Severities());

  // A sink's failure is returned to the caller.
  log.Clear();
  log.FailWrites(E_ACCESSDENIED);
  EXPECT_EQ(E_ACCESSDENIED, QARSysErrorLog("t\t", 3, nullptr, &line));
  EXPECT_EQ(E_ACCESSDENIED, QARSysLogError("lost"));
  log.FailWrites(S_OK);
  EXPECT_EQ(S_OK, QARSysLogError("kept"));
  EXPECT_EQ(Lines{"kept"}, log.Lines());
}

TEST(FatalError, LogsTheAssertionWithFileAndLineThenCallsTheHandler) {
  QARErrorLogCapture log;
  QARFatalError("AssertionFailed:FALSE", nullptr, nullptr, nullptr, "VEMDcn/VEMDcnOpcClient.m/src/VEMDcnOpcClient",
                312);
  QARFatalError("AssertionFailed:x", "more", "", nullptr, nullptr, 0);
  calls.clear();
  EXPECT_EQ(nullptr, QARSetFatalErrorHandler(RecordFatal));
  QARFatalError("AssertionFailed:iPos > 0 && iPos <= _Size", nullptr, nullptr, nullptr, "src/List", 19);
  EXPECT_EQ(RecordFatal, QARSetFatalErrorHandler(nullptr));
  EXPECT_EQ((Lines{"AssertionFailed:FALSE (VEMDcn/VEMDcnOpcClient.m/src/VEMDcnOpcClient, line 312)",
                   "AssertionFailed:x more", "AssertionFailed:iPos > 0 && iPos <= _Size (src/List, line 19)"}),
            log.Lines());  // logged before the handler ran
  EXPECT_EQ((std::vector<int>{QARLogFatal, QARLogFatal, QARLogFatal}), log.Severities());
  EXPECT_EQ((Lines{"AssertionFailed:iPos > 0 && iPos <= _Size|src/List|19"}), calls);
}

TEST(ErrorDialog, WritesTitleAndTextToTheLogUnlessTheHostShowsIt) {
  QARErrorLogCapture log;
  const QARUnicodeString more("second line");
  EXPECT_EQ(0, VEMCmnDialog::VEMCmnErrorExt(QARString(), "OPC Client Error", "it failed", nullptr, 0, nullptr));
  EXPECT_EQ(0, VEMCmnDialog::VEMCmnErrorExt(QARString(), "Title", "text", &more, 0, nullptr));
  calls.clear();
  VEMCmnDialog::SetErrorHandler(RecordDialog);
  EXPECT_EQ(7, VEMCmnDialog::VEMCmnErrorExt(QARString(), "T", "x", nullptr, 0, nullptr));
  EXPECT_EQ(RecordDialog, VEMCmnDialog::SetErrorHandler(nullptr));
  EXPECT_EQ((Lines{"OPC Client Error: it failed", "Title: text\nsecond line"}), log.Lines());
  EXPECT_EQ((Lines{"|T|x|none|0|none"}), calls);
}

TEST(ErrorLogDestination, AppendsUtf8LinesToTheFileNamedByTheEnvironment) {
  const std::filesystem::path path = std::filesystem::temp_directory_path() / "qar_error_log_test.log";
  std::filesystem::remove(path);
  {
    ScopedEnvironment variable("QAR_ERROR_LOG", path.string().c_str());
    EXPECT_EQ(S_OK, QARSysLogError("first"));
    EXPECT_EQ(S_OK, QARSysLogError(QARUnicodeString("\xB5")));
  }
  {
    std::ifstream file(path, std::ios::binary);
    std::stringstream content;
    content << file.rdbuf();
    EXPECT_EQ("first\n\xC2\xB5\n", content.str());
  }
  std::filesystem::remove(path);
  ScopedEnvironment unwritable("QAR_ERROR_LOG", (path.parent_path() / "qar_no_such_dir" / "x.log").string().c_str());
  EXPECT_EQ(E_FAIL, QARSysLogError("nowhere"));
}
