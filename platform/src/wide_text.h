// UTF-16 text helpers shared by the runtime's sources (UTF-8 conversion is
// comown's to_utf8/to_wide, the project's one).
#pragma once

#include <string>
#include <string_view>

#include <windef.h>

namespace native_com {

std::u16string_view WideView(const WCHAR* text);
// Lower-cases ASCII letters only: host names and ProgIDs compare that way.
std::u16string FoldAsciiCase(std::u16string_view text);

}  // namespace native_com
