// The shared simulator state and the gate of every server method.
#include "core.h"

namespace opcsim {

Core::Core(Options opts) : options(std::move(opts)), started(Now()) {
  space = options.space ? options.space : DemoPlant();
}

MethodCall::MethodCall(Core& core, const char* method) : core_(core), logging_(core.calls.Enabled()) {
  const FaultTable::Interest interest = core.faults.InterestIn(method);
  consulting_ = interest != FaultTable::Interest::None;
  recording_ = logging_ || interest == FaultTable::Interest::Arguments;
  if (logging_ || consulting_) call_.method = method;
}

MethodCall& MethodCall::Arg(const char* key, const char* text) {
  if (recording_) call_.args[key] = text;
  return *this;
}

MethodCall& MethodCall::Arg(const char* key, const std::string& text) {
  if (recording_) call_.args[key] = text;
  return *this;
}

MethodCall& MethodCall::Arg(const char* key, const WCHAR* text) {
  if (recording_) call_.args[key] = text ? comown::to_utf8(text) : std::string("null");
  return *this;
}

MethodCall& MethodCall::Num(const char* key, unsigned long long value) {
  if (recording_) call_.args[key] = std::to_string(value);
  return *this;
}

MethodCall& MethodCall::Flag(const char* key, BOOL value) {
  if (recording_) call_.args[key] = Bool(value);
  return *this;
}

MethodCall& MethodCall::Hex(const char* key, HRESULT value) {
  if (recording_) call_.args[key] = opcsim::Hex(value);
  return *this;
}

MethodCall& MethodCall::Guid(const char* key, REFGUID value) {
  if (recording_) call_.args[key] = GuidText(value);
  return *this;
}

MethodCall& MethodCall::Iid(const char* key, REFIID value) {
  if (recording_) call_.args[key] = InterfaceName(value);
  return *this;
}

MethodCall& MethodCall::OptionalFlag(const char* key, const BOOL* value) {
  if (recording_) call_.args[key] = value ? Bool(*value) : std::string("null");
  return *this;
}

MethodCall& MethodCall::Handles(const char* key, const OPCHANDLE* handles, DWORD count) {
  return List(key, [&] {
    std::vector<std::string> texts;
    for (DWORD i = 0; handles && i < count; ++i) texts.push_back(std::to_string(handles[i]));
    return texts;
  });
}

MethodCall& MethodCall::Types(const char* key, const VARIANT* values, DWORD count) {
  return List(key, [&] {
    std::vector<std::string> types;
    for (DWORD i = 0; values && i < count; ++i) types.push_back(std::to_string(values[i].vt));
    return types;
  });
}

void MethodCall::Begin() {
  if (consulting_) fault_ = core_.faults.Match(call_);
  if (logging_) index_ = core_.calls.Append(std::move(call_));
}

bool MethodCall::ShortCircuit() const {
  if (!fault_) return false;
  FaultKind k = fault_->Kind();
  return k == FaultKind::Fail || k == FaultKind::NullOut || k == FaultKind::Empty;
}

HRESULT MethodCall::FaultResult() { return Return(fault_ ? fault_->Code() : E_FAIL); }

std::optional<HRESULT> MethodCall::Refused(wide_view itemId) const {
  if (!fault_ || fault_->Kind() != FaultKind::Refuse) return std::nullopt;
  if (fault_->Refuses(comown::to_utf8(itemId))) return fault_->Code();
  return std::nullopt;
}

HRESULT MethodCall::Return(HRESULT hr) {
  if (fault_ && fault_->Kind() == FaultKind::Answer) hr = fault_->Code();
  if (logging_) core_.calls.SetResult(index_, hr);
  return hr;
}

std::string Bool(BOOL b) { return b ? "1" : "0"; }

}  // namespace opcsim
