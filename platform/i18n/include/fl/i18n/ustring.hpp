#pragma once

#include <fl/i18n/Export.hpp>
#include <fl/i18n/Utf8Encoder.hpp>

#include <string>
#include <string_view>

namespace fl::i18n {

using ustring = std::u16string;

/// UTF-8 to UTF-16. Invalid input (overlong forms, encoded surrogates, code points past
/// U+10FFFF, truncated or stray sequences) throws std::runtime_error naming the byte offset.
RICHMARKUP_I18N_EXPORT std::u16string utf8_to_ustring(std::string_view utf8);

/// UTF-16 to UTF-8. A lone surrogate throws std::runtime_error naming the code-unit offset,
/// unless `policy` says otherwise.
RICHMARKUP_I18N_EXPORT std::string ustring_to_utf8(std::u16string_view utf16,
                                                   LoneSurrogate policy = LoneSurrogate::Throw);

} // namespace fl::i18n
