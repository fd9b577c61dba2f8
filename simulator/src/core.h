// The state one Simulator shares with every COM object it hands out, and the
// gate every server method passes through (call log + fault rules).
#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "com_util.h"
#include "opcsim/simulator.h"

namespace opcsim {

struct ServerState;

// A completion kept for later delivery (AsyncDelivery::Queued).
struct PendingCompletion {
  DWORD cancelId = 0;
  const void* group = nullptr;     // identity of the group that issued it
  std::function<void()> deliver;   // the completion callback
  std::function<void()> cancel;    // OnCancelComplete instead
};

struct Core {
  explicit Core(Options opts);

  std::mutex mutex;  // guards everything below and the state of every object
  Options options;
  std::shared_ptr<AddressSpace> space;
  FaultTable faults;
  CallLog calls;
  FILETIME started;
  DWORD nextCancelId = 1;
  OPCHANDLE nextItemHandle = 1;
  unsigned nextServerSerial = 1;
  std::vector<std::weak_ptr<ServerState>> servers;
  std::vector<PendingCompletion> pending;

  const ServerClass& Class(std::size_t index) const { return options.classes[index]; }
};

// Logs one call and applies the fault rule that fires for it.
//   MethodCall call(core, "IOPCServer::GetStatus");
//   call.Arg(...); call.Begin();
//   if (call.ShortCircuit()) { null the outs; return call.FaultResult(); }
//   ... work ...
//   return call.Return(hr);
// With the log off and no rule for the method, a call costs neither text nor
// allocations: arguments are formatted only when recorded, and recorded only
// when the log is on or a rule for this method looks at them (When).
class MethodCall {
 public:
  MethodCall(Core& core, const char* method);
  MethodCall& Arg(const char* key, const char* text);
  MethodCall& Arg(const char* key, const std::string& text);
  MethodCall& Arg(const char* key, const WCHAR* text);  // UTF-8; "null" for no text
  MethodCall& Num(const char* key, unsigned long long value);
  MethodCall& Flag(const char* key, BOOL value);  // "1" or "0"
  MethodCall& Hex(const char* key, HRESULT value);
  MethodCall& Guid(const char* key, REFGUID value);
  MethodCall& Iid(const char* key, REFIID value);  // the interface's name where known
  // An optional in-parameter: its value, or "null" when not given.
  template <class T>
  MethodCall& Optional(const char* key, const T* value) {
    if (recording_) call_.args[key] = value ? std::to_string(*value) : std::string("null");
    return *this;
  }
  MethodCall& OptionalFlag(const char* key, const BOOL* value);
  // A list argument: make() gives its texts, and runs only when recorded.
  template <class Make>
  MethodCall& List(const char* key, Make make) {
    if (recording_) call_.lists[key] = make();
    return *this;
  }
  MethodCall& Handles(const char* key, const OPCHANDLE* handles, DWORD count);
  MethodCall& Types(const char* key, const VARIANT* values, DWORD count);
  void Begin();

  // Fail, NullOut, or Empty on a method without an enumerator.
  bool ShortCircuit() const;
  // The Empty rule, for methods that hand out an enumerator.
  bool WantsEmpty() const { return fault_ && fault_->Kind() == FaultKind::Empty; }
  HRESULT FaultResult();
  // The per-item error a Refuse rule gives this item ID (converted only when
  // such a rule fired for the call).
  std::optional<HRESULT> Refused(wide_view itemId) const;
  // Records the result; an Answer rule replaces it.
  HRESULT Return(HRESULT hr);

 private:
  Core& core_;
  Call call_;
  std::size_t index_ = 0;
  std::optional<Fault> fault_;
  bool logging_;     // the call log is on
  bool consulting_;  // a fault rule names this method
  bool recording_;   // the arguments are needed: by the log or by a rule's When
};

std::string Bool(BOOL b);

}  // namespace opcsim
