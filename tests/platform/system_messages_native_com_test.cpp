// The exact system texts. Windows' English texts are the reference; Wine's
// message table words most of them differently or lacks them, so these run on
// the native target only.
#include <gtest/gtest.h>

#include "com_test_objects.h"

using namespace com_test;

namespace {

WideString SystemText(DWORD code, DWORD flags = 0x1300) {
  comown::local_mem<WCHAR> text;
  const DWORD length = FormatMessageW(flags, nullptr, code, 0x400, reinterpret_cast<LPWSTR>(text.put()), 0, nullptr);
  return length == 0 ? (text ? OLESTR("<leaked>") : OLESTR("<none>")) : WideString(text.get(), length);
}

}  // namespace

TEST(SystemMessages, TextsAreWindowsOwnWithCrLf) {
  const struct {
    DWORD code;
    const OLECHAR* text;
  } expected[] = {
      {0x00000000, OLESTR("The operation completed successfully.")}, {0x00000001, OLESTR("Incorrect function.")},
      {0x80004005, OLESTR("Unspecified error")},                    {0x80004003, OLESTR("Invalid pointer")},
      {0x8007000E, OLESTR("Not enough memory resources are available to complete this operation.")},
      {0x80070008, OLESTR("Not enough memory resources are available to process this command.")},
      {0x80070057, OLESTR("The parameter is incorrect.")},          {0x80004002, OLESTR("No such interface supported")},
      {0x80004001, OLESTR("Not implemented")},                      {0x80070005, OLESTR("Access is denied.")},
      {0x8000FFFF, OLESTR("Catastrophic failure")},                 {0x80040154, OLESTR("Class not registered")},
      {0x800401F0, OLESTR("CoInitialize has not been called.")},
      {0x80010106, OLESTR("Cannot change thread mode after it is set.")},
      {0x800706BA, OLESTR("The RPC server is unavailable.")},       {1722, OLESTR("The RPC server is unavailable.")},
      {0x80020005, OLESTR("Type mismatch.")},                       {0x8002000A, OLESTR("Out of present range.")},
      {0x800401F3, OLESTR("Invalid class string")},                 {0x800401FB, OLESTR("Object is not registered")},
      {0x80040110, OLESTR("Class does not support aggregation (or class object is remote)")},
      {0x00080012, OLESTR("Not all the requested interfaces were available")},
      {0x80080005, OLESTR("Server execution failed")},
  };
  for (const auto& e : expected) {
    EXPECT_EQ(WideString(e.text) + OLESTR("\r\n"), SystemText(e.code)) << std::hex << e.code;
  }
}

TEST(SystemMessages, CodesWithoutATextFailWithMessageNotFound) {
  // 0x80040200 (CONNECT_E_NOCONNECTION) has no system text; OPC codes belong to servers.
  for (DWORD code : {0x80040200u, 0x80040202u, 0xC0040007u, 0x00040000u, 0x80070000u | 9999u}) {
    SetLastError(ERROR_SUCCESS);
    EXPECT_EQ(OLESTR("<none>"), SystemText(code)) << std::hex << code;
    EXPECT_EQ(static_cast<DWORD>(ERROR_MR_MID_NOT_FOUND), GetLastError());
  }
  // Inserts stay as they are when ignored, and are refused when not.
  EXPECT_EQ(OLESTR("The system cannot find message text for message number 0x%1 in the message file for %2.\r\n"),
            SystemText(ERROR_MR_MID_NOT_FOUND));
  EXPECT_EQ(OLESTR("<none>"), SystemText(ERROR_MR_MID_NOT_FOUND, FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM));
}
