// What the walks over a server's address space share: the enumeration of
// names under the walk's bounds, the bounds' context texts and the item
// record of a listed leaf.
//
// The bounds (VEMDcnOpcClient::BrowseLimits) keep every walk finite against a
// server that never ends one, and are far above what a real space needs:
// - depth 256: real spaces are a few levels deep, item IDs of 256 levels are
//   thousands of characters long, and a walk of 256 nested branches stays
//   well inside the 1 MB stack of a Windows thread;
// - one climb to the root, 256 steps up: no walk of this client goes deeper;
// - one enumeration, 10 million names: ten times the largest flat spaces
//   known, and a dictionary of them fills gigabytes long before;
// - one walk, 20 million names: the leaves of such a space plus its branches.
//   The names of a walk bound its work, since every branch visited was named
//   once: a branch that contains itself twice costs at most that many visits
//   instead of growing exponentially with the depth.
// A bound that is hit ends the walk as a failing call would, with E_FAIL and
// an error whose context names the call and the bound.
#pragma once

#include <memory>
#include <new>

#include "QARUnicodeString.h"
#include "VEMDcnOpcItem.h"
#include "comown.h"

namespace vemdcn {

// The pattern or an ID as MatchPattern reads it.
inline const unsigned short* Units(const WCHAR* text) { return reinterpret_cast<const unsigned short*>(text); }

// "<call>: more than <limit> <what>", the context of an error for a bound.
QARUnicodeString BoundContext(const char* call, unsigned int limit, const char* what);

// The names of one server enumeration, fetched one at a time and held until
// the next fetch. Counts them against the enumeration's bound and the walk's.
class NameEnumeration {
 public:
  // walkNames: the names the walk has fetched so far, shared by its enumerations.
  NameEnumeration(unsigned int enumerationLimit, unsigned int walkLimit, unsigned int& walkNames) noexcept
      : _EnumerationLimit(enumerationLimit), _WalkLimit(walkLimit), _WalkNames(walkNames) {}

  // The enumerator's slot for BrowseOPCItemIDs.
  IEnumString** put() noexcept { return _Enumerator.put(); }
  IEnumString* get() const noexcept { return _Enumerator.get(); }
  explicit operator bool() const noexcept { return static_cast<bool>(_Enumerator); }
  void Release() noexcept {
    _Name.reset();
    _Enumerator.reset();
  }

  HRESULT Reset() noexcept { return _Enumerator->Reset(); }

  // Next with a count of 1. Its code, except: E_POINTER when it reports a
  // name but hands none out, and E_FAIL when the name is one more than a
  // bound allows (Context then names the bound).
  HRESULT Next() noexcept;
  bool Fetched() const noexcept { return static_cast<bool>(_Name); }
  const WCHAR* Name() const noexcept { return _Name.get(); }

  // The context of a failed Next: the bound when one was hit, else the call's own.
  QARUnicodeString Context(const char* callContext) const;

 private:
  comown::com_ptr<IEnumString> _Enumerator;
  comown::task_string _Name;
  unsigned int _EnumerationLimit;
  unsigned int _WalkLimit;
  unsigned int& _WalkNames;
  unsigned int _Count = 0;
  enum class Bound { None, Enumeration, Walk } _Bound = Bound::None;
};

// One level of a walk below its start: counted while the walk is down there.
class DepthStep {
 public:
  explicit DepthStep(unsigned int& depth) noexcept : _Depth(depth) { ++_Depth; }
  ~DepthStep() { --_Depth; }
  DepthStep(const DepthStep&) = delete;
  DepthStep& operator=(const DepthStep&) = delete;

 private:
  unsigned int& _Depth;
};

// What a walk down the branches does with what it finds: the dictionary
// listing files records, the tree listing grows nodes.
class BranchVisitor {
 public:
  // A leaf whose item ID matched: S_OK, or a failure that ends the walk.
  virtual HRESULT Leaf(const WCHAR* name, const WCHAR* itemId) = 0;
  // Before the walk steps down into a branch: false skips the branch.
  virtual bool Enter(const WCHAR* name) = 0;
  // After every Enter that returned true; walked: the whole branch was
  // walked and the step back up succeeded.
  virtual void Leave(bool walked) = 0;

 protected:
  ~BranchVisitor() = default;
};

// The record of a listed leaf: browse name, item ID, the path in front of
// the name and the walk's filters. Null when it cannot be allocated.
std::unique_ptr<VEMDcnOpcItem> NewItemRecord(const WCHAR* name, const WCHAR* itemId, VARTYPE dataType,
                                             DWORD accessRights);

}  // namespace vemdcn
