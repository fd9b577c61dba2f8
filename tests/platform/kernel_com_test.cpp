// Kernel services: counters, message texts, last error, ids, environment.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "com_test_objects.h"

using namespace com_test;

namespace {

constexpr DWORD kSystemText = FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS;
constexpr DWORD kNeutralLanguage = MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT);

// FormatMessageW allocating the text; its length and the text.
DWORD AllocatedText(DWORD code, comown::local_mem<WCHAR>& text) {
  return FormatMessageW(kSystemText | FORMAT_MESSAGE_ALLOCATE_BUFFER, nullptr, code, kNeutralLanguage,
                        reinterpret_cast<LPWSTR>(text.put()), 0, nullptr);
}

}  // namespace

TEST(Kernel, PerformanceCounterRunsAtTenMegahertz) {
  LARGE_INTEGER frequency;
  ASSERT_TRUE(QueryPerformanceFrequency(&frequency));
  EXPECT_EQ(10000000, frequency.QuadPart);
  LARGE_INTEGER before;
  LARGE_INTEGER after;
  QueryPerformanceCounter(&before);
  const DWORD ticks_before = GetTickCount();
  Sleep(30);
  QueryPerformanceCounter(&after);
  const LONGLONG elapsed = after.QuadPart - before.QuadPart;
  EXPECT_GE(elapsed, 250000);    // at least 25 ms
  EXPECT_LT(elapsed, 50000000);  // well under 5 s
  // The tick count may advance in steps of up to 16 ms, as on Windows.
  const DWORD ticks = GetTickCount() - ticks_before;
  EXPECT_GE(ticks, 10u);
  EXPECT_LT(ticks, 5000u);
}

TEST(Kernel, FormatMessageGivesASystemTextEndingInCrLfOrNothing) {
  comown::local_mem<WCHAR> text;
  const DWORD length = AllocatedText(static_cast<DWORD>(E_INVALIDARG), text);
  ASSERT_TRUE(text);
  const WideString message(text.get());
  ASSERT_GT(message.size(), 2u);
  EXPECT_EQ(message.size(), length);
  EXPECT_EQ(WideString(OLESTR("\r\n")), message.substr(message.size() - 2));

  // Into the caller's buffer: only when the text fits.
  WCHAR buffer[256];
  EXPECT_EQ(length, FormatMessageW(kSystemText, nullptr, static_cast<DWORD>(E_INVALIDARG), kNeutralLanguage, buffer,
                                   256, nullptr));
  EXPECT_EQ(message, WideString(buffer));
  EXPECT_EQ(0u, FormatMessageW(kSystemText, nullptr, static_cast<DWORD>(E_INVALIDARG), kNeutralLanguage, buffer, 2,
                               nullptr));

  // An OPC server's own code: the system has no text for it, and nothing is allocated.
  SetLastError(ERROR_SUCCESS);
  EXPECT_EQ(0u, AllocatedText(0xC0040007, text));
  EXPECT_EQ(static_cast<DWORD>(ERROR_MR_MID_NOT_FOUND), GetLastError());
  EXPECT_FALSE(text);
}

TEST(Kernel, LastErrorAndThreadIdBelongToEachThread) {
  // The threads take turns through `stage` so that no API call of the thread
  // machinery comes between setting an error and reading it back.
  std::atomic<int> stage{0};
  DWORD initial_error = 1;
  DWORD other_error = 0;
  DWORD other_thread = 0;
  DWORD other_process = 0;
  std::thread other([&] {
    initial_error = GetLastError();
    SetLastError(99);
    stage = 1;
    while (stage != 2) {
    }
    other_error = GetLastError();
    other_thread = GetCurrentThreadId();
    other_process = GetCurrentProcessId();
  });
  while (stage != 1) {
  }
  SetLastError(1234);
  stage = 2;
  EXPECT_EQ(1234u, GetLastError());
  other.join();
  EXPECT_EQ(0u, initial_error);
  EXPECT_EQ(99u, other_error);
  EXPECT_NE(GetCurrentThreadId(), other_thread);
  EXPECT_EQ(GetCurrentProcessId(), other_process);
}

TEST(Kernel, EnvironmentVariablesFollowTheWindowsLengthRules) {
  ASSERT_TRUE(SetEnvironmentVariableA("PLATFORM_COM_TEST_VALUE", "yes"));
  char narrow[8];
  EXPECT_EQ(3u, GetEnvironmentVariableA("PLATFORM_COM_TEST_VALUE", narrow, sizeof narrow));
  EXPECT_STREQ("yes", narrow);
  WCHAR wide[8];
  EXPECT_EQ(3u, GetEnvironmentVariableW(OLESTR("PLATFORM_COM_TEST_VALUE"), wide, 8));
  EXPECT_EQ(WideString(OLESTR("yes")), WideString(wide));
  // Too small: the size needed, terminator included.
  EXPECT_EQ(4u, GetEnvironmentVariableW(OLESTR("PLATFORM_COM_TEST_VALUE"), wide, 3));

  ASSERT_TRUE(SetEnvironmentVariableA("PLATFORM_COM_TEST_VALUE", nullptr));
  SetLastError(ERROR_SUCCESS);
  EXPECT_EQ(0u, GetEnvironmentVariableW(OLESTR("PLATFORM_COM_TEST_VALUE"), wide, 8));
  EXPECT_EQ(static_cast<DWORD>(ERROR_ENVVAR_NOT_FOUND), GetLastError());
}
