#pragma once

#include <string>
#include <string_view>

namespace vx::zero::detail {

/// Appends `text` as UTF-8. A lone surrogate, which UTF-8 cannot carry, becomes U+FFFD.
void appendUtf8(std::string& out, std::u16string_view text);

/// Appends `text` as the inside of a JSON string: quote, backslash and control characters
/// escaped, everything else as UTF-8. A lone surrogate is kept as its \u escape, so nothing
/// is lost.
void appendJsonStringContent(std::string& out, std::u16string_view text);

} // namespace vx::zero::detail
