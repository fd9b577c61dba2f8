// What the client's sources share: the source path every error names, the
// reporting convention and the small helpers around it.
#pragma once

#include "QARError.h"
#include "QARSysLog.h"
#include "QARUnicodeString.h"
#include "VEMDcnOpcClient.h"
#include "VEMDcnOpcError.h"
#include "comown.h"

#define VEMDCN_CLIENT_SOURCE "VEMDcn/VEMDcnOpcClient.m/src/VEMDcnOpcClient"
#define VEMDCN_CATALOG "VEMDcnOpcClient"

namespace vemdcn {

extern const char* const kInvalidNullInputPointer;  // "Invalid NULL input pointer"
extern const char* const kInvalidNullPointer;       // "Invalid NULL pointer"
extern const WCHAR kClientName[];                   // given to every server

// The reporting convention: with an error object, the code under which the
// framework keeps it as the thread's last error; without one, the bare code.
// Takes over the error's reference.
inline long ReturnError(VEMDcnOpcError* error, long hr, int line) {
  if (error == nullptr) return hr;
  return QARError::GetReturn(2, error, nullptr, VEMDCN_CLIENT_SOURCE, line);
}

// Keeps the last error built by an operation; earlier ones are released.
class ErrorSlot {
 public:
  // Takes over the reference that _GetError handed out (null: no error).
  void reset(VEMDcnOpcError* error) noexcept { _error.attach(error); }
  VEMDcnOpcError* get() const noexcept { return _error.get(); }
  // For _ConcatenateErrors, which replaces the error it is given.
  VEMDcnOpcError* release() noexcept { return _error.detach(); }
  bool has() const noexcept { return static_cast<bool>(_error); }
  // Hands the error to the reporting convention.
  long Return(long hr, int line) { return ReturnError(_error.detach(), hr, line); }

 private:
  comown::com_ptr<VEMDcnOpcError> _error;
};

// A catalogue text without parameters, as every fixed text of the client is built.
QARUnicodeString CatalogText(const char* key);

// Internal consistency fault.
void AssertionFailed(int line);

}  // namespace vemdcn
