// The calling thread's last error: the error an operation returned through
// QARError::GetReturn, kept until the thread cleans it or keeps another one.
#include "QARError.h"

namespace {

class LastErrorSlot {
 public:
  LastErrorSlot() = default;
  LastErrorSlot(const LastErrorSlot&) = delete;
  LastErrorSlot& operator=(const LastErrorSlot&) = delete;
  ~LastErrorSlot() { Clean(); }

  void Keep(HRESULT code, QARError* error, IUnknown* object) {
    QARError* previous = _Error;
    _Error = error;
    _Code = code;
    _Object = object;
    if (previous != nullptr) previous->Release();
  }

  QARError* Find(HRESULT code, IUnknown* object) const {
    if (_Error == nullptr || _Code != code) return nullptr;
    if (object != nullptr && _Object != nullptr && object != _Object) return nullptr;
    _Error->AddRef();
    return _Error;
  }

  void Clean() { Keep(S_OK, nullptr, nullptr); }

 private:
  QARError* _Error = nullptr;
  HRESULT _Code = S_OK;
  IUnknown* _Object = nullptr;  // identity only; no reference is held
};

thread_local LastErrorSlot lastError;

}  // namespace

void QARError::KeepAsLastError(HRESULT code, QARError* error, IUnknown* object) {
  lastError.Keep(code, error, object);
}

HRESULT QARError::GetReturn(int kind, QARError* error, void*, const char* file, int line) {
  if (error == nullptr) return E_FAIL;
  if (file != nullptr) error->Setup(file, line);
  const HRESULT own = error->GetReturnCode();
  const HRESULT code = FAILED(own) ? own : E_FAIL;
  if (kind == ReturnOnly) {
    error->Release();
  } else {
    KeepAsLastError(code, error, nullptr);
  }
  return code;
}

QARError* QARError::QARGetLastError(HRESULT code, IUnknown* object) { return lastError.Find(code, object); }

void QARError::QARCleanLastError() { lastError.Clean(); }
