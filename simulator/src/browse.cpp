// IOPCBrowseServerAddressSpace: the browse position, listings with filters,
// item IDs of browse names and access paths.
#include <algorithm>

#include "objects.h"

namespace opcsim {

namespace {

// Wildcards in the usual server syntax: * any run, ? any character, # a digit,
// [abc] [a-z] [!abc] a character of (or not of) a set. Case-sensitive.
bool ValidFilter(wide_view f) {
  for (std::size_t i = 0; i < f.size(); ++i)
    if (f[i] == '[') {
      std::size_t close = f.find(WCHAR(']'), i + 1);
      if (close == wide_view::npos) return false;
      i = close;
    }
  return true;
}

bool MatchSet(wide_view f, std::size_t* i, WCHAR c) {
  std::size_t k = *i + 1;
  bool negate = k < f.size() && f[k] == '!';
  if (negate) ++k;
  bool hit = false;
  for (; k < f.size() && f[k] != ']'; ++k) {
    if (k + 2 < f.size() && f[k + 1] == '-' && f[k + 2] != ']') {
      hit = hit || (c >= f[k] && c <= f[k + 2]);
      k += 2;
    } else {
      hit = hit || c == f[k];
    }
  }
  *i = k;  // at the closing bracket
  return hit != negate;
}

bool Match(wide_view f, std::size_t fi, wide_view s, std::size_t si) {
  while (fi < f.size()) {
    WCHAR p = f[fi];
    if (p == '*') {
      for (std::size_t k = si; k <= s.size(); ++k)
        if (Match(f, fi + 1, s, k)) return true;
      return false;
    }
    if (si >= s.size()) return false;
    WCHAR c = s[si];
    if (p == '?') {
    } else if (p == '#') {
      if (c < '0' || c > '9') return false;
    } else if (p == '[') {
      if (!MatchSet(f, &fi, c)) return false;
    } else if (p != c) {
      return false;
    }
    ++fi;
    ++si;
  }
  return si == s.size();
}

bool Matches(wide_view filter, wide_view text) { return filter.empty() || Match(filter, 0, text, 0); }

// The item ID of `name` below a branch, in task memory for the client: the
// branch's path, the separator and the name (the path alone for no name).
comown::task_string TaskItemId(const AddressSpace& space, std::uint32_t branch, wide_view name) {
  const std::size_t prefix = space.BranchPathLength(branch);
  const std::size_t separator = prefix != 0 && !name.empty() ? 1 : 0;
  auto id = comown::task_string::allocate(prefix + separator + name.size() + 1);  // zeroed: terminated
  if (!id) return id;
  space.CopyBranchPath(branch, id.get());
  if (separator != 0) id[prefix] = space.Separator();
  std::copy(name.begin(), name.end(), id.get() + prefix + separator);
  return id;
}

// Leaves of the space, listed by index; names or item IDs are made on demand so
// that a flat listing of a million leaves costs four bytes per leaf.
class LeafList final : public StringSource {
 public:
  LeafList(std::shared_ptr<AddressSpace> space, std::vector<std::uint32_t> leaves, bool fullIds)
      : space_(std::move(space)), leaves_(std::move(leaves)), fullIds_(fullIds) {}
  std::size_t Count() const override { return leaves_.size(); }
  comown::task_string At(std::size_t i) const override {
    const std::uint32_t leaf = leaves_[i];
    if (!fullIds_) return comown::task_copy(space_->LeafName(leaf));
    return TaskItemId(*space_, space_->LeafParent(leaf), space_->LeafName(leaf));
  }

