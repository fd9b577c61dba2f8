// The calling thread's last error: the error an operation returned through
// QARError::GetReturn, kept until the thread cleans it, keeps another one or
// ends.
#include "QARError.h"
#include "QARThreadState.h"
#include "comown.h"

void QARError::KeepAsLastError(HRESULT code, QARError* error, IUnknown* object) {
  comown::com_ptr<QARError> kept(error, comown::attach);
  // Without memory for the thread's state the error is not kept, but the
  // caller's reference still goes.
  qar_detail::ThreadState* state = kept ? qar_detail::CurrentThreadState() : qar_detail::ExistingThreadState();
  if (state != nullptr) state->lastError.Keep(code, std::move(kept), object);
}

HRESULT QARError::GetReturn(int kind, QARError* error, void*, const char* file, int line) {
  if (error == nullptr) return E_FAIL;
  if (file != nullptr) error->Setup(file, line);
  const HRESULT own = error->GetReturnCode();
  const HRESULT code = FAILED(own) ? own : E_FAIL;
  if (kind == ReturnOnly) {
    comown::com_ptr<QARError> dropped(error, comown::attach);
  } else {
    KeepAsLastError(code, error, nullptr);
  }
  return code;
}

QARError* QARError::QARGetLastError(HRESULT code, IUnknown* object) {
  const qar_detail::ThreadState* state = qar_detail::ExistingThreadState();
  return state != nullptr ? state->lastError.Find(code, object) : nullptr;
}

void QARError::QARCleanLastError() { KeepAsLastError(S_OK, nullptr, nullptr); }
