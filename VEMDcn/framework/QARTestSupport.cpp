#include "QARTestSupport.h"

#include <atomic>

#include "QARInternal.h"

namespace {

// Allocations still to refuse on this thread, and the threads that have
// some: every framework object's allocation asks, and outside tests the
// answer comes without reaching the thread's own storage.
thread_local int allocationsToRefuse = 0;
std::atomic<int> threadsRefusing{0};
std::atomic<QARClockFunction> testClock{nullptr};

}  // namespace

void QARSimulateAllocationFailures(int count) {
  const int refused = count > 0 ? count : 0;
  if ((allocationsToRefuse == 0) != (refused == 0)) threadsRefusing += refused == 0 ? -1 : 1;
  allocationsToRefuse = refused;
}

bool qar_detail::RefuseAllocation() {
  if (threadsRefusing.load(std::memory_order_relaxed) == 0 || allocationsToRefuse == 0) return false;
  if (--allocationsToRefuse == 0) --threadsRefusing;
  return true;
}

QARClockFunction QARSetClock(QARClockFunction clock) { return testClock.exchange(clock); }

QARClockFunction qar_detail::TestClock() { return testClock.load(); }

QARErrorLogCapture::QARErrorLogCapture() : _Result(S_OK), _Previous(QARSetErrorLogSink(this)) {}

QARErrorLogCapture::~QARErrorLogCapture() { QARSetErrorLogSink(_Previous); }

long QARErrorLogCapture::WriteLine(int severity, const QARString& line) {
  std::lock_guard<std::mutex> lock(_Mutex);
  if (FAILED(_Result)) return _Result;
  _Lines.emplace_back(line.ConvertToChar(), static_cast<size_t>(line.GetLengthInChar()));
  _Severities.push_back(severity);
  return S_OK;
}

std::vector<std::string> QARErrorLogCapture::Lines() const {
  std::lock_guard<std::mutex> lock(_Mutex);
  return _Lines;
}

std::vector<int> QARErrorLogCapture::Severities() const {
  std::lock_guard<std::mutex> lock(_Mutex);
  return _Severities;
}

void QARErrorLogCapture::Clear() {
  std::lock_guard<std::mutex> lock(_Mutex);
  _Lines.clear();
  _Severities.clear();
}

void QARErrorLogCapture::FailWrites(long result) {
  std::lock_guard<std::mutex> lock(_Mutex);
  _Result = result;
}
