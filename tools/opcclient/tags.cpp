#include "tags.h"

#include "VEMDcnOpcItem.h"
#include "VEMDcnOpcItemTreeNode.h"
#include "comown.h"
#include "errors.h"
#include "text.h"

namespace opcclient {

namespace {

// The tree node's direction word ("Out", "In" or empty for both) as access rights.
unsigned long AccessRights(const std::string& direction) {
  if (direction == "Out") return OPC_READABLE;
  if (direction == "In") return OPC_WRITEABLE;
  return OPC_READABLE | OPC_WRITEABLE;
}

}  // namespace

long ValidateTagList(VEMDcnOpcClient& client, const std::vector<std::string>& tags, std::vector<TagInfo>& infos) {
  QARListValQARBaseUnknown_var nodes;
  for (const std::string& tag : tags) {
    const QARUnicodeString text = Text(tag);
    const comown::com_ptr<VEMDcnOpcItemTreeNode> node(
        new VEMDcnOpcItemTreeNode(text, text, QARUnicodeString(), QARUnicodeString(), 1), comown::attach);
    if (!node) throw std::bad_alloc();
    nodes.Append(QARBaseUnknown_var(node.get()));
  }
  const long hr = client.ValidateTags(nodes);
  // A refusal of some tags still completes the others' nodes; any other
  // failure completes none.
  const bool completed = SUCCEEDED(hr) || ErrorKey(hr) == "VEMOPCValidateError";

  infos.clear();
  for (int i = 1; i <= nodes.Size(); ++i) {
    auto* node = QARSysDynamicCast<VEMDcnOpcItemTreeNode>(nodes[i].GetPointer());
    TagInfo info;
    info.tag = tags[static_cast<size_t>(i - 1)];
    // An accepted tag always gets a type name, "???" at worst.
    info.accepted = completed && node != nullptr && node->GetType().GetLengthInChar() > 0;
    if (info.accepted) {
      const unsigned long rights = AccessRights(Utf8(node->GetDirection()));
      info.type = Utf8(node->GetType());
      info.opcType = Utf8(node->GetOpcType());
      info.direction = Utf8(VEMDcnOpcItem::GetOpcDirection(static_cast<short>(rights)));
      info.writable = (rights & OPC_WRITEABLE) != 0;
    }
    infos.push_back(info);
  }
  return hr;
}

}  // namespace opcclient
