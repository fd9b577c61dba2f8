// Kernel services: counters, message texts, local memory, last error, ids,
// environment.
#include <gtest/gtest.h>

#include <thread>

#include "com_test_objects.h"

using namespace com_test;

namespace {

constexpr DWORD kSystemText =
    FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS;
constexpr DWORD kNeutralLanguage = MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT);
// An OPC server's own code: the system has no text for it.
constexpr DWORD kServerCode = 0xC0040007;

LONGLONG Counter() {
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return now.QuadPart;
}

}  // namespace

TEST(Kernel, PerformanceCounterRunsAtTenMegahertz) {
  LARGE_INTEGER frequency;
  ASSERT_TRUE(QueryPerformanceFrequency(&frequency));
  EXPECT_EQ(10000000, frequency.QuadPart);

  const LONGLONG before = Counter();
  const DWORD ticks_before = GetTickCount();
  Sleep(30);
  const LONGLONG elapsed = Counter() - before;
  EXPECT_GE(elapsed, 250000);   // at least 25 ms
  EXPECT_LT(elapsed, 50000000);  // well under 5 s
  const DWORD ticks = GetTickCount() - ticks_before;
  EXPECT_GE(ticks, 20u);
  EXPECT_LT(ticks, 5000u);
}

TEST(Kernel, FormatMessageAllocatesASystemTextEndingInCrLf) {
  LPWSTR text = nullptr;
  const DWORD length = FormatMessageW(kSystemText, nullptr, static_cast<DWORD>(E_INVALIDARG), kNeutralLanguage,
                                      reinterpret_cast<LPWSTR>(&text), 0, nullptr);
  ASSERT_NE(nullptr, text);
  const WideString message(text);
  EXPECT_EQ(message.size(), length);
  ASSERT_GT(message.size(), 2u);
  EXPECT_EQ(WideString(OLESTR("\r\n")), message.substr(message.size() - 2));
  EXPECT_EQ(nullptr, LocalFree(text));
}

TEST(Kernel, FormatMessageWithoutATextAllocatesNothing) {
  SetLastError(ERROR_SUCCESS);
  LPWSTR text = nullptr;
  EXPECT_EQ(0u, FormatMessageW(kSystemText, nullptr, kServerCode, kNeutralLanguage, reinterpret_cast<LPWSTR>(&text),
                               0, nullptr));
  EXPECT_EQ(static_cast<DWORD>(ERROR_MR_MID_NOT_FOUND), GetLastError());
  EXPECT_EQ(nullptr, text);
}

TEST(Kernel, FormatMessageCopiesIntoTheCallersBufferWhenItFits) {
  constexpr DWORD kFlags = FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS;
  WCHAR buffer[256];
  const DWORD length =
      FormatMessageW(kFlags, nullptr, static_cast<DWORD>(E_INVALIDARG), kNeutralLanguage, buffer, 256, nullptr);
  ASSERT_GT(length, 2u);
  EXPECT_EQ(length, WideString(buffer).size());

  WCHAR small[2];
  EXPECT_EQ(0u, FormatMessageW(kFlags, nullptr, static_cast<DWORD>(E_INVALIDARG), kNeutralLanguage, small, 2, nullptr));
}

TEST(Kernel, LocalAllocZeroesOnRequest) {
  auto* block = static_cast<unsigned char*>(LocalAlloc(LPTR, 64));
  ASSERT_NE(nullptr, block);
  for (int i = 0; i < 64; ++i) EXPECT_EQ(0, block[i]);
  EXPECT_EQ(nullptr, LocalFree(block));
}

TEST(Kernel, LastErrorAndThreadIdBelongToEachThread) {
  SetLastError(1234);
  const DWORD main_thread = GetCurrentThreadId();
  DWORD other_error = 1;
  DWORD other_thread = main_thread;
  DWORD other_process = 0;
  std::thread([&] {
    other_error = GetLastError();
    SetLastError(99);
    other_thread = GetCurrentThreadId();
    other_process = GetCurrentProcessId();
  }).join();
  EXPECT_EQ(0u, other_error);
  EXPECT_EQ(1234u, GetLastError());
  EXPECT_NE(main_thread, other_thread);
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
  EXPECT_EQ(4u, GetEnvironmentVariableA("PLATFORM_COM_TEST_VALUE", nullptr, 0));

  ASSERT_TRUE(SetEnvironmentVariableA("PLATFORM_COM_TEST_VALUE", nullptr));
  SetLastError(ERROR_SUCCESS);
  EXPECT_EQ(0u, GetEnvironmentVariableA("PLATFORM_COM_TEST_VALUE", narrow, sizeof narrow));
  EXPECT_EQ(static_cast<DWORD>(ERROR_ENVVAR_NOT_FOUND), GetLastError());
  EXPECT_EQ(0u, GetEnvironmentVariableW(OLESTR("PLATFORM_COM_TEST_VALUE"), wide, 8));
}
