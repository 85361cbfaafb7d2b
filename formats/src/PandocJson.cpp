#include "PandocJson.hpp"

#include <charconv>
#include <cmath>

namespace richmarkup::formats::pandoc {

std::size_t appendEscaped(std::string& out, std::u16string_view text) {
    static constexpr char hex[] = "0123456789abcdef";
    std::size_t lone = 0;
    std::size_t const size = text.size();
    out.reserve(out.size() + size);
    for (std::size_t i = 0; i < size; ++i) {
        char32_t c = text[i];
        if (c < 0x80) {
            if (c >= 0x20 && c != u'"' && c != u'\\') {
                out.push_back(static_cast<char>(c));
                continue;
            }
            switch (c) {
            case u'"': out += "\\\""; break;
            case u'\\': out += "\\\\"; break;
            case u'\n': out += "\\n"; break;
            case u'\r': out += "\\r"; break;
            case u'\t': out += "\\t"; break;
            default:
                out += "\\u00";
                out.push_back(hex[c >> 4]);
                out.push_back(hex[c & 0xF]);
            }
            continue;
        }
        if (c >= 0xD800 && c <= 0xDFFF) {
            if (c <= 0xDBFF && i + 1 < size && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
                c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
            } else {
                c = 0xFFFD;
                ++lone;
            }
        }
        if (c < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (c >> 6)));
        } else if (c < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (c >> 12)));
            out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (c >> 18)));
            out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        }
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
    return lone;
}

std::size_t appendString(std::string& out, std::u16string_view text) {
    out.push_back('"');
    std::size_t const lone = appendEscaped(out, text);
    out.push_back('"');
    return lone;
}

void appendNumber(std::string& out, double value) {
    if (!std::isfinite(value)) {
        out.push_back('0'); // JSON has no infinity; the callers never divide by zero
        return;
    }
    char buffer[32];
    auto const result = std::to_chars(buffer, buffer + sizeof buffer, value);
    out.append(buffer, result.ptr);
}

} // namespace richmarkup::formats::pandoc
