#pragma once

#include <string_view>

namespace richmarkup::tool {

/// What the first byte past the blanks says of a text: none yet (all blank so far), one that a
/// JSON text can start with, or one that none can, so that reading on is pointless.
enum class JsonOpening { Blank, Hopeful, Hopeless };

/// Whether a JSON text can start with this byte: a value's first byte, or a byte order mark's
/// (the parser says what it makes of that).
inline bool canStartJson(unsigned char c) noexcept {
    switch (c) {
    case '{':
    case '[':
    case '"':
    case '-':
    case 't':
    case 'f':
    case 'n':
    case 0xEF: return true;
    default: return c >= '0' && c <= '9';
    }
}

inline JsonOpening openingOf(std::string_view text) noexcept {
    for (char const c : text) {
        if (c != ' ' && c != '\t' && c != '\n' && c != '\r') {
            return canStartJson(static_cast<unsigned char>(c)) ? JsonOpening::Hopeful : JsonOpening::Hopeless;
        }
    }
    return JsonOpening::Blank;
}

/// What is kept of a text no JSON starts like: enough for the parser's message (and its guess
/// of the encoding), little enough for any input.
inline constexpr std::size_t kHopelessOpening = 4096;

} // namespace richmarkup::tool