 private:
  std::shared_ptr<AddressSpace> space_;
  std::vector<std::uint32_t> leaves_;
  bool fullIds_;
};

const char* DirectionText(OPCBROWSEDIRECTION d) {
  switch (d) {
    case OPC_BROWSE_UP: return "up";
    case OPC_BROWSE_DOWN: return "down";
    case OPC_BROWSE_TO: return "to";
  }
  return "invalid";
}

const char* BrowseTypeText(OPCBROWSETYPE t) {
  switch (t) {
    case OPC_BRANCH: return "branch";
    case OPC_LEAF: return "leaf";
    case OPC_FLAT: return "flat";
  }
  return "invalid";
}

}  // namespace

bool Server::PassesFilters(std::uint32_t leaf, VARTYPE vt, DWORD access) const {
  const AddressSpace& space = *core_->space;
  DWORD rights = space.LeafAccess(leaf);
  if (access != 0) {
    bool ok = core_->options.accessFilter == AccessFilter::AnyBit ? (rights & access) != 0
                                                                  : (rights & access) == access;
    if (!ok) return false;
  }
  if (vt == VT_EMPTY || space.LeafType(leaf) == vt) return true;
  return core_->options.filterConverts && CanConvert(*space.Current(leaf).value, vt);
}

std::uint32_t Server::ResolveLeaf(const WCHAR* itemId, HRESULT* error) const {
  const wide_view id = comown::view(itemId);
  if (!core_->space->IsWellFormed(id)) {
    *error = OPC_E_INVALIDITEMID;
    return AddressSpace::kNone;
  }
  std::uint32_t leaf = core_->space->FindLeaf(id);
  *error = leaf == AddressSpace::kNone ? OPC_E_UNKNOWNITEMID : S_OK;
  return leaf;
}

HRESULT Server::QueryOrganization(OPCNAMESPACETYPE* pNameSpaceType) {
  MethodCall call = Begin("IOPCBrowseServerAddressSpace::QueryOrganization");
  call.Begin();
  if (pNameSpaceType) *pNameSpaceType = OPCNAMESPACETYPE(0);
  if (call.ShortCircuit()) return call.FaultResult();
  if (!pNameSpaceType) return call.Return(E_INVALIDARG);
  *pNameSpaceType = core_->options.organisation;
  return call.Return(S_OK);
}

HRESULT Server::ChangeBrowsePosition(OPCBROWSEDIRECTION dwBrowseDirection, LPCWSTR szString) {
  MethodCall call = Begin("IOPCBrowseServerAddressSpace::ChangeBrowsePosition");
  call.Arg("direction", DirectionText(dwBrowseDirection)).Arg("name", szString).Begin();
  if (call.ShortCircuit()) return call.FaultResult();
  const wide_view name = comown::view(szString);
  std::lock_guard<std::mutex> lock(core_->mutex);
  const AddressSpace& space = *core_->space;
  std::vector<std::uint32_t>& path = state_->browsePath;
  if (core_->options.organisation == OPC_NS_FLAT) {
    // A flat space has nowhere to go but its only level.
    return call.Return(dwBrowseDirection == OPC_BROWSE_TO && name.empty() ? S_OK : E_FAIL);
  }
  switch (dwBrowseDirection) {
    case OPC_BROWSE_UP:
      if (path.empty()) return call.Return(core_->options.browseUpNeverRefused ? S_OK : E_FAIL);
      path.pop_back();
      return call.Return(S_OK);
    case OPC_BROWSE_DOWN: {
      std::uint32_t child = name.empty() ? AddressSpace::kNone : space.FindChildBranch(state_->BrowseBranch(), name);
      if (child == AddressSpace::kNone) return call.Return(E_INVALIDARG);
      path.push_back(space.Resolve(child));
      return call.Return(S_OK);
    }
    case OPC_BROWSE_TO: {
      std::uint32_t target = space.FindBranch(name);
      if (target == AddressSpace::kNone) return call.Return(E_INVALIDARG);
      path.clear();
      for (std::uint32_t b = target; b != AddressSpace::kRoot; b = space.BranchParent(b)) path.push_back(b);
      std::reverse(path.begin(), path.end());
      return call.Return(S_OK);
    }
  }
  return call.Return(E_INVALIDARG);
}

HRESULT Server::BrowseOPCItemIDs(OPCBROWSETYPE dwBrowseFilterType, LPCWSTR szFilterCriteria,
                                 VARTYPE vtDataTypeFilter, DWORD dwAccessRightsFilter, LPENUMSTRING* ppIEnumString) {
  MethodCall call = Begin("IOPCBrowseServerAddressSpace::BrowseOPCItemIDs");
  call.Arg("type", BrowseTypeText(dwBrowseFilterType))
      .Arg("filter", szFilterCriteria)
      .Num("dataType", vtDataTypeFilter)
      .Num("accessRights", dwAccessRightsFilter)
      .Begin();
  if (ppIEnumString) *ppIEnumString = nullptr;
  if (call.WantsEmpty() && ppIEnumString) {
    *ppIEnumString = NewStringEnumerator(core_, std::make_shared<StringList>()).detach();
    return call.FaultResult();
  }
  if (call.ShortCircuit()) return call.FaultResult();
  if (!ppIEnumString || dwBrowseFilterType < OPC_BRANCH || dwBrowseFilterType > OPC_FLAT)
    return call.Return(E_INVALIDARG);
  const wide_view filter = comown::view(szFilterCriteria);
  if (!ValidFilter(filter)) return call.Return(OPC_E_INVALIDFILTER);

  std::shared_ptr<StringSource> source;
  {
    std::lock_guard<std::mutex> lock(core_->mutex);
    const AddressSpace& space = *core_->space;
    bool flatSpace = core_->options.organisation == OPC_NS_FLAT;
    std::uint32_t start = flatSpace ? AddressSpace::kRoot : state_->BrowseBranch();
    if (dwBrowseFilterType == OPC_BRANCH) {
      std::vector<wide_string> names;
      if (!flatSpace)
        for (std::uint32_t b : space.ChildBranches(start))
          if (Matches(filter, space.BranchName(b))) names.emplace_back(space.BranchName(b));
      source = std::make_shared<StringList>(std::move(names));
    } else {
      // Leaves below the position: their names in a hierarchical OPC_LEAF
      // listing, their item IDs in a flat listing or a flat space.
      bool fullIds = flatSpace || dwBrowseFilterType == OPC_FLAT;
      bool deep = flatSpace || dwBrowseFilterType == OPC_FLAT;
      std::vector<std::uint32_t> leaves;
      std::vector<std::uint32_t> pending{start};
      while (!pending.empty()) {
        std::uint32_t b = pending.back();
        pending.pop_back();
        for (std::uint32_t leaf : space.ChildLeaves(b)) {
          if (!PassesFilters(leaf, vtDataTypeFilter, dwAccessRightsFilter)) continue;
          if (filter.empty() || Matches(filter, fullIds ? space.LeafItemId(leaf) : space.LeafName(leaf)))
            leaves.push_back(leaf);
        }
        if (deep) {
          // Links are not followed: a flat listing names every leaf once.
          const auto& children = space.ChildBranches(b);
          for (auto it = children.rbegin(); it != children.rend(); ++it)
            if (!space.IsLink(*it)) pending.push_back(*it);
        }
      }
      source = std::make_shared<LeafList>(core_->space, std::move(leaves), fullIds);
    }
  }
  bool none = source->Count() == 0;
  *ppIEnumString = NewStringEnumerator(core_, std::move(source)).detach();
  // Nothing to list: S_FALSE, still with an (empty) enumerator, as the standard says.
  return call.Return(none ? S_FALSE : S_OK);
}

HRESULT Server::GetItemID(LPWSTR szItemDataID, LPWSTR* szItemID) {
  MethodCall call = Begin("IOPCBrowseServerAddressSpace::GetItemID");
  call.Arg("name", szItemDataID).Begin();
  if (szItemID) *szItemID = nullptr;
  if (call.ShortCircuit()) return call.FaultResult();
  if (!szItemDataID || !szItemID) return call.Return(E_INVALIDARG);
  const wide_view name = comown::view(szItemDataID);
  if (auto refused = call.Refused(name)) return call.Return(*refused);
  comown::task_string id;
  {
    std::lock_guard<std::mutex> lock(core_->mutex);
    const AddressSpace& space = *core_->space;
    std::uint32_t position = core_->options.organisation == OPC_NS_FLAT ? AddressSpace::kRoot : state_->BrowseBranch();
    if (name.empty() || space.FindChildLeaf(position, name) != AddressSpace::kNone ||
        space.FindChildBranch(position, name) != AddressSpace::kNone) {
      id = TaskItemId(space, position, name);
    } else if (space.FindLeaf(name) != AddressSpace::kNone || space.FindBranch(name) != AddressSpace::kNone) {
      id = comown::task_copy(name);  // already fully qualified, as flat listings hand them out
    } else {
      return call.Return(E_INVALIDARG);
    }
  }
  if (!id) return call.Return(E_OUTOFMEMORY);
  if (auto refused = call.Refused(comown::view(id.get()))) return call.Return(*refused);
  *szItemID = id.release();
  return call.Return(S_OK);
}

HRESULT Server::BrowseAccessPaths(LPCWSTR szItemID, LPENUMSTRING* ppIEnumString) {
  MethodCall call = Begin("IOPCBrowseServerAddressSpace::BrowseAccessPaths");
  call.Arg("item", szItemID).Begin();
  if (ppIEnumString) *ppIEnumString = nullptr;
  if (call.WantsEmpty() && ppIEnumString) {
    *ppIEnumString = NewStringEnumerator(core_, std::make_shared<StringList>()).detach();
    return call.FaultResult();
  }
  if (call.ShortCircuit()) return call.FaultResult();
  if (!szItemID || !ppIEnumString) return call.Return(E_INVALIDARG);
  if (auto refused = call.Refused(comown::view(szItemID))) return call.Return(*refused);
  std::vector<wide_string> paths;
  {
    std::lock_guard<std::mutex> lock(core_->mutex);
    HRESULT error;
    std::uint32_t leaf = ResolveLeaf(szItemID, &error);
    if (leaf == AddressSpace::kNone) return call.Return(E_INVALIDARG);
    paths = core_->space->AccessPaths(leaf);
  }
  bool none = paths.empty();
  *ppIEnumString = NewStringEnumerator(core_, std::make_shared<StringList>(std::move(paths))).detach();
  return call.Return(none ? S_FALSE : S_OK);
}

}  // namespace opcsim
