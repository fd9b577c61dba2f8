// A group of tags defined on the server for a read or a write.
#pragma once

#include <string>
#include <type_traits>
#include <vector>

#include "VEMDcnOpcClient.h"
#include "comown.h"

namespace opcclient {

// The one group name the library writes asynchronously.
extern const char kAsyncGroupName[];

// Defines the group with every tag in its canonical type, active; with
// `asyncWrite`, set up for ASyncWriteGroup (the name must then be
// kAsyncGroupName). DefineGroup's result; `handle` is set on success.
long DefineTagGroup(VEMDcnOpcClient& client, const std::string& name, const std::vector<std::string>& tags,
                    bool asyncWrite, unsigned long& handle);

// The library takes and fills plain VARIANT arrays: a vector of holders is
// one, since a holder is nothing but its VARIANT.
static_assert(sizeof(comown::com_variant) == sizeof(VARIANT) && std::is_standard_layout_v<comown::com_variant>,
              "com_variant must be laid out as a VARIANT");
inline VARIANT* VariantArray(std::vector<comown::com_variant>& values) {
  return values.empty() ? nullptr : values.front().get();
}

}  // namespace opcclient
