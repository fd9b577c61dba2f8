// What the client's sources share: the source path every error names, the
// reporting convention and the small helpers around it.
#pragma once

#include "QARError.h"
#include "QARSysLog.h"
#include "QARUnicodeString.h"
#include "VEMDcnOpcClient.h"
#include "VEMDcnOpcError.h"

#define VEMDCN_CLIENT_SOURCE "VEMDcn/VEMDcnOpcClient.m/src/VEMDcnOpcClient"
#define VEMDCN_CATALOG "VEMDcnOpcClient"

namespace vemdcn {

extern const char* const kInvalidNullInputPointer;  // "Invalid NULL input pointer"
extern const char* const kInvalidNullPointer;       // "Invalid NULL pointer"
extern const WCHAR kClientName[];                   // given to every server

// The reporting convention: with an error object, the code under which the
// framework keeps it as the thread's last error; without one, the bare code.
inline long ReturnError(VEMDcnOpcError* error, long hr, int line) {
  if (error == nullptr) return hr;
  return QARError::GetReturn(2, error, nullptr, VEMDCN_CLIENT_SOURCE, line);
}

// Keeps the last error built by an operation; earlier ones are released.
class ErrorSlot {
 public:
  ErrorSlot() = default;
  ErrorSlot(const ErrorSlot&) = delete;
  ErrorSlot& operator=(const ErrorSlot&) = delete;
  ~ErrorSlot() { reset(nullptr); }
  void reset(VEMDcnOpcError* error) {
    if (_error != nullptr) _error->Release();
    _error = error;
  }
  VEMDcnOpcError* get() const { return _error; }
  VEMDcnOpcError** slot() { return &_error; }
  bool has() const { return _error != nullptr; }
  // Hands the error to the reporting convention.
  long Return(long hr, int line) {
    VEMDcnOpcError* error = _error;
    _error = nullptr;
    return ReturnError(error, hr, line);
  }

 private:
  VEMDcnOpcError* _error = nullptr;
};

// A catalogue text without parameters, as every fixed text of the client is built.
QARUnicodeString CatalogText(const char* key);

// Internal consistency fault.
void AssertionFailed(int line);

}  // namespace vemdcn
