// Large regular address spaces for benchmarks and scale tests.
#include "objects.h"

namespace opcsim {

namespace {

const VARTYPE kTypes[] = {VT_I1, VT_UI1, VT_I2, VT_UI2, VT_I4, VT_UI4, VT_R4, VT_R8, VT_BOOL, VT_BSTR, VT_DATE};
const DWORD kAccess[] = {OPC_READABLE, OPC_READABLE | OPC_WRITEABLE, OPC_WRITEABLE};

wide_string Numbered(const char* prefix, unsigned n) {
  wide_string name = comown::to_wide(prefix);
  std::string digits = std::to_string(n);
  name.append(digits.begin(), digits.end());
  return name;
}

struct Builder {
  AddressSpace& space;
  const GeneratorParams& params;
  unsigned long long leafNumber = 0;

  void Fill(std::uint32_t branch, unsigned level) {
    if (level == params.depth) {
      for (unsigned i = 0; i < params.leavesPerBranch; ++i, ++leafNumber) {
        space.AddPlainLeaf(branch, Numbered("Tag", i), kTypes[leafNumber % 11], kAccess[leafNumber % 3]);
      }
      return;
    }
    for (unsigned i = 0; i < params.fanOut; ++i) Fill(space.AddBranch(branch, Numbered("Branch", i)), level + 1);
  }
};

}  // namespace

std::shared_ptr<AddressSpace> GenerateAddressSpace(const GeneratorParams& params) {
  auto space = std::make_shared<AddressSpace>(params.separator);
  unsigned long long branches = 1;
  for (unsigned d = 0; d < params.depth; ++d) branches *= params.fanOut;
  unsigned long long leaves = branches * params.leavesPerBranch;
  space->Reserve(static_cast<std::size_t>(leaves), static_cast<std::size_t>(leaves * 6 + branches * 8));
  Builder{*space, params}.Fill(AddressSpace::kRoot, 0);
  return space;
}

}  // namespace opcsim
