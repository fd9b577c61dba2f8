// opcclient validate: each tag with its host type, OPC type and direction,
// as the server's validation gives them, or its refusal.
#include "commands.h"
#include "errors.h"
#include "tags.h"

namespace opcclient {

int Validate(const ServerChoice& choice, const std::vector<std::string>& tags, Format format, Console& console) {
  Session session;
  if (const int code = session.Open(choice, console)) return code;
  std::vector<TagInfo> infos;
  const long hr = ValidateTagList(session.Client(), tags, infos);

  Listing listing({{"Tag", "tag"}, {"Valid", "valid"}, {"Type", "type"}, {"OPC type", "opcType"},
                   {"Direction", "direction"}});
  for (const TagInfo& info : infos) {
    if (info.accepted)
      listing.Add({info.tag, format == Format::Json ? Cell(true) : Cell("yes"), info.type, info.opcType,
                   info.direction});
    else
      listing.Add({info.tag, format == Format::Json ? Cell(false) : Cell("refused"), nullptr, nullptr, nullptr});
  }
  // A failure other than refusals says nothing about any tag.
  if (SUCCEEDED(hr) || ErrorKey(hr) == "VEMOPCValidateError") listing.Write(console.out, format);
  if (FAILED(hr)) return ReportFailure(console, "validating the tags", hr);
  return session.Close(console);
}

}  // namespace opcclient
