// The frame of the exported operations (see VEMDcnOpcClientInternal.h).
#include "VEMDcnOpcClientInternal.h"

namespace {

// Exported operations running on this thread. Per-thread state stays
// trivially destructible: thread exit must not have to run a destructor.
thread_local int runningOperations = 0;

}  // namespace

vemdcn::OperationScope::OperationScope(LastError entry) noexcept {
  if (runningOperations++ == 0 && entry == LastError::Clean) QARError::QARCleanLastError();
}

vemdcn::OperationScope::~OperationScope() { --runningOperations; }

void vemdcn::LogOutOfMemory() noexcept {
  try {
    QARSysLogError(kInvalidNullPointer);
  } catch (const std::bad_alloc&) {
    // Not even the line fits: the result alone says it.
  }
}
