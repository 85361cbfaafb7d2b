#include "MessageCheck.hpp"

#include <string>

namespace richmarkup::fuzz {

namespace {

std::string hexByte(unsigned char c) {
    static constexpr char hex[] = "0123456789ABCDEF";
    return std::string("0x") + hex[c >> 4] + hex[c & 0xF];
}

// The length of the well-formed sequence at `pos`, or 0 (the ranges of Unicode's table 3-7).
std::size_t sequenceAt(std::string_view text, std::size_t pos) {
    auto byte = [&](std::size_t i) { return pos + i < text.size() ? static_cast<unsigned char>(text[pos + i]) : 0u; };
    unsigned const lead = byte(0);
    if (lead < 0x80) {
        return 1;
    }
    auto within = [](unsigned b, unsigned low, unsigned high) { return b >= low && b <= high; };
    unsigned const second = byte(1);
    if (within(lead, 0xC2, 0xDF)) {
        return within(second, 0x80, 0xBF) ? 2 : 0;
    }
    if (within(lead, 0xE0, 0xEF)) {
        unsigned const low = lead == 0xE0 ? 0xA0 : 0x80;
        unsigned const high = lead == 0xED ? 0x9F : 0xBF; // no surrogates
        return within(second, low, high) && within(byte(2), 0x80, 0xBF) ? 3 : 0;
    }
    if (within(lead, 0xF0, 0xF4)) {
        unsigned const low = lead == 0xF0 ? 0x90 : 0x80;
        unsigned const high = lead == 0xF4 ? 0x8F : 0xBF; // nothing past U+10FFFF
        return within(second, low, high) && within(byte(2), 0x80, 0xBF) && within(byte(3), 0x80, 0xBF) ? 4 : 0;
    }
    return 0;
}

} // namespace

std::size_t MessageCheck::firstInvalidUtf8(std::string_view text) {
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t const length = sequenceAt(text, pos);
        if (length == 0) {
            return pos;
        }
        pos += length;
    }
    return text.size();
}

bool MessageCheck::validUtf8(std::string_view text) { return firstInvalidUtf8(text) == text.size(); }

std::string MessageCheck::printable(std::string_view text, std::size_t limit) {
    std::string out = "\"";
    std::size_t pos = 0;
    while (pos < text.size() && pos < limit) {
        auto const c = static_cast<unsigned char>(text[pos]);
        std::size_t const length = sequenceAt(text, pos);
        if (c < 0x20 || c == 0x7F || c == '"' || c == '\\' || length == 0) {
            out += "\\x" + hexByte(c).substr(2);
            ++pos;
        } else {
            out.append(text.substr(pos, length));
            pos += length;
        }
    }
    out += pos < text.size() ? "...\"" : "\"";
    return out;
}

std::optional<std::string> MessageCheck::problem(std::string_view message) {
    for (std::size_t i = 0; i < message.size(); ++i) {
        auto const c = static_cast<unsigned char>(message[i]);
        if (c < 0x20 || c == 0x7F) {
            return "control character " + hexByte(c) + " at byte " + std::to_string(i);
        }
    }
    if (std::size_t const bad = firstInvalidUtf8(message); bad != message.size()) {
        return "ill-formed UTF-8 at byte " + std::to_string(bad) + " (" +
               hexByte(static_cast<unsigned char>(message[bad])) + ")";
    }
    return std::nullopt;
}

} // namespace richmarkup::fuzz
