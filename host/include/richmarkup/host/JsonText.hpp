#pragma once

#include <string>
#include <string_view>

namespace richmarkup::host {

/// `text` as a JSON string literal, quotes included: `\"` `\\` `\n` `\r` `\t`, and `\u00XX` for
/// the other control characters; everything else (UTF-8 included) as it stands. For lines a
/// host writes next to model JSON, such as a failed document's error line.
std::string jsonQuoted(std::string_view text);

} // namespace richmarkup::host
