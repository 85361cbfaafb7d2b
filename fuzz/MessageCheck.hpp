#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace richmarkup::fuzz {

/// What a diagnostic or a writer's warning must be to stay one line of a log or a terminal:
/// valid UTF-8 without line ends or other control characters.
class MessageCheck {
public:
    /// What is wrong with `message`, or nothing.
    static std::optional<std::string> problem(std::string_view message);

    /// Well-formed UTF-8: no stray continuation byte, no sequence cut short, no overlong form,
    /// no surrogate, nothing past U+10FFFF.
    static bool validUtf8(std::string_view text);

    /// The byte offset of the first ill-formed sequence, or text.size().
    static std::size_t firstInvalidUtf8(std::string_view text);

    /// `text` in double quotes for a one-line report: control bytes, quotes, backslashes and
    /// bytes of ill-formed UTF-8 as \xHH, cut after `limit` bytes with "..." added.
    static std::string printable(std::string_view text, std::size_t limit);
};

} // namespace richmarkup::fuzz
