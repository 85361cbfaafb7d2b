#pragma once

#include <string>
#include <string_view>

namespace fl::i18n {

using ustring = std::u16string;

/// UTF-8 to UTF-16. Invalid input (overlong forms, encoded surrogates, code points past
/// U+10FFFF, truncated or stray sequences) throws std::runtime_error naming the byte offset.
std::u16string utf8_to_ustring(std::string_view utf8);

/// UTF-16 to UTF-8. A lone surrogate throws std::runtime_error naming the code-unit offset.
std::string ustring_to_utf8(std::u16string_view utf16);

} // namespace fl::i18n
