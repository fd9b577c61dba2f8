// Texts between the library (UTF-16 framework strings) and the console (UTF-8).
#pragma once

#include <string>

#include "QARUnicodeString.h"

namespace opcclient {

std::string Utf8(const QARUnicodeString& text);
QARUnicodeString Text(const std::string& utf8);

}  // namespace opcclient
