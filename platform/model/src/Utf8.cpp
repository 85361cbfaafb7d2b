#include "Utf8.hpp"

namespace vx::zero::detail {
namespace {

bool isHighSurrogate(char16_t unit) noexcept { return unit >= 0xD800 && unit <= 0xDBFF; }
bool isLowSurrogate(char16_t unit) noexcept { return unit >= 0xDC00 && unit <= 0xDFFF; }

void appendCodePoint(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

void appendUnicodeEscape(std::string& out, char16_t unit) {
    static constexpr char digits[] = "0123456789abcdef";
    out += "\\u";
    out.push_back(digits[(unit >> 12) & 0xF]);
    out.push_back(digits[(unit >> 8) & 0xF]);
    out.push_back(digits[(unit >> 4) & 0xF]);
    out.push_back(digits[unit & 0xF]);
}

// Walks the text by code point; onLoneSurrogate decides what a broken pair becomes.
template <class AsciiSink, class LoneSurrogateSink>
void encode(std::string& out, std::u16string_view text, AsciiSink ascii, LoneSurrogateSink lone) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        char16_t const unit = text[i];
        if (unit < 0x80) {
            ascii(out, static_cast<char>(unit));
        } else if (isHighSurrogate(unit) && i + 1 < text.size() && isLowSurrogate(text[i + 1])) {
            char32_t const cp = 0x10000 + ((static_cast<char32_t>(unit) - 0xD800) << 10) +
                                (static_cast<char32_t>(text[i + 1]) - 0xDC00);
            appendCodePoint(out, cp);
            ++i;
        } else if (isHighSurrogate(unit) || isLowSurrogate(unit)) {
            lone(out, unit);
        } else {
            appendCodePoint(out, unit);
        }
    }
}

} // namespace

void appendUtf8(std::string& out, std::u16string_view text) {
    out.reserve(out.size() + text.size());
    encode(
        out, text, [](std::string& o, char c) { o.push_back(c); },
        [](std::string& o, char16_t) { appendCodePoint(o, 0xFFFD); });
}

void appendJsonStringContent(std::string& out, std::u16string_view text) {
    out.reserve(out.size() + text.size());
    encode(
        out, text,
        [](std::string& o, char c) {
            if (c == '"' || c == '\\') {
                o.push_back('\\');
                o.push_back(c);
            } else if (static_cast<unsigned char>(c) < 0x20) {
                appendUnicodeEscape(o, static_cast<char16_t>(c));
            } else {
                o.push_back(c);
            }
        },
        [](std::string& o, char16_t unit) { appendUnicodeEscape(o, unit); });
}

} // namespace vx::zero::detail
