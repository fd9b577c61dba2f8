// Tags checked against the server: what validation tells about each one.
#pragma once

#include <string>
#include <vector>

#include "VEMDcnOpcClient.h"

namespace opcclient {

struct TagInfo {
  std::string tag;
  bool accepted = false;
  std::string type;       // host type name ("float64")
  std::string opcType;    // OPC type name ("VT_R8", "ARRAY OF VT_I4")
  std::string direction;  // "In", "Out" or "In/Out", as the catalogue words them
  bool writable = false;
};

// Validates the tags (one leaf node each) and returns ValidateTags' result;
// `infos` gets one entry per tag, in order. When the server refused some tags,
// the others are completed and the result's error object names the refused ones.
long ValidateTagList(VEMDcnOpcClient& client, const std::vector<std::string>& tags, std::vector<TagInfo>& infos);

}  // namespace opcclient
