// The address space: compact branch and leaf tables, lookups and values.
#include "opcsim/address_space.h"

#include <algorithm>

#include "objects.h"

namespace opcsim {

AddressSpace::AddressSpace(WCHAR separator) : separator_(separator), created_(Now()) {
  branches_.emplace_back();  // the root: no parent, no name
}

AddressSpace::Name AddressSpace::Intern(wide_view text) {
  Name n;
  n.offset = static_cast<std::uint32_t>(pool_.size());
  n.length = static_cast<std::uint32_t>(text.size());
  pool_.insert(pool_.end(), text.begin(), text.end());
  return n;
}

int AddressSpace::Compare(const Name& name, wide_view text) const {
  std::size_t n = std::min<std::size_t>(name.length, text.size());
  for (std::size_t i = 0; i < n; ++i) {
    WCHAR a = pool_[name.offset + i], b = text[i];
    if (a != b) return a < b ? -1 : 1;
  }
  if (name.length == text.size()) return 0;
  return name.length < text.size() ? -1 : 1;
}

void AddressSpace::Index(const Branch& b) const {
  if (b.indexed) return;
  auto byName = [this](const Name& x, const Name& y) {
    return std::lexicographical_compare(pool_.begin() + x.offset, pool_.begin() + x.offset + x.length,
                                        pool_.begin() + y.offset, pool_.begin() + y.offset + y.length);
  };
  b.branchIndex = b.branches;
  std::sort(b.branchIndex.begin(), b.branchIndex.end(),
            [&](std::uint32_t x, std::uint32_t y) { return byName(branches_[x].name, branches_[y].name); });
  b.leafIndex = b.leaves;
  std::sort(b.leafIndex.begin(), b.leafIndex.end(), [&](std::uint32_t x, std::uint32_t y) {
    return byName(Name{leaves_[x].nameOffset, leaves_[x].nameLength}, Name{leaves_[y].nameOffset, leaves_[y].nameLength});
  });
  b.indexed = true;
}

std::uint32_t AddressSpace::FindChildBranch(std::uint32_t branch, wide_view name) const {
  const Branch& b = branches_[branch];
  Index(b);
  auto it = std::lower_bound(b.branchIndex.begin(), b.branchIndex.end(), name,
                             [&](std::uint32_t x, wide_view n) { return Compare(branches_[x].name, n) < 0; });
  if (it != b.branchIndex.end() && Compare(branches_[*it].name, name) == 0) return *it;
  return kNone;
}

std::uint32_t AddressSpace::FindChildLeaf(std::uint32_t branch, wide_view name) const {
  const Branch& b = branches_[branch];
  Index(b);
  auto nameOf = [this](std::uint32_t x) { return Name{leaves_[x].nameOffset, leaves_[x].nameLength}; };
  auto it = std::lower_bound(b.leafIndex.begin(), b.leafIndex.end(), name,
                             [&](std::uint32_t x, wide_view n) { return Compare(nameOf(x), n) < 0; });
  if (it != b.leafIndex.end() && Compare(nameOf(*it), name) == 0) return *it;
  return kNone;
}

std::uint32_t AddressSpace::AddBranch(std::uint32_t parent, wide_view name) {
  std::uint32_t existing = FindChildBranch(parent, name);
  if (existing != kNone) return Resolve(existing);
  Branch b;
  b.parent = parent;
  b.name = Intern(name);
  auto index = static_cast<std::uint32_t>(branches_.size());
  branches_.push_back(std::move(b));
  Branch& p = branches_[parent];
  p.branches.push_back(index);
  if (p.indexed) {
    // Keep the index sorted instead of rebuilding it: loaders add one by one.
    auto at = std::lower_bound(p.branchIndex.begin(), p.branchIndex.end(), name,
                               [&](std::uint32_t x, wide_view n) { return Compare(branches_[x].name, n) < 0; });
    p.branchIndex.insert(at, index);
  }
  return index;
}

std::uint32_t AddressSpace::AddBranchLink(std::uint32_t parent, wide_view name, std::uint32_t target) {
  if (FindChildBranch(parent, name) != kNone) return kNone;
  const std::uint32_t link = AddBranch(parent, name);
  branches_[link].target = Resolve(target);
  return link;
}

namespace {

// Calls visit(part) for each element of a path, empty ones included; stops
// early when visit returns false.
template <class Visit>
bool ForEachPart(wide_view path, WCHAR separator, Visit visit) {
  for (std::size_t start = 0;;) {
    std::size_t cut = path.find(separator, start);
    if (!visit(path.substr(start, cut == wide_view::npos ? wide_view::npos : cut - start))) return false;
    if (cut == wide_view::npos) return true;
    start = cut + 1;
  }
}

}  // namespace

bool AddressSpace::IsWellFormed(wide_view itemId) const {
  if (itemId.empty()) return false;
  for (WCHAR c : itemId)
    if (c < 0x20) return false;
  return ForEachPart(itemId, separator_, [](wide_view part) { return !part.empty(); });
}

std::uint32_t AddressSpace::AddBranchPath(const std::string& path) {
  std::uint32_t branch = kRoot;
  if (path.empty()) return branch;
  ForEachPart(comown::to_wide(path), separator_, [&](wide_view part) {
    branch = AddBranch(branch, part);
    return true;
  });
  return branch;
}

std::uint32_t AddressSpace::AddPlainLeaf(std::uint32_t branch, wide_view name, VARTYPE type, DWORD access) {
  Name n = Intern(name);
  auto index = static_cast<std::uint32_t>(leaves_.size());
  leaves_.push_back(Leaf{branch, n.offset, static_cast<std::uint16_t>(n.length), type,
                         static_cast<std::uint8_t>(access), kNone});
  branches_[branch].leaves.push_back(index);
  branches_[branch].indexed = false;
  return index;
}

std::uint32_t AddressSpace::AddLeaf(std::uint32_t branch, wide_view name, const ItemSpec& spec) {
  if (FindChildLeaf(branch, name) != kNone) return kNone;
  Branch& b = branches_[branch];
  auto nameOf = [this](std::uint32_t x) { return Name{leaves_[x].nameOffset, leaves_[x].nameLength}; };
  auto at = std::lower_bound(b.leafIndex.begin(), b.leafIndex.end(), name,
                             [&](std::uint32_t x, wide_view n) { return Compare(nameOf(x), n) < 0; });
  std::size_t position = static_cast<std::size_t>(at - b.leafIndex.begin());
  std::uint32_t leaf = AddPlainLeaf(branch, name, spec.type, spec.access);
  Branch& after = branches_[branch];
  after.leafIndex.insert(after.leafIndex.begin() + static_cast<std::ptrdiff_t>(position), leaf);
  after.indexed = true;  // FindChildLeaf above indexed it; the insertion kept it sorted
  bool plain = spec.value.empty() && spec.signal.kind == SignalKind::None && spec.quality == OPC_QUALITY_GOOD &&
               spec.description.empty() && spec.accessPaths.empty();
  if (plain) return leaf;
  Slot& slot = slots_[SlotOf(leaf)];
  if (!spec.value.empty()) slot.state.value = spec.value;
  slot.state.quality = spec.quality;
  slot.signal = spec.signal;
  slot.random = 0x9E3779B97F4A7C15ull ^ leaf;
  slot.description = spec.description;
  for (const std::string& p : spec.accessPaths) slot.accessPaths.push_back(comown::to_wide(p));
  return leaf;
}

bool AddressSpace::AddItem(const std::string& itemId, const ItemSpec& spec, std::string* error) {
  auto fail = [&](const std::string& why) {
    if (error) *error = why;
    return false;
  };
  wide_string id = comown::to_wide(itemId);
  if (!IsWellFormed(id)) return fail("malformed item ID '" + itemId + "'");
  if (!IsSupportedType(spec.type)) return fail("unsupported type for '" + itemId + "'");
  ItemSpec checked = spec;
  if (!spec.value.empty() && spec.value.vt() != spec.type) {
    Variant converted;
    if (FAILED(ConvertValue(*spec.value, spec.type, converted.put())))
      return fail("value of '" + itemId + "' does not convert to its type");
    checked.value = converted;
  }
  const std::size_t cut = id.rfind(separator_);
  std::uint32_t branch = kRoot;
  if (cut != wide_string::npos)
    ForEachPart(wide_view(id).substr(0, cut), separator_, [&](wide_view part) {
      branch = AddBranch(branch, part);
      return true;
    });
  const wide_view name = wide_view(id).substr(cut == wide_string::npos ? 0 : cut + 1);
  if (AddLeaf(branch, name, checked) == kNone) return fail("duplicate item ID '" + itemId + "'");
  return true;
}

void AddressSpace::Reserve(std::size_t leaves, std::size_t poolCharacters) {
  leaves_.reserve(leaves);
  pool_.reserve(poolCharacters);
}

wide_view AddressSpace::LeafName(std::uint32_t leaf) const {
  return wide_view(pool_.data() + leaves_[leaf].nameOffset, leaves_[leaf].nameLength);
}

std::size_t AddressSpace::BranchPathLength(std::uint32_t branch) const {
  std::size_t length = 0;
  for (std::uint32_t b = branch; b != kRoot && b != kNone; b = branches_[b].parent)
    length += branches_[b].name.length + (length == 0 ? 0 : 1);
  return length;
}

void AddressSpace::CopyBranchPath(std::uint32_t branch, WCHAR* out) const {
  // Written from the end: the branch's own name comes last.
  WCHAR* end = out + BranchPathLength(branch);
  for (std::uint32_t b = branch; b != kRoot && b != kNone; b = branches_[b].parent) {
    const Name& name = branches_[b].name;
    end -= name.length;
    std::copy(pool_.data() + name.offset, pool_.data() + name.offset + name.length, end);
    if (end != out) *--end = separator_;
  }
}

wide_string AddressSpace::BranchPath(std::uint32_t branch) const {
  wide_string path(BranchPathLength(branch), WCHAR(0));
  CopyBranchPath(branch, path.data());
  return path;
}

wide_string AddressSpace::LeafItemId(std::uint32_t leaf) const {
  const std::size_t prefix = BranchPathLength(leaves_[leaf].parent);
  const wide_view name = LeafName(leaf);
  wide_string id(prefix + (prefix == 0 ? 0 : 1) + name.size(), WCHAR(0));
  CopyBranchPath(leaves_[leaf].parent, id.data());
  if (prefix != 0) id[prefix] = separator_;
  std::copy(name.begin(), name.end(), id.begin() + static_cast<std::ptrdiff_t>(id.size() - name.size()));
  return id;
}

std::uint32_t AddressSpace::FindBranch(wide_view path) const {
  if (path.empty()) return kRoot;
  std::uint32_t branch = kRoot;
  ForEachPart(path, separator_, [&](wide_view part) {
    branch = part.empty() ? kNone : FindChildBranch(branch, part);
    if (branch != kNone) branch = Resolve(branch);
    return branch != kNone;
  });
  return branch;
}

std::uint32_t AddressSpace::FindLeaf(wide_view itemId) const {
  if (itemId.empty()) return kNone;
  std::size_t cut = itemId.rfind(separator_);
  std::uint32_t branch = kRoot;
  if (cut != wide_view::npos) {
    branch = FindBranch(itemId.substr(0, cut));
    if (branch == kNone) return kNone;
  }
  return FindChildLeaf(branch, cut == wide_view::npos ? itemId : itemId.substr(cut + 1));
}

std::uint32_t AddressSpace::SlotOf(std::uint32_t leaf) {
  if (leaves_[leaf].slot == kNone) {
    Slot slot;
    slot.state.time = created_;
    leaves_[leaf].slot = static_cast<std::uint32_t>(slots_.size());
    slots_.push_back(std::move(slot));
  }
  return leaves_[leaf].slot;
}

Variant AddressSpace::Zero(VARTYPE type) const {
  Variant v;
  if (type & VT_ARRAY) {
    SAFEARRAY* sa = SafeArrayCreateVector(static_cast<VARTYPE>(type & VT_TYPEMASK), 0, 0);
    if (sa) {
      v.get()->vt = type;
      v.get()->parray = sa;
    }
    return v;
  }
  if (type == VT_BSTR) return variant::Str("");
  // Every other supported scalar reads zero when its 8 value bytes are zero.
  v.put()->vt = type;
  v.get()->llVal = 0;
  return v;
}

ItemState AddressSpace::Current(std::uint32_t leaf) const {
  const Leaf& l = leaves_[leaf];
  if (l.slot == kNone) {
    ItemState s;
    s.value = Zero(l.type);
    s.time = created_;
    return s;
  }
  const Slot& slot = slots_[l.slot];
  ItemState s = slot.state;
  if (s.value.empty()) s.value = Zero(l.type);
  return s;
}

ItemState AddressSpace::Sample(std::uint32_t leaf) {
  if (leaves_[leaf].slot == kNone) return Current(leaf);
  Slot& slot = slots_[leaves_[leaf].slot];
  FILETIME now = Now();
  if (slot.signal.kind != SignalKind::None) {
    // A value the item's type cannot hold is not taken: the item keeps its
    // last one, so that clients always get the canonical type.
    Variant value = EvaluateSignal(slot.signal, slot.samples++, &slot.random, now, created_, leaves_[leaf].type);
    if (!value.empty()) slot.state.value = std::move(value);
    slot.state.time = now;
  }
  return Current(leaf);
}

void AddressSpace::Store(std::uint32_t leaf, Variant value) {
  Slot& slot = slots_[SlotOf(leaf)];
  slot.state.value = std::move(value);
  slot.state.quality = OPC_QUALITY_GOOD;
  slot.state.time = Now();
}

void AddressSpace::SetQuality(std::uint32_t leaf, WORD quality) {
  Slot& slot = slots_[SlotOf(leaf)];
  slot.state.quality = quality;
  slot.state.time = Now();
}

const std::string& AddressSpace::Description(std::uint32_t leaf) const {
  static const std::string none;
  std::uint32_t s = leaves_[leaf].slot;
  return s == kNone ? none : slots_[s].description;
}

std::vector<wide_string> AddressSpace::AccessPaths(std::uint32_t leaf) const {
  std::uint32_t s = leaves_[leaf].slot;
  return s == kNone ? std::vector<wide_string>() : slots_[s].accessPaths;
}

}  // namespace opcsim
