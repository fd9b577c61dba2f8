#include "QARTime.h"

#include <chrono>
#include <ctime>

#include "QARInternal.h"

namespace {

HRESULT SystemClock(QARTimeValue* now) {
  const auto sinceEpoch = std::chrono::system_clock::now().time_since_epoch();
  const auto microseconds = std::chrono::duration_cast<std::chrono::microseconds>(sinceEpoch).count();
  now->Seconds = static_cast<ULONG>(microseconds / 1000000);
  now->Microseconds = static_cast<ULONG>(microseconds % 1000000);
  return S_OK;
}

bool LocalCalendar(long long seconds, std::tm& fields) {
  const std::time_t moment = static_cast<std::time_t>(seconds);
#if defined(_WIN32)
  return localtime_s(&fields, &moment) == 0;
#else
  return localtime_r(&moment, &fields) != nullptr;
#endif
}

}  // namespace

HRESULT QARGetCurrentTime(QARTimeValue* now, void*) {
  if (now == nullptr) return E_POINTER;
  const QARClockFunction clock = qar_detail::TestClock();
  return clock != nullptr ? clock(now) : SystemClock(now);
}

QARTime::QARTime(long long secondsSince1970) : _Year(1970), _Month(1), _Day(1), _Hour(0), _Minute(0), _Second(0) {
  std::tm fields{};
  if (!LocalCalendar(secondsSince1970, fields)) return;
  _Year = fields.tm_year + 1900;
  _Month = fields.tm_mon + 1;
  _Day = fields.tm_mday;
  _Hour = fields.tm_hour;
  _Minute = fields.tm_min;
  _Second = fields.tm_sec;
}
