#include "QARXHContext.h"

#include "QARInternal.h"

namespace {

thread_local int armedGuards = 0;

// Marks the calling thread as guarded for the duration of a Run.
class ArmedGuard {
 public:
  ArmedGuard() noexcept { ++armedGuards; }
  ~ArmedGuard() { --armedGuards; }
  ArmedGuard(const ArmedGuard&) = delete;
  ArmedGuard& operator=(const ArmedGuard&) = delete;
};

}  // namespace

int qar_detail::ArmedGuardCount() { return armedGuards; }

QARException::QARException(QARError* error) noexcept : _Error(error, comown::attach) {}

const char* QARException::what() const noexcept { return _Error ? _Error->IsA() : "QARError"; }

QARXHContext::QARXHContext() noexcept = default;

QARXHContext::~QARXHContext() = default;

void QARXHContext::Flush() noexcept { _Caught.reset(); }

QARError* QARXHContext::Detach() noexcept { return _Caught.detach(); }

int QARXHContext::RunGuarded(void (*invoke)(void*), void* work) {
  Flush();
  ArmedGuard armed;
  try {
    invoke(work);
  } catch (QARException& raised) {
    _Caught.attach(raised.Detach());
    return 0;
  }
  return 1;
}
