// opcclient write: values written to tags, each converted from its text to the
// item's canonical type, which validating the tag tells. Every value is
// checked before anything is written: one that does not convert, or a tag
// that cannot be written, refuses the whole command.
#include "commands.h"
#include "errors.h"
#include "tag_group.h"
#include "tags.h"
#include "value_text.h"
#include "wait.h"

namespace opcclient {

namespace {

const char kGroupName[] = "opcclient write";

struct Assignment {
  std::string tag;
  std::string text;
};

bool ParseAssignments(const std::vector<std::string>& arguments, std::vector<Assignment>& assignments,
                      Console& console) {
  for (const std::string& argument : arguments) {
    // Item IDs hold no '=' in practice; values may ("a=b" as a string).
    const size_t equals = argument.find('=');
    if (equals == std::string::npos || equals == 0) {
      console.err << "opcclient: TAG=VALUE expected, not " << argument << "\n";
      return false;
    }
    assignments.push_back({argument.substr(0, equals), argument.substr(equals + 1)});
  }
  return true;
}

// The values, each in its tag's type; false (with every refusal written) when any is refused.
bool ConvertValues(const std::vector<Assignment>& assignments, const std::vector<TagInfo>& infos,
                   std::vector<comown::com_variant>& values, Console& console) {
  bool converted = true;
  for (size_t i = 0; i < assignments.size(); ++i) {
    const Assignment& assignment = assignments[i];
    const TagInfo& info = infos[i];
    if (!info.writable) {
      console.err << "opcclient: " << assignment.tag << " is read-only: " << assignment.text << " not written\n";
      converted = false;
    } else if (!ParseValue(assignment.text, TypeOfOpcName(info.opcType), values[i])) {
      console.err << "opcclient: " << assignment.tag << ": \"" << assignment.text << "\" is not a value of type "
                  << info.opcType << "\n";
      converted = false;
    }
  }
  return converted;
}

}  // namespace

int Write(const ServerChoice& choice, const WriteRequest& request, Console& console) {
  std::vector<Assignment> assignments;
  if (!ParseAssignments(request.assignments, assignments, console)) return kRefused;
  std::vector<std::string> tags;
  for (const Assignment& assignment : assignments) tags.push_back(assignment.tag);

  Session session;
  if (const int code = session.Open(choice, console)) return code;
  std::vector<TagInfo> infos;
  long hr = ValidateTagList(session.Client(), tags, infos);
  if (FAILED(hr)) return ReportFailure(console, "validating the tags", hr);
  std::vector<comown::com_variant> values(assignments.size());
  if (!ConvertValues(assignments, infos, values, console)) {
    console.err << "opcclient: nothing written\n";
    return kRefused;
  }

  unsigned long handle = 0;
  hr = DefineTagGroup(session.Client(), request.async ? kAsyncGroupName : kGroupName, tags, request.async, handle);
  if (FAILED(hr)) return ReportFailure(console, "defining the group", hr);
  const unsigned char useGIT = 0;
  hr = request.async ? session.Client().ASyncWriteGroup(handle, VariantArray(values), useGIT)
                     : session.Client().SyncWriteGroup(handle, VariantArray(values), useGIT);
  if (FAILED(hr)) return ReportFailure(console, "writing", hr);
  // A server in another process sends the completion after the write
  // returned: dispatched here, it finds the subscription still there.
  if (request.async) WaitDispatching(std::chrono::milliseconds(100));

  for (size_t i = 0; i < assignments.size(); ++i)
    console.out << assignments[i].tag << " = " << assignments[i].text << " (" << infos[i].opcType << ")\n";
  if (request.async)
    console.out << "Handed to the server; an asynchronous write reports no completion.\n";
  else
    console.out << "Written.\n";
  return session.Close(console);
}

}  // namespace opcclient
