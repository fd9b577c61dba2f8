// opcclient browse: the items of the address space as the library's
// dictionary holds them (item ID, name, path, OPC type, direction).
//
// The type and direction are what the listing records: the data-type filter
// of the pass that found the item, and the access-rights filter of the walk.
// Without --type every supported type is browsed in turn, so an item shows
// the first type the server offers it in.
#include <algorithm>

#include "QARHashDicVEMDcnOpcItem.h"
#include "QARRawCollVARTYPE.h"
#include "VEMDcnOpcItem.h"
#include "commands.h"
#include "errors.h"
#include "progress.h"
#include "text.h"
#include "value_text.h"

namespace opcclient {

namespace {

const char* const kAccessTexts[] = {"Readable", "Writable", "Readable/Writable"};

// The dictionary a listing creates, and its items, which the host deletes.
class OwnedDictionary {
 public:
  OwnedDictionary() = default;
  OwnedDictionary(const OwnedDictionary&) = delete;
  OwnedDictionary& operator=(const OwnedDictionary&) = delete;
  ~OwnedDictionary() {
    if (items == nullptr) return;
    QARHashCodeIter entry(items->GetDico());
    while (entry.Next()) delete static_cast<VEMDcnOpcItem*>(entry.GetValue());
    delete items;
  }
  std::vector<const VEMDcnOpcItem*> SortedByItemID() const {
    std::vector<std::pair<std::string, const VEMDcnOpcItem*>> keyed;
    if (items != nullptr) {
      QARHashCodeIter entry(items->GetDico());
      while (entry.Next())
        keyed.emplace_back(Utf8(entry.GetKey()), static_cast<const VEMDcnOpcItem*>(entry.GetValue()));
    }
    std::sort(keyed.begin(), keyed.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<const VEMDcnOpcItem*> sorted;
    for (const auto& [key, item] : keyed) sorted.push_back(item);
    return sorted;
  }

  QARHashDicVEMDcnOpcItem* items = nullptr;
};

long ListItems(VEMDcnOpcClient& client, const BrowseRequest& request, QARHashDicVEMDcnOpcItem** items) {
  const QARUnicodeString pattern = Text(request.pattern);
  const QARUnicodeString access = Text(request.access);
  if (!request.type.empty()) return client.GetOpcItemsList(pattern, TypeOfOpcName(request.type), access, items);
  if (request.access.empty()) return client.GetOpcItemsList(pattern, items);
  // An access filter without a type: every supported type in turn, as the
  // all-types listing does without one; the first failure ends it.
  QARRawCollVARTYPE types;
  client.GetSupportedDataType(types);
  long hr = E_FAIL;
  for (int i = 1; i <= types.Size() && (i == 1 || SUCCEEDED(hr)); ++i)
    hr = client.GetOpcItemsList(pattern, types[i], access, items);
  return hr;
}

Row ItemRow(const VEMDcnOpcItem& item) {
  return {Utf8(item._ItemID), Utf8(item._Name), Utf8(item._Path),
          item._CanonicalDataType == VT_EMPTY ? Cell() : Cell(Utf8(item.GetOpcType())),
          Utf8(item.GetOpcDirection())};
}

bool CheckRequest(const BrowseRequest& request, Console& console) {
  if (!request.type.empty() && request.type != "*" && TypeOfOpcName(request.type) == VT_EMPTY) {
    console.err << "opcclient: unknown type " << request.type << " (VT_I1 ... VT_BSTR, VT_DATE, \"ARRAY OF VT_R8\", *)\n";
    return false;
  }
  if (!request.access.empty() && std::find(std::begin(kAccessTexts), std::end(kAccessTexts), request.access) ==
                                     std::end(kAccessTexts)) {
    console.err << "opcclient: unknown access " << request.access << " (Readable, Writable, Readable/Writable)\n";
    return false;
  }
  return true;
}

}  // namespace

int Browse(const ServerChoice& choice, const BrowseRequest& request, Format format, Console& console) {
  if (!CheckRequest(request, console)) return kRefused;
  Session session;
  if (const int code = session.Open(choice, console)) return code;
  if (!session.Client().OPCBrowserIsAvailable()) {
    console.err << "opcclient: " << session.Server() << " offers no browsing of its address space\n";
    return kFailed;
  }

  OwnedDictionary dictionary;
  Progress progress(console.err, console.progress, "Listing the items");
  const long hr = ListItems(session.Client(), request, &dictionary.items);
  const bool shown = progress.Stop();

  // What was listed before a failure is shown too.
  Listing listing({{"Item ID", "itemId"}, {"Name", "name"}, {"Path", "path"}, {"Type", "type"},
                   {"Direction", "direction"}});
  for (const VEMDcnOpcItem* item : dictionary.SortedByItemID()) listing.Add(ItemRow(*item));
  if (listing.Size() == 0 && format == Format::Table)
    console.out << "(no item matches " << request.pattern << ")\n";
  else
    listing.Write(console.out, format);
  if (shown) console.err << listing.Size() << " items listed in " << progress.Elapsed() << "\n";

  if (FAILED(hr)) return ReportFailure(console, "listing the items", hr);
  return session.Close(console);
}

}  // namespace opcclient
