// Shared fixture of the group tests: a client made with the Global Interface
// Table, started on the simulator's demo plant. Every test ends with no
// simulator object alive and, natively, no task-memory block left over.
#pragma once

#include <memory>
#include <string>
#include <type_traits>
#include <vector>

#include "VEMDcnOpcItem.h"
#include "client_test_support.h"
#ifndef _WIN32
#include "native_com_ext.h"
#endif

namespace grouptest {

using namespace clienttest;
using Ids = std::vector<std::string>;
using Values = std::vector<comown::com_variant>;
namespace variant = opcsim::variant;
using opcsim::Fault;

// A holder is its VARIANT: a vector of them is the array the library takes.
static_assert(std::is_standard_layout_v<comown::com_variant> && sizeof(comown::com_variant) == sizeof(VARIANT));
inline VARIANT* Array(Values& values) { return reinterpret_cast<VARIANT*>(values.data()); }
inline unsigned short* Text16(const comown::wide_string& text) {
  return const_cast<unsigned short*>(reinterpret_cast<const unsigned short*>(text.c_str()));
}
// A value as a host sees it: its type and the item model's text.
inline std::string Shown(const VARIANT& value) {
  return std::to_string(value.vt) + ":" + Utf8(VEMDcnOpcItem::Variant2String(value));
}

struct Definition {
  Definition(std::string name, Ids ids, std::vector<VARTYPE> types = {}, const char* accessPath = nullptr,
             unsigned char useGIT = 1, unsigned char active = 1, unsigned char async = 0)
      : name(std::move(name)), ids(std::move(ids)), types(std::move(types)), accessPath(accessPath),
        useGIT(useGIT), active(active), async(async) {}
  std::string name;
  Ids ids;
  std::vector<VARTYPE> types;  // empty: every item in its canonical type
  const char* accessPath;
  unsigned char useGIT, active, async;
};

class GroupTest : public ClientTest {
 protected:
  void SetUp() override {
    ClientTest::SetUp();
#ifndef _WIN32
    taskBlocks = NativeComLiveTaskAllocations();
#endif
    sim = std::make_unique<opcsim::Simulator>();
    StartClient();
  }
  void TearDown() override {
    client.reset();
    sim.reset();
#ifndef _WIN32
    EXPECT_EQ(taskBlocks, NativeComLiveTaskAllocations());
#endif
    ClientTest::TearDown();
  }
  void StartClient(unsigned char withTable = 1) {
    client = std::make_unique<VEMDcnOpcClient>(withTable);
    ASSERT_EQ(S_OK, client->OpcStart("OpcSim.DAServer.1", "", 100, 0.0f));
    sim->Calls().Clear();
    log.Clear();
  }
  long Define(const Definition& d, unsigned long& handle) {
    std::vector<comown::wide_string> texts;
    std::vector<const unsigned short*> ids(1);  // never null, also for no items
    ids.clear();
    std::vector<VARIANT> types(d.ids.size());
    for (size_t i = 0; i < d.ids.size(); ++i) {
      texts.push_back(comown::to_wide(d.ids[i]));
      types[i].vt = i < d.types.size() ? d.types[i] : VARTYPE(VT_EMPTY);
    }
    for (const auto& text : texts) ids.push_back(Text16(text));
    const comown::wide_string name = comown::to_wide(d.name), path = comown::to_wide(d.accessPath ? d.accessPath : "");
    return client->DefineGroup(Text16(name), d.ids.size(), d.accessPath ? Text16(path) : nullptr, ids.data(),
                               types.data(), handle, d.useGIT, d.active, d.async);
  }
  unsigned long Defined(const Definition& d) {
    unsigned long handle = 0;
    EXPECT_EQ(S_OK, Define(d, handle));
    return handle;
  }
  // The value the simulator holds for an item, as shown.
  std::string Held(const std::string& id) {
    comown::com_variant value;
    EXPECT_EQ(S_OK, sim->GetValue(id, &value));
    return Shown(*value);
  }

  std::unique_ptr<opcsim::Simulator> sim;
  std::unique_ptr<VEMDcnOpcClient> client;
  LONG taskBlocks = 0;
};

}  // namespace grouptest
