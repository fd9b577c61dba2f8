// The exact system texts. Windows' English texts are the reference; Wine's
// message table words most of them differently or lacks them, so these run on
// the native target only.
#include <gtest/gtest.h>

#include "com_test_objects.h"

using namespace com_test;

namespace {

WideString SystemText(DWORD code) {
  LPWSTR text = nullptr;
  const DWORD length = FormatMessageW(0x1300, nullptr, code, 0x400, reinterpret_cast<LPWSTR>(&text), 0, nullptr);
  if (length == 0) return OLESTR("<none>");
  WideString result(text, length);
  LocalFree(text);
  return result;
}

struct Expected {
  DWORD code;
  const OLECHAR* text;
};

}  // namespace

TEST(SystemMessages, TextsAreWindowsOwnWithCrLf) {
  const Expected expected[] = {
      {0x00000000, OLESTR("The operation completed successfully.\r\n")},
      {0x00000001, OLESTR("Incorrect function.\r\n")},
      {0x80004005, OLESTR("Unspecified error\r\n")},
      {0x80004003, OLESTR("Invalid pointer\r\n")},
      {0x8007000E, OLESTR("Not enough memory resources are available to complete this operation.\r\n")},
      {0x80070008, OLESTR("Not enough memory resources are available to process this command.\r\n")},
      {0x80070057, OLESTR("The parameter is incorrect.\r\n")},
      {0x80004002, OLESTR("No such interface supported\r\n")},
      {0x80004001, OLESTR("Not implemented\r\n")},
      {0x80070005, OLESTR("Access is denied.\r\n")},
      {0x8000FFFF, OLESTR("Catastrophic failure\r\n")},
      {0x80040154, OLESTR("Class not registered\r\n")},
      {0x800401F0, OLESTR("CoInitialize has not been called.\r\n")},
      {0x80010106, OLESTR("Cannot change thread mode after it is set.\r\n")},
      {0x800706BA, OLESTR("The RPC server is unavailable.\r\n")},
      {1722, OLESTR("The RPC server is unavailable.\r\n")},
      {0x80020005, OLESTR("Type mismatch.\r\n")},
      {0x8002000A, OLESTR("Out of present range.\r\n")},
      {0x800401F3, OLESTR("Invalid class string\r\n")},
      {0x80040110, OLESTR("Class does not support aggregation (or class object is remote)\r\n")},
      {0x800401FB, OLESTR("Object is not registered\r\n")},
      {0x00080012, OLESTR("Not all the requested interfaces were available\r\n")},
  };
  for (const Expected& e : expected) {
    EXPECT_EQ(WideString(e.text), SystemText(e.code)) << std::hex << e.code;
  }
}

TEST(SystemMessages, CodesWithoutATextFailWithMessageNotFound) {
  // 0x80040200 (CONNECT_E_NOCONNECTION) has no system text; OPC codes belong to servers.
  for (DWORD code : {0x80040200u, 0x80040202u, 0xC0040007u, 0x00040000u, 0x80070000u | 9999u}) {
    SetLastError(ERROR_SUCCESS);
    EXPECT_EQ(OLESTR("<none>"), SystemText(code)) << std::hex << code;
    EXPECT_EQ(static_cast<DWORD>(ERROR_MR_MID_NOT_FOUND), GetLastError());
  }
}

TEST(SystemMessages, InsertsStayAsTheyAreWhenIgnored) {
  EXPECT_EQ(OLESTR("The system cannot find message text for message number 0x%1 in the message file for %2.\r\n"),
            SystemText(ERROR_MR_MID_NOT_FOUND));
  LPWSTR text = nullptr;
  EXPECT_EQ(0u, FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM, nullptr,
                               ERROR_MR_MID_NOT_FOUND, 0x400, reinterpret_cast<LPWSTR>(&text), 0, nullptr));
  EXPECT_EQ(nullptr, text);
}
