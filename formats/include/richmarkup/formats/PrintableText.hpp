#pragma once

#include <richmarkup/formats/Export.hpp>

#include <string>
#include <string_view>

namespace richmarkup::formats::text {

/// `text` as one line of printable, valid UTF-8 for a message: control characters as C escapes
/// (`\n`, `\t`, `\x1b`), C1 controls as `\u0080` to `\u009f`, DEL as `\x7f`, a byte that is no part
/// of valid UTF-8 as `\xNN`, and a backslash doubled so that an escape in the name itself cannot be
/// mistaken for one of these. Text with none of these comes back as it is.
RICHMARKUP_FORMATS_EXPORT std::string printableText(std::string_view text);

} // namespace richmarkup::formats::text
