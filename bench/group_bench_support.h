// What the group benchmarks share: a started client on a simulator whose
// address space holds `count` readable and writable items of every supported
// type, one group of all of them, and a view of that group's record.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "VEMDcnOpcClient.h"
#include "VEMDcnOpcGroup.h"
#include "opcsim/simulator.h"

// Friend of the client: the benchmark's raw calls use the group's own
// interface and server handles.
class VEMDcnOpcClientInspector {
 public:
  static const VEMDcnOpcGroup& Group(const VEMDcnOpcClient& client) { return *client._Groups()[1]; }
};

namespace groupbench {

using Values = std::vector<comown::com_variant>;
inline VARIANT* Array(Values& values) { return reinterpret_cast<VARIANT*>(values.data()); }

inline const VARTYPE kTypes[] = {VT_I1, VT_UI1, VT_I2, VT_UI2, VT_I4, VT_UI4, VT_R4, VT_R8, VT_BOOL, VT_BSTR, VT_DATE};

struct Bench {
  // The calling thread must be in a single-threaded apartment.
  Bench(unsigned count, const char* groupName, unsigned char async) {
    auto space = std::make_shared<opcsim::AddressSpace>();
    const std::uint32_t branch = space->AddBranch(opcsim::AddressSpace::kRoot, comown::to_wide("Bench"));
    std::vector<comown::wide_string> ids;
    for (unsigned i = 0; i < count; ++i) {
      const VARTYPE type = kTypes[i % 11];
      const std::uint32_t leaf = space->AddPlainLeaf(branch, comown::to_wide("Tag" + std::to_string(i)), type,
                                                     OPC_READABLE | OPC_WRITEABLE);
      ids.push_back(space->LeafItemId(leaf));
      comown::com_variant value;
      value.get()->vt = VT_I4;
      value.get()->lVal = static_cast<LONG>(i % 100);
      value.change_type(type);
      values.push_back(std::move(value));
    }
    opcsim::Options options;
    options.space = space;
    sim = std::make_unique<opcsim::Simulator>(options);
    sim->Calls().Enable(false);
    client = std::make_unique<VEMDcnOpcClient>(1);
    std::vector<const unsigned short*> idList;
    for (const auto& id : ids) idList.push_back(reinterpret_cast<const unsigned short*>(id.c_str()));
    std::vector<VARIANT> types(count);
    const comown::wide_string name = comown::to_wide(groupName);
    result = client->OpcStart(sim->ProgId().c_str(), "", 1000, 0.0f);
    if (SUCCEEDED(result))
      result = client->DefineGroup(const_cast<unsigned short*>(reinterpret_cast<const unsigned short*>(name.c_str())),
                                   count, nullptr, idList.data(), types.data(), handle, 1, 1, async);
  }
  ~Bench() {
    client.reset();
    sim.reset();
  }
  const VEMDcnOpcGroup& Group() const { return VEMDcnOpcClientInspector::Group(*client); }

  std::unique_ptr<opcsim::Simulator> sim;
  std::unique_ptr<VEMDcnOpcClient> client;
  Values values;  // one value per item, in its canonical type: what the writes send
  unsigned long handle = 0;
  long result = E_FAIL;
};

}  // namespace groupbench
