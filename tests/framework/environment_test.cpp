// Environment values, the clock, local calendar fields and the application frame.
#include <gtest/gtest.h>

#include <ctime>
#include <string>

#include "FrameworkTestSupport.h"
#include "QARApplicationFrame.h"
#include "QAREnvironment.h"
#include "QARTestSupport.h"
#include "QARTime.h"

TEST(Environment, ValuesComeAsHeapCopiesAndUnsetNamesFail) {
  ScopedEnvironment variable("QAR_TEST_VALUE", "yes");
  char* value = nullptr;
  ASSERT_EQ(S_OK, QARGetEnvValue("QAR_TEST_VALUE", &value));
  EXPECT_STREQ("yes", value);
  delete[] value;

  QARString text;
  EXPECT_EQ(S_OK, QARGetEnvValue("QAR_TEST_VALUE", text));
  EXPECT_TRUE(text == QARString("yes"));

  value = reinterpret_cast<char*>(1);
  EXPECT_EQ(E_FAIL, QARGetEnvValue("QAR_TEST_UNSET_VALUE", &value));
  EXPECT_EQ(nullptr, value);
  EXPECT_EQ(E_POINTER, QARGetEnvValue(nullptr, &value));
  EXPECT_EQ(E_POINTER, QARGetEnvValue("QAR_TEST_VALUE", static_cast<char**>(nullptr)));
}

namespace {

HRESULT FixedClock(QARTimeValue* now) {
  now->Seconds = 1236236649;
  now->Microseconds = 7999;
  return S_OK;
}

}  // namespace

TEST(Clock, GivesSecondsAndMicrosecondsSinceTheEpoch) {
  QARTimeValue now{};
  ASSERT_EQ(S_OK, QARGetCurrentTime(&now, nullptr));
  const long long system = static_cast<long long>(std::time(nullptr));
  EXPECT_LE(std::llabs(system - static_cast<long long>(now.Seconds)), 2);
  EXPECT_LT(now.Microseconds, 1000000u);
  EXPECT_EQ(E_POINTER, QARGetCurrentTime(nullptr, nullptr));

  EXPECT_EQ(nullptr, QARSetClock(FixedClock));
  QARGetCurrentTime(&now, nullptr);
  EXPECT_EQ(FixedClock, QARSetClock(nullptr));
  EXPECT_EQ(1236236649u, now.Seconds);
  EXPECT_EQ(7999u, now.Microseconds);
}

TEST(LocalTime, CalendarFieldsFollowTheProcessTimeZone) {
  // 2009-03-05 07:04:09 UTC, seen in a zone one hour east of UTC.
  ScopedEnvironment zone("TZ", "CET-1");
#if defined(_WIN32)
  _tzset();
#else
  tzset();
#endif
  const QARTime time(1236236649);
  EXPECT_EQ(2009, time.GetYear());
  EXPECT_EQ(3, time.GetMonth());
  EXPECT_EQ(5, time.GetDay());
  EXPECT_EQ(8, time.GetHour());
  EXPECT_EQ(4, time.GetMinute());
  EXPECT_EQ(9, time.GetSecond());
}

TEST(ApplicationFrame, ExistsWhileTheHostKeepsOne) {
  EXPECT_EQ(nullptr, QARApplicationFrame::GetFrame());
  {
    QARApplicationFrame frame("Plant Supervisor");
    ASSERT_EQ(&frame, QARApplicationFrame::GetFrame());
    QARUnicodeString name;
    EXPECT_EQ(S_OK, frame.GetApplicationName(name));
    EXPECT_EQ("Plant Supervisor", Utf8(name));

    frame.SetApplicationName("");
    name = "unchanged";
    EXPECT_EQ(E_FAIL, frame.GetApplicationName(name));
    EXPECT_EQ("unchanged", Utf8(name));
  }
  EXPECT_EQ(nullptr, QARApplicationFrame::GetFrame());
}
