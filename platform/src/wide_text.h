// UTF-16 text helpers shared by the runtime's sources.
#pragma once

#include <string>
#include <string_view>

#include <windef.h>

namespace native_com {

std::u16string_view WideView(const WCHAR* text);
// Lower-cases ASCII letters only: host names and ProgIDs compare that way.
std::u16string FoldAsciiCase(std::u16string_view text);
std::string ToUtf8(std::u16string_view text);
std::u16string FromUtf8(std::string_view text);

}  // namespace native_com
