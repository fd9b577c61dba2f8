// Fault injection: a rule table consulted at the start of every server method.
//
// A rule names a method ("Interface::Method", the scheme of call_log.h) and
// says what the method does instead of its normal work:
//   Fail(hr)       return hr at once; every out-pointer is set to null / 0.
//   Answer(hr)     do the normal work, then return hr (e.g. S_FALSE, or a
//                  success code other than S_OK and S_FALSE).
//   NullOut(hr)    return hr (S_OK by default) with null out-pointers, as a
//                  faulty server that reports success without a result.
//   Empty(hr)      for methods that hand out an enumerator: return hr
//                  (S_FALSE by default) with an enumerator that yields nothing.
//                  Other methods treat it as NullOut.
//   Refuse(ids,hr) the given item IDs fail with hr (OPC_E_UNKNOWNITEMID by
//                  default) in per-item results; the call answers S_FALSE as
//                  servers do when some items fail. Item-bearing methods:
//                  IOPCItemMgt::AddItems/ValidateItems, IOPCSyncIO::Read/Write,
//                  IOPCAsyncIO2::Read/Write (by the item behind each handle).
//                  Single-item methods (IOPCItemProperties::*,
//                  IOPCBrowseServerAddressSpace::GetItemID/BrowseAccessPaths)
//                  fail as a whole with hr.
// By default a rule fires on every matching call; OnCall(n) makes it fire on
// the n-th matching call only (1-based, counted from when the rule was added).
// When(predicate) restricts the calls that match, using the call's logged
// arguments (see call_log.h for the keys).
// The first rule that fires wins; every matching rule counts the call.
#pragma once

#include <atomic>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "call_log.h"

namespace opcsim {

enum class FaultKind { Fail, Answer, NullOut, Empty, Refuse };

class Fault {
 public:
  static Fault Fail(std::string method, HRESULT hr);
  static Fault Answer(std::string method, HRESULT hr);
  static Fault NullOut(std::string method, HRESULT hr = S_OK);
  static Fault Empty(std::string method, HRESULT hr = S_FALSE);
  static Fault Refuse(std::string method, std::vector<std::string> itemIds, HRESULT hr = (HRESULT)0xC0040007L);

  Fault& OnCall(unsigned n);
  Fault& When(std::function<bool(const Call&)> predicate);

  const std::string& Method() const { return method_; }
  FaultKind Kind() const { return kind_; }
  HRESULT Code() const { return hr_; }
  const std::vector<std::string>& Items() const { return items_; }
  bool Refuses(const std::string& itemId) const;

 private:
  friend class FaultTable;
  Fault(FaultKind kind, std::string method, HRESULT hr) : method_(std::move(method)), kind_(kind), hr_(hr) {}

  std::string method_;
  FaultKind kind_;
  HRESULT hr_;
  std::vector<std::string> items_;
  unsigned nth_ = 0;  // 0: every call
  unsigned seen_ = 0;
  std::function<bool(const Call&)> when_;
};

// Thread-safe.
class FaultTable {
 public:
  void Add(Fault fault);
  void Clear();
  bool Empty() const { return count_ == 0; }
  // What the calls of a method need from the table: nothing (no rule names
  // it), a match, or a match on their arguments (a rule for it has When).
  enum class Interest { None, Method, Arguments };
  Interest InterestIn(std::string_view method) const;
  // The rule that fires for this call, if any (counts the call for every matching rule).
  std::optional<Fault> Match(const Call& call);

 private:
  mutable std::mutex mutex_;
  std::vector<Fault> rules_;
  std::atomic<std::size_t> count_{0};
};

}  // namespace opcsim
