// The call log: what each server method was asked, in call order.
#include "opcsim/call_log.h"

namespace opcsim {

std::string Call::Arg(const std::string& key) const {
  auto it = args.find(key);
  return it == args.end() ? std::string() : it->second;
}

bool Call::Has(const std::string& key) const { return args.count(key) != 0 || lists.count(key) != 0; }

const std::vector<std::string>& Call::List(const std::string& key) const {
  static const std::vector<std::string> none;
  auto it = lists.find(key);
  return it == lists.end() ? none : it->second;
}

std::vector<Call> CallLog::All() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return calls_;
}

std::vector<Call> CallLog::Of(const std::string& method) const {
  std::lock_guard<std::mutex> lock(mutex_);
  std::vector<Call> out;
  for (const Call& c : calls_)
    if (c.method == method) out.push_back(c);
  return out;
}

std::size_t CallLog::Count(const std::string& method) const {
  std::lock_guard<std::mutex> lock(mutex_);
  std::size_t n = 0;
  for (const Call& c : calls_) n += c.method == method;
  return n;
}

Call CallLog::Last(const std::string& method) const {
  std::lock_guard<std::mutex> lock(mutex_);
  for (auto it = calls_.rbegin(); it != calls_.rend(); ++it)
    if (it->method == method) return *it;
  return Call();
}

std::vector<std::string> CallLog::Methods() const {
  std::lock_guard<std::mutex> lock(mutex_);
  std::vector<std::string> out;
  out.reserve(calls_.size());
  for (const Call& c : calls_) out.push_back(c.method);
  return out;
}

void CallLog::Clear() {
  std::lock_guard<std::mutex> lock(mutex_);
  base_ += calls_.size();
  calls_.clear();
}

std::size_t CallLog::Append(Call call) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!enabled_) return static_cast<std::size_t>(-1);
  calls_.push_back(std::move(call));
  return base_ + calls_.size() - 1;
}

void CallLog::SetResult(std::size_t index, HRESULT hr) {
  std::lock_guard<std::mutex> lock(mutex_);
  // A Clear while the call ran drops its record; nothing to update then.
  if (index < base_ || index - base_ >= calls_.size()) return;
  Call& c = calls_[index - base_];
  c.result = hr;
  c.returned = true;
}

}  // namespace opcsim
