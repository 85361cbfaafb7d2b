#include <richmarkup/formats/TextEscape.hpp>

#include "Utf16Text.hpp"

#include <fl/i18n/ustring.hpp>

#include <cstdint>
#include <cstring>

namespace richmarkup::formats::text {

namespace {

constexpr char replacementCharacter[] = "\xEF\xBF\xBD";
constexpr char hexDigits[] = "0123456789abcdef";

// Control characters HTML must not carry; tab, line feed and carriage return are text.
constexpr bool isReplacedControl(unsigned char c) {
    return (c < 0x20 && c != '\t' && c != '\n' && c != '\r') || c == 0x7F;
}

// The bytes below U+0080 that each escaping writes otherwise; every other byte is copied.
struct AsciiSet {
    bool has[128] = {};
};

constexpr AsciiSet jsonSpecial() {
    AsciiSet set;
    for (int c = 0; c < 0x20; ++c) {
        set.has[c] = true;
    }
    set.has['"'] = set.has['\\'] = set.has[0x7F] = true;
    return set;
}

constexpr AsciiSet htmlSpecial() {
    AsciiSet set;
    for (int c = 0; c < 0x80; ++c) {
        set.has[c] = isReplacedControl(static_cast<unsigned char>(c));
    }
    set.has['&'] = set.has['<'] = set.has['>'] = set.has['"'] = set.has['\''] = true;
    return set;
}

constexpr AsciiSet jsonSpecials = jsonSpecial();
constexpr AsciiSet htmlSpecials = htmlSpecial();

char* put(char* dst, char const* text, std::size_t size) {
    std::memcpy(dst, text, size);
    return dst + size;
}

char* jsonEscape(char* dst, unsigned char c) {
    switch (c) {
    case '"': return put(dst, "\\\"", 2);
    case '\\': return put(dst, "\\\\", 2);
    case '\n': return put(dst, "\\n", 2);
    case '\r': return put(dst, "\\r", 2);
    case '\t': return put(dst, "\\t", 2);
    default:
        dst = put(dst, "\\u00", 4);
        *dst++ = hexDigits[c >> 4];
        *dst++ = hexDigits[c & 0xF];
        return dst;
    }
}

// Counts a replaced control character in `replaced`.
char* htmlEscape(char* dst, unsigned char c, std::size_t& replaced) {
    switch (c) {
    case '&': return put(dst, "&amp;", 5);
    case '<': return put(dst, "&lt;", 4);
    case '>': return put(dst, "&gt;", 4);
    case '"': return put(dst, "&quot;", 6);
    case '\'': return put(dst, "&#39;", 5);
    case '\t':
    case '\n':
    case '\r': *dst++ = static_cast<char>(c); return dst;
    default: ++replaced; return put(dst, replacementCharacter, 3);
    }
}

// The most bytes one byte or one UTF-16 unit becomes in either escaping ("\u001f", "&quot;").
constexpr std::size_t maxEscapedSize = 6;

// Length of the leading run of [p, end) that `set` leaves as it is (bytes from 0x80 up are
// UTF-8 and stay too).
std::size_t plainRun(unsigned char const* p, unsigned char const* end, AsciiSet const& set) {
    unsigned char const* const start = p;
    while (p != end && (*p >= 0x80 || !set.has[*p])) {
        ++p;
    }
    return static_cast<std::size_t>(p - start);
}

// Escapes UTF-8 `text` into `out`: what needs no escaping is appended in runs, each special
// byte as what `escape(dst, c)` writes (and gives the end of).
template <class Escape>
void appendEscaped(std::string& out, std::string_view text, AsciiSet const& set, Escape escape) {
    auto const* p = reinterpret_cast<unsigned char const*>(text.data());
    auto const* const end = p + text.size();
    while (true) {
        std::size_t const run = plainRun(p, end, set);
        out.append(reinterpret_cast<char const*>(p), run);
        if ((p += run) == end) {
            return;
        }
        char escaped[maxEscapedSize];
        out.append(escaped, static_cast<std::size_t>(escape(escaped, *p++) - escaped));
    }
}

// Escapes UTF-16 `text` into `out` as UTF-8 in one pass; a lone surrogate becomes U+FFFD.
// `run` narrows what needs no escaping, `escape` writes one character below U+0080 that does.
// Written a piece at a time into a buffer of the worst case's size, then appended: sizing the
// string for the worst case would fill six bytes a unit first.
template <class Run, class Escape>
void appendEscaped(std::string& out, std::u16string_view text, Run run, Escape escape) {
    constexpr std::size_t pieceUnits = 128;
    char piece[pieceUnits * maxEscapedSize + 4]; // a surrogate pair may end one unit past the piece
    char16_t const* p = text.data();
    char16_t const* const end = p + text.size();
    bool lone = false;
    while (p != end) {
        char16_t const* const pieceEnd = end - p > static_cast<std::ptrdiff_t>(pieceUnits) ? p + pieceUnits : end;
        char* dst = piece;
        while (p < pieceEnd) {
            std::size_t const plain = run(p, pieceEnd, dst);
            p += plain;
            dst += plain;
            if (p == pieceEnd) {
                break;
            }
            if (*p < 0x80) {
                dst = escape(dst, static_cast<unsigned char>(*p++));
            } else {
                dst = utf16::encodeWide(dst, p, end, lone);
            }
        }
        out.append(piece, static_cast<std::size_t>(dst - piece));
    }
}

} // namespace

std::string toUtf8(std::u16string_view utf16) {
    return fl::i18n::ustring_to_utf8(utf16, fl::i18n::LoneSurrogate::Replace);
}

void appendUtf8(std::string& out, std::u16string_view utf16) {
    fl::i18n::appendUtf8(out, utf16, fl::i18n::LoneSurrogate::Replace);
}

void appendQuoted(std::string& out, std::string_view text) {
    out.push_back('"');
    appendEscaped(out, text, jsonSpecials, jsonEscape);
    out.push_back('"');
}

void appendQuoted(std::string& out, std::u16string_view text) {
    out.push_back('"');
    appendEscaped(out, text, utf16::narrowPrintable<'"', '\\'>, jsonEscape);
    out.push_back('"');
}

std::size_t appendHtmlEscaped(std::string& out, std::string_view text) {
    std::size_t replaced = 0;
    appendEscaped(out, text, htmlSpecials, [&](char* dst, unsigned char c) { return htmlEscape(dst, c, replaced); });
    return replaced;
}

std::size_t appendHtmlEscaped(std::string& out, std::u16string_view text) {
    std::size_t replaced = 0;
    appendEscaped(out, text, utf16::narrowPrintable<'&', '<', '>', '"', '\''>,
                  [&](char* dst, unsigned char c) { return htmlEscape(dst, c, replaced); });
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
