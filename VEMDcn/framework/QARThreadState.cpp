#include "QARThreadState.h"

#include <memory>
#include <new>

namespace qar_detail {

void LastErrorSlot::Keep(HRESULT code, comown::com_ptr<QARError> error, IUnknown* object) {
  _Error.swap(error);  // the former error goes last, once the slot is consistent
  _Code = code;
  _Object = object;
}

QARError* LastErrorSlot::Find(HRESULT code, IUnknown* object) const {
  if (!_Error || _Code != code) return nullptr;
  if (object != nullptr && _Object != nullptr && object != _Object) return nullptr;
  QARError* found = nullptr;
  _Error.copy_to(&found);
  return found;
}

}  // namespace qar_detail

#if defined(_WIN32)

namespace {

DWORD threadStateIndex = TLS_OUT_OF_INDEXES;

// TlsGetValue clears the thread's last system error; callers of the framework
// may still want to read it.
qar_detail::ThreadState* StoredState() {
  if (threadStateIndex == TLS_OUT_OF_INDEXES) return nullptr;
  const DWORD systemError = GetLastError();
  auto* state = static_cast<qar_detail::ThreadState*>(TlsGetValue(threadStateIndex));
  SetLastError(systemError);
  return state;
}

}  // namespace

qar_detail::ThreadState* qar_detail::ExistingThreadState() { return StoredState(); }

qar_detail::ThreadState* qar_detail::CurrentThreadState() {
  if (ThreadState* state = StoredState()) return state;
  if (threadStateIndex == TLS_OUT_OF_INDEXES) return nullptr;
  std::unique_ptr<ThreadState> state(new (std::nothrow) ThreadState);
  if (!state || !TlsSetValue(threadStateIndex, state.get())) return nullptr;
  return state.release();
}

void qar_detail::EndThreadState() {
  std::unique_ptr<ThreadState> state(StoredState());
  if (state) TlsSetValue(threadStateIndex, nullptr);
}

// The framework is part of the library's DLL: the loader tells it when a
// thread or the process ends, before the runtime's own per-thread clean-up.
extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
  switch (reason) {
    case DLL_PROCESS_ATTACH:
      threadStateIndex = TlsAlloc();
      return threadStateIndex != TLS_OUT_OF_INDEXES;
    case DLL_THREAD_DETACH:
      qar_detail::EndThreadState();
      break;
    case DLL_PROCESS_DETACH:
      qar_detail::EndThreadState();
      TlsFree(threadStateIndex);
      threadStateIndex = TLS_OUT_OF_INDEXES;
      break;
    default:
      break;
  }
  return TRUE;
}

#else

namespace {

thread_local std::unique_ptr<qar_detail::ThreadState> threadState;

}  // namespace

qar_detail::ThreadState* qar_detail::ExistingThreadState() { return threadState.get(); }

qar_detail::ThreadState* qar_detail::CurrentThreadState() {
  if (!threadState) threadState.reset(new (std::nothrow) ThreadState);
  return threadState.get();
}

void qar_detail::EndThreadState() { threadState.reset(); }

#endif
