#include "text.h"

#include "comown.h"

namespace opcclient {

std::string Utf8(const QARUnicodeString& text) {
  return comown::to_utf8(comown::wide_view(text.GetWChar(), static_cast<size_t>(text.GetLengthInChar())));
}

QARUnicodeString Text(const std::string& utf8) {
  const comown::wide_string wide = comown::to_wide(utf8);
  return QARUnicodeString(wide.c_str(), static_cast<int>(wide.size()));
}

}  // namespace opcclient
