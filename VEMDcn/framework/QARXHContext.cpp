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

QARException::QARException(QARError* error) noexcept : _Error(error) {}

QARException::QARException(const QARException& other) noexcept : std::exception(other), _Error(other._Error) {
  if (_Error != nullptr) _Error->AddRef();
}

QARException& QARException::operator=(const QARException& other) noexcept {
  if (other._Error != nullptr) other._Error->AddRef();
  if (_Error != nullptr) _Error->Release();
  _Error = other._Error;
  return *this;
}

QARException::~QARException() {
  if (_Error != nullptr) _Error->Release();
}

const char* QARException::what() const noexcept { return _Error != nullptr ? _Error->IsA() : "QARError"; }

QARError* QARException::Detach() noexcept {
  QARError* error = _Error;
  _Error = nullptr;
  return error;
}

QARXHContext::QARXHContext() noexcept : _Caught(nullptr) {}

QARXHContext::~QARXHContext() { Flush(); }

void QARXHContext::Flush() noexcept {
  if (_Caught != nullptr) {
    QARError* caught = _Caught;
    _Caught = nullptr;
    caught->Release();
  }
}

QARError* QARXHContext::Detach() noexcept {
  QARError* caught = _Caught;
  _Caught = nullptr;
  return caught;
}

int QARXHContext::RunGuarded(void (*invoke)(void*), void* work) {
  Flush();
  ArmedGuard armed;
  try {
    invoke(work);
  } catch (QARException& raised) {
    _Caught = raised.Detach();
    return 0;
  }
  return 1;
}
