#include <richmarkup/formats/TextEscape.hpp>

#include <fl/i18n/ustring.hpp>

#include <cstdint>

namespace richmarkup::formats::text {

namespace {

constexpr char replacementCharacter[] = "\xEF\xBF\xBD";

// Control characters HTML must not carry; tab, line feed and carriage return are text.
bool isReplacedControl(unsigned char c) { return (c < 0x20 && c != '\t' && c != '\n' && c != '\r') || c == 0x7F; }

} // namespace

std::string toUtf8(std::u16string_view utf16) {
    return fl::i18n::ustring_to_utf8(utf16, fl::i18n::LoneSurrogate::Replace);
}

void appendQuoted(std::string& out, std::string_view text) {
    static constexpr char hex[] = "0123456789abcdef";
    out.push_back('"');
    for (char const ch : text) {
        auto const c = static_cast<unsigned char>(ch);
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (c < 0x20 || c == 0x7F) {
                out += "\\u00";
                out.push_back(hex[c >> 4]);
                out.push_back(hex[c & 0xF]);
            } else {
                out.push_back(ch);
            }
        }
    }
    out.push_back('"');
}

std::size_t appendHtmlEscaped(std::string& out, std::string_view text) {
    std::size_t replaced = 0;
    for (char const ch : text) {
        auto const c = static_cast<unsigned char>(ch);
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        case '\'': out += "&#39;"; break;
        case '\t':
        case '\n':
        case '\r': out.push_back(ch); break;
        default:
            if (c < 0x20 || c == 0x7F) {
                out += replacementCharacter;
                ++replaced;
            } else {
                out.push_back(ch);
            }
        }
    }
    return replaced;
}

std::string replacedControlCharacters(std::string_view text) {
    static constexpr char hex[] = "0123456789ABCDEF";
    std::string out;
    bool seen[0x80] = {};
    for (char const ch : text) {
        auto const c = static_cast<unsigned char>(ch);
        if (!isReplacedControl(c) || seen[c]) {
            continue;
        }
        seen[c] = true;
        out += out.empty() ? "U+00" : ", U+00";
        out.push_back(hex[c >> 4]);
        out.push_back(hex[c & 0xF]);
    }
    return out;
}

namespace {

int hexValue(char c) {
    return c >= '0' && c <= '9'   ? c - '0'
           : c >= 'a' && c <= 'f' ? c - 'a' + 10
           : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                  : -1;
}

// %XX as the byte it stands for; any other '%' stays as it is, as browsers decode fragments.
std::string percentDecoded(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        int const high = text[i] == '%' && i + 2 < text.size() ? hexValue(text[i + 1]) : -1;
        int const low = high >= 0 ? hexValue(text[i + 2]) : -1;
        if (low >= 0) {
            out.push_back(static_cast<char>(high * 16 + low));
            i += 2;
        } else {
            out.push_back(text[i]);
        }
    }
    return out;
}

std::optional<std::string> anchorAsWritten(std::string_view name,
                                           std::function<bool(std::string const&)> const& exists) {
    std::string const whole(name);
    if (exists(whole)) {
        return whole;
    }
    std::string_view bare = name;
    for (std::string_view const tag : {"H_", "T_", "M_"}) {
        if (bare.substr(0, 2) == tag) {
            bare.remove_prefix(2);
            break;
        }
    }
    for (char const* tag : {"", "H_", "T_", "M_"}) {
        std::string candidate = tag + std::string(bare);
        if (exists(candidate)) {
            return candidate;
        }
    }
    return std::nullopt;
}

} // namespace

std::optional<std::string> linkedAnchor(std::string_view name, std::function<bool(std::string const&)> const& exists) {
    if (auto id = anchorAsWritten(name, exists)) {
        return id;
    }
    if (name.find('%') == std::string_view::npos) {
        return std::nullopt;
    }
    return anchorAsWritten(percentDecoded(name), exists);
}

std::string linkAddress(std::optional<std::u16string> const& target, std::optional<std::u16string> const& anchor) {
    std::string address = target ? toUtf8(*target) : std::string();
    if (anchor && !anchor->empty() && address.find('#') == std::string::npos) {
        address += "#" + toUtf8(*anchor);
    }
    return address;
}

std::string jsonQuoted(std::string_view text) {
    std::string out;
    out.reserve(text.size() + 2);
    appendQuoted(out, text);
    return out;
}

} // namespace richmarkup::formats::text
