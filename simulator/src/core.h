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
class MethodCall {
 public:
  MethodCall(Core& core, const char* method);
  MethodCall& Arg(const char* key, const std::string& value);
  MethodCall& Arg(const char* key, const WCHAR* value);
  MethodCall& Num(const char* key, unsigned long long value);
  MethodCall& Signed(const char* key, long long value);
  MethodCall& List(const char* key, std::vector<std::string> values);
  MethodCall& Handles(const char* key, const OPCHANDLE* handles, DWORD count);
  MethodCall& Types(const char* key, const VARIANT* values, DWORD count);
  void Begin();
  // False when neither the log nor a fault rule needs the arguments: callers
  // then skip formatting them.
  bool Recording() const { return recording_; }

  // Fail, NullOut, or Empty on a method without an enumerator.
  bool ShortCircuit() const;
  // The Empty rule, for methods that hand out an enumerator.
  bool WantsEmpty() const { return fault_ && fault_->Kind() == FaultKind::Empty; }
  HRESULT FaultResult();
  // The per-item error a Refuse rule gives this item ID.
  std::optional<HRESULT> Refused(const std::string& itemId) const;
  std::optional<HRESULT> Refused(wide_view itemId) const { return Refused(comown::to_utf8(itemId)); }
  // Records the result; an Answer rule replaces it.
  HRESULT Return(HRESULT hr);

 private:
  Core& core_;
  Call call_;
  std::size_t index_ = 0;
  std::optional<Fault> fault_;
  bool recording_;
};

std::string Bool(BOOL b);
std::vector<std::string> HandleList(const OPCHANDLE* handles, DWORD count);

}  // namespace opcsim
