// Fault rules: which call misbehaves, and how.
#include "opcsim/faults.h"

#include <algorithm>

namespace opcsim {

Fault Fault::Fail(std::string method, HRESULT hr) { return Fault(FaultKind::Fail, std::move(method), hr); }
Fault Fault::Answer(std::string method, HRESULT hr) { return Fault(FaultKind::Answer, std::move(method), hr); }
Fault Fault::NullOut(std::string method, HRESULT hr) { return Fault(FaultKind::NullOut, std::move(method), hr); }
Fault Fault::Empty(std::string method, HRESULT hr) { return Fault(FaultKind::Empty, std::move(method), hr); }

Fault Fault::Refuse(std::string method, std::vector<std::string> itemIds, HRESULT hr) {
  Fault f(FaultKind::Refuse, std::move(method), hr);
  f.items_ = std::move(itemIds);
  return f;
}

Fault& Fault::OnCall(unsigned n) {
  nth_ = n;
  return *this;
}

Fault& Fault::When(std::function<bool(const Call&)> predicate) {
  when_ = std::move(predicate);
  return *this;
}

bool Fault::Refuses(const std::string& itemId) const {
  return std::find(items_.begin(), items_.end(), itemId) != items_.end();
}

void FaultTable::Add(Fault fault) {
  std::lock_guard<std::mutex> lock(mutex_);
  rules_.push_back(std::move(fault));
  count_ = rules_.size();
}

void FaultTable::Clear() {
  std::lock_guard<std::mutex> lock(mutex_);
  rules_.clear();
  count_ = 0;
}

FaultTable::Interest FaultTable::InterestIn(std::string_view method) const {
  if (count_ == 0) return Interest::None;  // the common case: no lock
  std::lock_guard<std::mutex> lock(mutex_);
  Interest interest = Interest::None;
  for (const Fault& rule : rules_) {
    if (rule.method_ != method) continue;
    if (rule.when_) return Interest::Arguments;
    interest = Interest::Method;
  }
  return interest;
}

std::optional<Fault> FaultTable::Match(const Call& call) {
  std::lock_guard<std::mutex> lock(mutex_);
  std::optional<Fault> fired;
  for (Fault& rule : rules_) {
    if (rule.method_ != call.method) continue;
    if (rule.when_ && !rule.when_(call)) continue;
    ++rule.seen_;
    bool fires = rule.nth_ == 0 || rule.seen_ == rule.nth_;
    if (fires && !fired) fired = rule;
  }
  return fired;
}

}  // namespace opcsim
