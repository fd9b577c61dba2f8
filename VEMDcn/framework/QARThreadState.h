// The framework's per-thread state that needs cleaning when a thread ends.
//
// On the windows target (mingw-w64, emulated TLS) the destructor of a
// thread_local runs after the runtime has freed its storage, so state with a
// destructor lives in a heap block behind a TLS index instead, and the
// library's DllMain frees it on thread detach. Elsewhere a thread_local owner
// does the same job. Plain thread_local values without a destructor (counters,
// pointers) need neither.
#pragma once

#include "QARError.h"
#include "comown.h"

namespace qar_detail {

// The error the thread's last operation returned, with the code and object it
// was kept for.
class LastErrorSlot {
 public:
  LastErrorSlot() = default;
  LastErrorSlot(const LastErrorSlot&) = delete;
  LastErrorSlot& operator=(const LastErrorSlot&) = delete;

  // Keeps error (null cleans the slot); the former one is released.
  void Keep(HRESULT code, comown::com_ptr<QARError> error, IUnknown* object);
  // A new reference on the kept error when it matches, else null.
  QARError* Find(HRESULT code, IUnknown* object) const;

 private:
  comown::com_ptr<QARError> _Error;
  HRESULT _Code = S_OK;
  IUnknown* _Object = nullptr;  // identity only; no reference is held
};

struct ThreadState {
  LastErrorSlot lastError;
};

// The calling thread's state, made on first use; null when memory is short.
ThreadState* CurrentThreadState();
// The calling thread's state if it has one, else null; never allocates.
ThreadState* ExistingThreadState();
// Frees the calling thread's state (thread or process detach).
void EndThreadState();

}  // namespace qar_detail
