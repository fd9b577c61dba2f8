// The simulator's address space: branches and leaves with item IDs built from
// the path and a separator, canonical types, access rights and values.
//
// Stored compactly so that generated spaces of a million leaves stay small:
// names live in one character pool, a leaf is a 20-byte record, and only
// leaves that carry a value, signal, description or access path (or have been
// written) own a value slot; the others read as the zero of their type.
//
// Not internally locked: the simulator serialises access with its own mutex
// (Simulator::Lock for tests that change a space that is being served).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "variant.h"

namespace opcsim {

enum class SignalKind : std::uint8_t { None, Ramp, Sine, Random, Counter };

// A value that changes with time: ramp and sine go from min to max over the
// period; random draws from [min, max]; counter adds one at every sample.
struct Signal {
  SignalKind kind = SignalKind::None;
  double min = 0.0;
  double max = 100.0;
  double periodSeconds = 60.0;
};

struct ItemSpec {
  VARTYPE type = VT_R8;          // canonical type (VT_ARRAY | base for arrays)
  DWORD access = 3;              // OPC_READABLE | OPC_WRITEABLE
  Variant value;                 // initial value; empty: the zero of the type
  Signal signal;
  WORD quality = 0xC0;           // OPC_QUALITY_GOOD
  std::string description;       // item property 101 when not empty
  std::vector<std::string> accessPaths;
};

// A sampled value with its quality and timestamp (UTC FILETIME).
struct ItemState {
  Variant value;
  WORD quality = 0xC0;
  FILETIME time = {0, 0};
};

class AddressSpace {
 public:
  static constexpr std::uint32_t kRoot = 0;
  static constexpr std::uint32_t kNone = 0xFFFFFFFFu;

  explicit AddressSpace(WCHAR separator = WCHAR('.'));
  AddressSpace(const AddressSpace&) = delete;
  AddressSpace& operator=(const AddressSpace&) = delete;

  WCHAR Separator() const { return separator_; }

  // --- building ---------------------------------------------------------
  // The child branch of that name (created when absent).
  std::uint32_t AddBranch(std::uint32_t parent, comown::wide_view name);
  // The branch at that path below the root, creating the missing ones.
  std::uint32_t AddBranchPath(const std::string& path);
  // A child branch of `parent` that leads to `target`, an existing branch: a
  // link, as servers that show one part of their space in several places
  // have. A link to the branch itself or to an ancestor makes a space that
  // contains itself. kNone when `parent` has a branch of that name.
  std::uint32_t AddBranchLink(std::uint32_t parent, comown::wide_view name, std::uint32_t target);
  // Adds a leaf under the branch; kNone when a leaf of that name exists there.
  std::uint32_t AddLeaf(std::uint32_t branch, comown::wide_view name, const ItemSpec& spec);
  // Adds a leaf at a full item ID, creating the branches on the way.
  // False (with a reason) for an invalid or duplicate ID or a bad initial value.
  bool AddItem(const std::string& itemId, const ItemSpec& spec, std::string* error = nullptr);
  // The generator's fast path: no value slot, value reads as zero.
  std::uint32_t AddPlainLeaf(std::uint32_t branch, comown::wide_view name, VARTYPE type, DWORD access);
  void Reserve(std::size_t leaves, std::size_t poolCharacters);

  // --- structure ----------------------------------------------------------
  std::size_t LeafCount() const { return leaves_.size(); }
  std::size_t BranchCount() const { return branches_.size(); }
  const std::vector<std::uint32_t>& ChildBranches(std::uint32_t branch) const { return branches_[branch].branches; }
  const std::vector<std::uint32_t>& ChildLeaves(std::uint32_t branch) const { return branches_[branch].leaves; }
  std::uint32_t BranchParent(std::uint32_t branch) const { return branches_[branch].parent; }
  std::uint32_t LeafParent(std::uint32_t leaf) const { return leaves_[leaf].parent; }
  comown::wide_view BranchName(std::uint32_t branch) const { return Text(branches_[branch].name); }
  // Where a child branch leads: the target of a link, the branch itself otherwise.
  std::uint32_t Resolve(std::uint32_t branch) const {
    return branches_[branch].target == kNone ? branch : branches_[branch].target;
  }
  bool IsLink(std::uint32_t branch) const { return branches_[branch].target != kNone; }
  comown::wide_view LeafName(std::uint32_t leaf) const;
  // Full path of a branch ("" for the root) and full item ID of a leaf.
  comown::wide_string BranchPath(std::uint32_t branch) const;
  comown::wide_string LeafItemId(std::uint32_t leaf) const;
  // The same without building a string: the length of a branch's path, and the
  // path written to `out`, which has room for that many characters. Listings
  // of a million item IDs write them straight into the strings handed out.
  std::size_t BranchPathLength(std::uint32_t branch) const;
  void CopyBranchPath(std::uint32_t branch, WCHAR* out) const;
  VARTYPE LeafType(std::uint32_t leaf) const { return leaves_[leaf].type; }
  DWORD LeafAccess(std::uint32_t leaf) const { return leaves_[leaf].access; }

