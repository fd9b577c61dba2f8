// The shared simulator state and the gate of every server method.
#include "core.h"

namespace opcsim {

Core::Core(Options opts) : options(std::move(opts)), started(Now()) {
  space = options.space ? options.space : DemoPlant();
}

MethodCall::MethodCall(Core& core, const char* method)
    : core_(core), recording_(core.calls.Enabled() || !core.faults.Empty()) {
  if (recording_) call_.method = method;
}

MethodCall& MethodCall::Arg(const char* key, const std::string& value) {
  if (recording_) call_.args[key] = value;
  return *this;
}

MethodCall& MethodCall::Arg(const char* key, const WCHAR* value) {
  if (recording_) call_.args[key] = value ? comown::to_utf8(value) : std::string("null");
  return *this;
}

MethodCall& MethodCall::Num(const char* key, unsigned long long value) {
  if (recording_) call_.args[key] = std::to_string(value);
  return *this;
}

MethodCall& MethodCall::Signed(const char* key, long long value) {
  if (recording_) call_.args[key] = std::to_string(value);
  return *this;
}

MethodCall& MethodCall::List(const char* key, std::vector<std::string> values) {
  if (recording_) call_.lists[key] = std::move(values);
  return *this;
}

MethodCall& MethodCall::Handles(const char* key, const OPCHANDLE* handles, DWORD count) {
  if (recording_) call_.lists[key] = HandleList(handles, count);
  return *this;
}

MethodCall& MethodCall::Types(const char* key, const VARIANT* values, DWORD count) {
  if (!recording_) return *this;
  std::vector<std::string> types;
  for (DWORD i = 0; values && i < count; ++i) types.push_back(std::to_string(values[i].vt));
  call_.lists[key] = std::move(types);
  return *this;
}

void MethodCall::Begin() {
  if (!recording_) return;
  fault_ = core_.faults.Match(call_);
  index_ = core_.calls.Append(call_);
}

bool MethodCall::ShortCircuit() const {
  if (!fault_) return false;
  FaultKind k = fault_->Kind();
  return k == FaultKind::Fail || k == FaultKind::NullOut || k == FaultKind::Empty;
}

HRESULT MethodCall::FaultResult() { return Return(fault_ ? fault_->Code() : E_FAIL); }

std::optional<HRESULT> MethodCall::Refused(const std::string& itemId) const {
  if (fault_ && fault_->Kind() == FaultKind::Refuse && fault_->Refuses(itemId)) return fault_->Code();
  return std::nullopt;
}

HRESULT MethodCall::Return(HRESULT hr) {
  if (fault_ && fault_->Kind() == FaultKind::Answer) hr = fault_->Code();
  if (recording_) core_.calls.SetResult(index_, hr);
  return hr;
}

std::string Bool(BOOL b) { return b ? "1" : "0"; }

std::vector<std::string> HandleList(const OPCHANDLE* handles, DWORD count) {
  std::vector<std::string> out;
  if (!handles) return out;
  out.reserve(count);
  for (DWORD i = 0; i < count; ++i) out.push_back(std::to_string(handles[i]));
  return out;
}

}  // namespace opcsim
