#include "JsonString.hpp"

#include <foundation/json/TextLocator.hpp>

#include <cstring>

namespace foundation::json::detail {

namespace {

bool hex4(std::string_view text, std::size_t& at, unsigned& code) {
    if (text.size() - at < 4) {
        return false;
    }
    code = 0;
    for (int i = 0; i < 4; ++i) {
        char const h = text[at++];
        code <<= 4;
        if (h >= '0' && h <= '9') {
            code |= unsigned(h - '0');
        } else if (h >= 'a' && h <= 'f') {
            code |= unsigned(h - 'a' + 10);
        } else if (h >= 'A' && h <= 'F') {
            code |= unsigned(h - 'A' + 10);
        } else {
            return false;
        }
    }
    return true;
}

void appendUtf8(std::string& out, unsigned code) {
    if (code < 0x80) {
        out.push_back(char(code));
    } else if (code < 0x800) {
        out.push_back(char(0xC0 | (code >> 6)));
        out.push_back(char(0x80 | (code & 0x3F)));
    } else if (code < 0x10000) {
        out.push_back(char(0xE0 | (code >> 12)));
        out.push_back(char(0x80 | ((code >> 6) & 0x3F)));
        out.push_back(char(0x80 | (code & 0x3F)));
    } else {
        out.push_back(char(0xF0 | (code >> 18)));
        out.push_back(char(0x80 | ((code >> 12) & 0x3F)));
        out.push_back(char(0x80 | ((code >> 6) & 0x3F)));
        out.push_back(char(0x80 | (code & 0x3F)));
    }
}

} // namespace

bool readString(std::string_view text, std::size_t& at, std::string& out) {
    if (at >= text.size() || text[at] != '"') {
        return false;
    }
    std::size_t p = at + 1;
    out.clear();
    while (p < text.size()) {
        char const c = text[p++];
        if (c == '"') {
            at = p;
            return true;
        }
        if (c != '\\') {
            out.push_back(c);
            continue;
        }
        if (p >= text.size()) {
            return false;
        }
        char const e = text[p++];
        switch (e) {
        case 'n': out.push_back('\n'); break;
        case 't': out.push_back('\t'); break;
        case 'r': out.push_back('\r'); break;
        case 'b': out.push_back('\b'); break;
        case 'f': out.push_back('\f'); break;
        case 'u': {
            unsigned code = 0;
            if (!hex4(text, p, code)) {
                return false;
            }
            if (code >= 0xD800 && code < 0xDC00 && text.substr(p, 2) == "\\u") {
                p += 2;
                unsigned low = 0;
                if (!hex4(text, p, low)) {
                    return false;
                }
                code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
            }
            appendUtf8(out, code);
            break;
        }
        default: out.push_back(e); break; // \" \\ \/
        }
    }
    return false;
}

std::size_t skipString(std::string_view text, std::size_t at) noexcept {
    for (std::size_t p = at + 1; p < text.size();) {
        auto const* quote = static_cast<char const*>(std::memchr(text.data() + p, '"', text.size() - p));
        if (quote == nullptr) {
            break;
        }
        std::size_t const q = static_cast<std::size_t>(quote - text.data());
        std::size_t backslashes = 0;
        while (q - backslashes > at + 1 && text[q - backslashes - 1] == '\\') {
            ++backslashes;
        }
        p = q + 1;
        if (backslashes % 2 == 0) {
            return p;
        }
    }
    return text.size();
}

} // namespace foundation::json::detail

namespace foundation::json {

void appendPointerToken(std::string& pointer, std::string_view token) {
    pointer.push_back('/');
    for (char const c : token) {
        if (c == '~') {
            pointer += "~0";
        } else if (c == '/') {
            pointer += "~1";
        } else {
            pointer.push_back(c);
        }
    }
}

} // namespace foundation::json
