// opcclient tree: the address space as a tree, branches first level by level
// as the server enumerates them, leaves with their item IDs.
#include <algorithm>

#include "VEMDcnOpcItemTreeNode.h"
#include "commands.h"
#include "errors.h"
#include "progress.h"
#include "text.h"

namespace opcclient {

namespace {

const size_t kIndent = 2;

// One node of the tree as printed, in depth-first order.
struct Line {
  size_t level;
  bool leaf;
  std::string name;
  std::string tag;
};

void Flatten(const VEMDcnOpcItemTreeNode& node, size_t level, std::vector<Line>& lines) {
  const QARListValQARBaseUnknown_var children = node.GetChildren();
  for (int i = 1; i <= children.Size(); ++i) {
    const auto* child = QARSysDynamicCast<VEMDcnOpcItemTreeNode>(children[i].GetPointer());
    if (child == nullptr) continue;
    lines.push_back({level, child->IsLeaf() != 0, Utf8(child->GetName()), Utf8(child->GetTag())});
    if (!child->IsLeaf()) Flatten(*child, level + 1, lines);
  }
}

Json JsonNodes(const VEMDcnOpcItemTreeNode& node) {
  Json nodes = Json::array();
  const QARListValQARBaseUnknown_var children = node.GetChildren();
  for (int i = 1; i <= children.Size(); ++i) {
    const auto* child = QARSysDynamicCast<VEMDcnOpcItemTreeNode>(children[i].GetPointer());
    if (child == nullptr) continue;
    Json entry = {{"name", Utf8(child->GetName())}};
    if (child->IsLeaf())
      entry["tag"] = Utf8(child->GetTag());
    else
      entry["children"] = JsonNodes(*child);
    nodes.push_back(std::move(entry));
  }
  return nodes;
}

// Branches end with "/"; a leaf's item ID stands in a column of its own.
void WriteIndented(const std::vector<Line>& lines, std::ostream& out) {
  size_t width = 0;
  for (const Line& line : lines)
    if (line.leaf) width = std::max(width, line.level * kIndent + DisplayWidth(line.name));
  for (const Line& line : lines) {
    const std::string text = std::string(line.level * kIndent, ' ') + line.name;
    out << text;
    if (line.leaf)
      out << std::string(width - DisplayWidth(text) + 2, ' ') << line.tag;
    else
      out << "/";
    out << "\n";
  }
}

void WriteTree(const VEMDcnOpcItemTreeNode& root, Format format, std::ostream& out) {
  std::vector<Line> lines;
  Flatten(root, 0, lines);
  switch (format) {
    case Format::Table:
      if (lines.empty()) out << "(the tree is empty)\n";
      WriteIndented(lines, out);
      break;
    case Format::Json:
      out << JsonText(JsonNodes(root), 2) << "\n";
      break;
    case Format::Csv: {
      Listing listing({{"Level", "level"}, {"Kind", "kind"}, {"Name", "name"}, {"Tag", "tag"}});
      for (const Line& line : lines)
        listing.Add({line.level, line.leaf ? "leaf" : "branch", line.name, line.leaf ? Cell(line.tag) : Cell()});
      listing.Write(out, format);
      break;
    }
  }
}

}  // namespace

int ShowTree(const ServerChoice& choice, const std::string& pattern, Format format, Console& console) {
  Session session;
  if (const int code = session.Open(choice, console)) return code;
  if (!session.Client().OPCBrowserIsAvailable()) {
    console.err << "opcclient: " << session.Server() << " offers no browsing of its address space\n";
    return kFailed;
  }
  const comown::com_ptr<VEMDcnOpcItemTreeNode> root(new VEMDcnOpcItemTreeNode(), comown::attach);
  if (!root) throw std::bad_alloc();

  Progress progress(console.err, console.progress, "Browsing the tree");
  const long hr = session.Client().GetOpcItemsTree(Text(pattern), *root);
  const bool shown = progress.Stop();

  // A failure keeps the branches the walk completed before it.
  WriteTree(*root, format, console.out);
  if (shown) console.err << "tree browsed in " << progress.Elapsed() << "\n";
  if (FAILED(hr)) return ReportFailure(console, "browsing the tree", hr);
  return session.Close(console);
}

}  // namespace opcclient
