#include "wide_text.h"

namespace native_com {

std::u16string_view WideView(const WCHAR* text) {
  if (text == nullptr) return {};
  return std::u16string_view(text);
}

std::u16string FoldAsciiCase(std::u16string_view text) {
  std::u16string folded(text);
  for (char16_t& c : folded) {
    if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
  }
  return folded;
}

}  // namespace native_com
