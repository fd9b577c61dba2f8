// What the client's sources share: the source path every error names, the
// reporting convention, the frame of every exported operation and the small
// helpers around them.
#pragma once

#include <new>
#include <type_traits>

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

// A framework error raised inside a guarded block (QARXHContext): reported as
// a failed assertion at line; its message becomes the context of the error
// the operation builds.
QARUnicodeString RaisedMessage(QARError* raised, int line);

// --- The frame of every exported operation ----------------------------------
//
// Every exported operation of the client runs its body through Guarded:
//
//   long VEMDcnOpcClient::BrowseToRoot() {
//     return vemdcn::Guarded([&]() -> long { ... });
//   }
//
// On entry the thread's last error is cleaned, so that a failure returned
// without an error object never lets the host find an older error under its
// code. Only the outermost operation cleans: OpcStart calling
// GetOpcServerCLSID must not lose an error it has already built. On exit
// std::bad_alloc from a container or a string becomes E_OUTOFMEMORY with the
// "Invalid NULL pointer" log line (an empty or zero result where the
// operation returns no HRESULT). The one exception that passes is a framework
// error raised on purpose (QARError::Throw, which raises only inside a
// QARXHContext of the host).

enum class LastError {
  Clean,  // an operation that returns a result: it starts from no last error
  Keep    // the destructor: it returns nothing and must not lose the host's error
};

// Marks an exported operation running on this thread.
class OperationScope {
 public:
  explicit OperationScope(LastError entry) noexcept;
  ~OperationScope();
  OperationScope(const OperationScope&) = delete;
  OperationScope& operator=(const OperationScope&) = delete;
};

// The "Invalid NULL pointer" line of an allocation failure (itself allowed to fail).
void LogOutOfMemory() noexcept;

template <class Body>
auto Guarded(Body&& body, LastError entry = LastError::Clean) -> decltype(body()) {
  using Result = decltype(body());
  OperationScope scope(entry);
  try {
    return body();
  } catch (const std::bad_alloc&) {
    LogOutOfMemory();
    if constexpr (std::is_same_v<Result, long>) {
      return E_OUTOFMEMORY;
    } else if constexpr (!std::is_void_v<Result>) {
      return Result();
    }
  }
}

}  // namespace vemdcn
