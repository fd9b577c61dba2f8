// The simulator's address-space text format. A text either loads, into a
// space whose every branch and leaf is found again by the path or item ID it
// reports and whose values have their item's type, or is refused with a
// message naming the line.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_support.h"
#include "opcsim/address_space.h"

namespace {

using opcsim::AddressSpace;

std::string Utf8(comown::wide_view text) { return comown::to_utf8(text); }

void CheckValueType(const opcsim::ItemState& state, VARTYPE type, const std::string& id, const char* what) {
  fuzz::Check(state.value.vt() == type, what,
              id + ": type " + std::to_string(type) + ", value of type " + std::to_string(state.value.vt()));
}

void CheckBranches(const AddressSpace& space) {
  fuzz::Check(space.BranchPath(AddressSpace::kRoot).empty() && space.FindBranch(comown::wide_view()) == 0,
              "the root has the empty path");
  for (std::uint32_t branch = 1; branch < space.BranchCount(); ++branch) {
    const comown::wide_string path = space.BranchPath(branch);
    fuzz::Check(space.BranchPathLength(branch) == path.size(), "a branch path has the length it reports",
                Utf8(path));
    fuzz::Check(space.IsWellFormed(path), "a branch path is well formed", Utf8(path));
    fuzz::Check(space.FindBranch(path) == branch, "a branch is found by its path", Utf8(path));
    for (std::uint32_t child : space.ChildBranches(branch))
      fuzz::Check(space.BranchParent(child) == branch, "a child branch names its parent", Utf8(path));
  }
}

void CheckLeaves(AddressSpace& space) {
  for (std::uint32_t leaf = 0; leaf < space.LeafCount(); ++leaf) {
    const comown::wide_string id = space.LeafItemId(leaf);
    const std::string readable = Utf8(id);
    fuzz::Check(space.IsWellFormed(id), "an item ID is well formed", readable);
    fuzz::Check(space.FindLeaf(id) == leaf, "a leaf is found by its item ID", readable);
    const VARTYPE type = space.LeafType(leaf);
    CheckValueType(space.Current(leaf), type, readable, "a value has its item's type");
    for (int sample = 0; sample < 3; ++sample)
      CheckValueType(space.Sample(leaf), type, readable, "a sampled value has its item's type");
    space.Description(leaf);
    space.AccessPaths(leaf);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  std::string error;
  const std::shared_ptr<AddressSpace> space = opcsim::ParseAddressSpace(text, &error);
  if (!space) {
    fuzz::Check(error.rfind("line ", 0) == 0, "a refused text names the line", error);
    return 0;
  }
  CheckBranches(*space);
  CheckLeaves(*space);
  return 0;
}
