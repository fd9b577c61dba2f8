// opcclient read: a group of the tags, read once (a line per tag) or
// repeatedly (a line per read), each value as the item model formats it.
#include <chrono>

#include "VEMDcnOpcItem.h"
#include "commands.h"
#include "errors.h"
#include "tag_group.h"
#include "text.h"
#include "wait.h"

namespace opcclient {

namespace {

const char kGroupName[] = "opcclient read";

// The item model ends every list of values with a blank: dropped here.
std::string ValueText(const comown::com_variant& value) {
  std::string text = Utf8(VEMDcnOpcItem::Variant2String(*value));
  if ((value.vt() & VT_ARRAY) && !text.empty() && text.back() == ' ') text.pop_back();
  return text;
}
std::string TypeText(const comown::com_variant& value) { return Utf8(VEMDcnOpcItem::GetOpcType(value.vt())); }

// One read of the whole group; the values belong to the caller.
long ReadGroup(VEMDcnOpcClient& client, unsigned long handle, bool device, std::vector<comown::com_variant>& values) {
  for (comown::com_variant& value : values) value.clear();
  const unsigned char useGIT = 0;
  return client.SyncReadGroup(handle, VariantArray(values), useGIT, device ? OPC_DS_DEVICE : OPC_DS_CACHE);
}

int ReadOnce(VEMDcnOpcClient& client, unsigned long handle, const ReadRequest& request, Format format,
             Console& console) {
  std::vector<comown::com_variant> values(request.tags.size());
  const long hr = ReadGroup(client, handle, request.device, values);
  if (FAILED(hr)) return ReportFailure(console, "reading the group", hr);
  Listing listing({{"Tag", "tag"}, {"Value", "value"}, {"Type", "type"}});
  for (size_t i = 0; i < values.size(); ++i) listing.Add({request.tags[i], ValueText(values[i]), TypeText(values[i])});
  listing.Write(console.out, format);
  return kSucceeded;
}

int ReadRepeatedly(VEMDcnOpcClient& client, unsigned long handle, const ReadRequest& request, Format format,
                   Console& console) {
  std::vector<Column> columns = {{"Read", "read"}};
  for (const std::string& tag : request.tags) columns.push_back({tag, tag});
  RecordStream records(console.out, format, columns);
  std::vector<comown::com_variant> values(request.tags.size());
  for (int read = 1; read <= request.repeat; ++read) {
    if (read > 1) WaitDispatching(std::chrono::milliseconds(request.intervalMs));
    const long hr = ReadGroup(client, handle, request.device, values);
    if (FAILED(hr)) return ReportFailure(console, "read " + std::to_string(read), hr);
    Row row = {read};
    for (const comown::com_variant& value : values) row.push_back(ValueText(value));
    records.Add(row);
  }
  return kSucceeded;
}

}  // namespace

int Read(const ServerChoice& choice, const ReadRequest& request, Format format, Console& console) {
  Session session;
  if (const int code = session.Open(choice, console)) return code;
  unsigned long handle = 0;
  const long hr = DefineTagGroup(session.Client(), kGroupName, request.tags, false, handle);
  if (FAILED(hr)) return ReportFailure(console, "defining the group", hr);
  const int code = request.repeat > 0 ? ReadRepeatedly(session.Client(), handle, request, format, console)
                                      : ReadOnce(session.Client(), handle, request, format, console);
  if (code != kSucceeded) return code;
  return session.Close(console);
}

}  // namespace opcclient
