#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace foundation::json::detail {

struct SyntaxError {
    std::size_t offset;
    std::string reason;
    /// The RFC 6901 pointer of the value at fault where the text is sound up to it (a number
    /// out of range); else empty.
    std::optional<std::string> pointer = std::nullopt;
};

/// Finds the first offending byte of malformed JSON text. The fast parser says only that
/// the text is wrong; this scanner says where. Iterative, so any nesting is safe.
std::optional<SyntaxError> locateError(std::string_view text, std::size_t maxDepth);

/// The error of text nested deeper than maxDepth where it opens, found before the parser indexes
/// the whole text (which costs several times the text's size): the opening is scanned as far as
/// its first closing bracket, and at most kOpeningScan bytes. Nothing for every other text.
std::optional<SyntaxError> tooDeepOpening(std::string_view text, std::size_t maxDepth);
inline constexpr std::size_t kOpeningScan = std::size_t(64) << 10;

/// 1-based line and byte column of an offset.
std::pair<std::size_t, std::size_t> lineAndColumn(std::string_view text, std::size_t offset);

/// The text with ".0" after every integer literal too long for 64 bits, so that it parses as
/// the nearest double like every other number. Only called when such a literal occurs.
std::string widenBigIntegers(std::string_view text);

} // namespace foundation::json::detail
