#include "tag_group.h"

namespace opcclient {

const char kAsyncGroupName[] = "VEM_APP_INPUTS";

long DefineTagGroup(VEMDcnOpcClient& client, const std::string& name, const std::vector<std::string>& tags,
                    bool asyncWrite, unsigned long& handle) {
  comown::wide_string groupName = comown::to_wide(name);
  std::vector<comown::wide_string> itemIDs;
  std::vector<const unsigned short*> itemIDPointers;
  for (const std::string& tag : tags) itemIDs.push_back(comown::to_wide(tag));
  for (const comown::wide_string& itemID : itemIDs)
    itemIDPointers.push_back(reinterpret_cast<const unsigned short*>(itemID.c_str()));
  std::vector<comown::com_variant> requestedTypes(tags.size());  // VT_EMPTY: the canonical type
  const unsigned char useGIT = 0, active = 1, async = asyncWrite ? 1 : 0;
  return client.DefineGroup(reinterpret_cast<unsigned short*>(groupName.data()),
                            static_cast<unsigned long>(tags.size()), nullptr, itemIDPointers.data(),
                            VariantArray(requestedTypes), handle, useGIT, active, async);
}

}  // namespace opcclient