  std::uint32_t FindChildBranch(std::uint32_t branch, comown::wide_view name) const;
  std::uint32_t FindChildLeaf(std::uint32_t branch, comown::wide_view name) const;
  // By full path / item ID, following links; kNone when absent.
  std::uint32_t FindBranch(comown::wide_view path) const;
  std::uint32_t FindLeaf(comown::wide_view itemId) const;
  std::uint32_t FindLeaf(const std::string& itemId) const { return FindLeaf(comown::to_wide(itemId)); }
  // Syntax check of an item ID: not empty, no empty path element, no control characters.
  bool IsWellFormed(comown::wide_view itemId) const;

  // --- values -------------------------------------------------------------
  // The last sampled state, without sampling.
  ItemState Current(std::uint32_t leaf) const;
  // Samples now: signals advance, other values keep their value and get the time.
  ItemState Sample(std::uint32_t leaf);
  // Stores a value already converted to the canonical type, quality good, time now.
  void Store(std::uint32_t leaf, Variant value);
  void SetQuality(std::uint32_t leaf, WORD quality);
  const std::string& Description(std::uint32_t leaf) const;
  std::vector<comown::wide_string> AccessPaths(std::uint32_t leaf) const;

 private:
  struct Name {
    std::uint32_t offset = 0;
    std::uint32_t length = 0;
  };
  struct Branch {
    std::uint32_t parent = kNone;
    Name name;
    std::uint32_t target = kNone;  // a link: the branch it leads to
    std::vector<std::uint32_t> branches;
    std::vector<std::uint32_t> leaves;
    // Lookup indexes sorted by name, rebuilt lazily after additions.
    mutable std::vector<std::uint32_t> branchIndex;
    mutable std::vector<std::uint32_t> leafIndex;
    mutable bool indexed = true;
  };
  struct Leaf {
    std::uint32_t parent;
    std::uint32_t nameOffset;
    std::uint16_t nameLength;
    VARTYPE type;
    std::uint8_t access;
    std::uint32_t slot;  // kNone: no value slot
  };
  struct Slot {
    ItemState state;
    Signal signal;
    std::uint64_t samples = 0;
    std::uint64_t random = 0;
    std::string description;
    std::vector<comown::wide_string> accessPaths;
  };

  Name Intern(comown::wide_view text);
  comown::wide_view Text(const Name& name) const { return comown::wide_view(pool_.data() + name.offset, name.length); }
  int Compare(const Name& name, comown::wide_view text) const;
  void Index(const Branch& branch) const;
  std::uint32_t SlotOf(std::uint32_t leaf);
  Variant Zero(VARTYPE type) const;

  WCHAR separator_;
  std::vector<WCHAR> pool_;
  std::vector<Branch> branches_;
  std::vector<Leaf> leaves_;
  std::vector<Slot> slots_;
  FILETIME created_;
};

// --- sources ------------------------------------------------------------------

// The built-in demo plant (see demo_plant.cpp for its items).
std::shared_ptr<AddressSpace> DemoPlant();

// The plain-text format (documented in text_loader.cpp and the simulator's
// README). Null with a message naming the line on error.
std::shared_ptr<AddressSpace> ParseAddressSpace(const std::string& text, std::string* error = nullptr);
std::shared_ptr<AddressSpace> LoadAddressSpaceFile(const std::string& path, std::string* error = nullptr);

// A regular space for benchmarks: `depth` levels of branches below the root,
// `fanOut` sub-branches per branch, `leavesPerBranch` leaves in every branch of
// the deepest level (fanOut^depth * leavesPerBranch leaves). Types cycle
// through the eleven common types; access rights cycle read-only, read-write,
// write-only.
struct GeneratorParams {
  unsigned depth = 3;
  unsigned fanOut = 10;
  unsigned leavesPerBranch = 10;
  WCHAR separator = WCHAR('.');
};
std::shared_ptr<AddressSpace> GenerateAddressSpace(const GeneratorParams& params);

}  // namespace opcsim
