#include <richmarkup/formats/PrintableText.hpp>

#include <cstdint>

namespace richmarkup::formats::text {

namespace {

// The length of the valid UTF-8 sequence at `i`, or 0 (overlong forms, surrogates and code
// points past U+10FFFF are not valid).
std::size_t validSequence(std::string_view text, std::size_t i) noexcept {
    auto const byte = [&](std::size_t k) { return static_cast<std::uint8_t>(text[k]); };
    auto const continuation = [&](std::size_t k) { return k < text.size() && (byte(k) & 0xC0) == 0x80; };
    std::uint8_t const lead = byte(i);
    if (lead < 0x80) {
        return 1;
    }
    if (lead >= 0xC2 && lead <= 0xDF) {
        return continuation(i + 1) ? 2 : 0;
    }
    if (lead >= 0xE0 && lead <= 0xEF) {
        if (!continuation(i + 1) || !continuation(i + 2)) {
            return 0;
        }
        std::uint8_t const second = byte(i + 1);
        if ((lead == 0xE0 && second < 0xA0) || (lead == 0xED && second >= 0xA0)) {
            return 0;
        }
        return 3;
    }
    if (lead >= 0xF0 && lead <= 0xF4) {
        if (!continuation(i + 1) || !continuation(i + 2) || !continuation(i + 3)) {
            return 0;
        }
        std::uint8_t const second = byte(i + 1);
        if ((lead == 0xF0 && second < 0x90) || (lead == 0xF4 && second >= 0x90)) {
            return 0;
        }
        return 4;
    }
    return 0;
}

void appendHexByte(std::string& out, std::uint8_t value, char const* prefix = "\\x") {
    static char const digits[] = "0123456789abcdef";
    out += prefix;
    out += digits[value >> 4];
    out += digits[value & 0x0F];
}

bool plain(std::string_view text) noexcept {
    for (char const c : text) {
        auto const byte = static_cast<std::uint8_t>(c);
        if (byte < 0x20 || byte >= 0x7F || c == '\\') {
            return false;
        }
    }
    return true;
}

} // namespace

std::string printableText(std::string_view text) {
    if (plain(text)) {
        return std::string(text);
    }
    std::string out;
    out.reserve(text.size() + 8);
    for (std::size_t i = 0; i < text.size();) {
        auto const byte = static_cast<std::uint8_t>(text[i]);
        switch (byte) {
        case '\n':
            out += "\\n";
            ++i;
            continue;
        case '\r':
            out += "\\r";
            ++i;
            continue;
        case '\t':
            out += "\\t";
            ++i;
            continue;
        case '\\':
            out += "\\\\";
            ++i;
            continue;
        default: break;
        }
        if (byte < 0x20 || byte == 0x7F) {
            appendHexByte(out, byte);
            ++i;
            continue;
        }
        std::size_t const length = validSequence(text, i);
        if (length == 0) {
            appendHexByte(out, byte);
            ++i;
            continue;
        }
        if (length == 2 && byte == 0xC2 && static_cast<std::uint8_t>(text[i + 1]) < 0xA0) {
            // C1 controls: U+009B alone starts a terminal's control sequence, as ESC [ does.
            appendHexByte(out, static_cast<std::uint8_t>(text[i + 1]), "\\u00");
            i += 2;
            continue;
        }
        out.append(text, i, length);
        i += length;
    }
    return out;
}

} // namespace richmarkup::formats::text
