#pragma once

#include <fl/i18n/Export.hpp>

#include <cstddef>
#include <string>
#include <string_view>

namespace fl::i18n {

/// What a lone surrogate (half of a pair, which UTF-8 cannot carry) becomes when UTF-16 is
/// encoded as UTF-8. Every caller says which it wants: text from a builder is checked, text a
/// writer puts on a page must not stop the page halfway.
enum class LoneSurrogate {
    Throw,   ///< std::runtime_error naming the code unit
    Replace, ///< U+FFFD
};

/// Appends the code point `cp` (at most U+10FFFF, no surrogate) as UTF-8.
inline void appendCodePoint(std::string& out, char32_t cp) {
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

/// Writes the character at `p`, from U+0080 up, as UTF-8 into `dst` (room for four bytes) and
/// steps past it, two units for a surrogate pair; gives the end of what it wrote. A lone
/// surrogate is not written: nullptr, with `p` on it, for the caller to write as it must (U+FFFD,
/// an escape, an error). The one such step of every encoder that writes into a buffer of its own.
inline char* encodeWide(char* dst, char16_t const*& p, char16_t const* const end) noexcept {
    char32_t const unit = *p;
    if (unit < 0x800) {
        *dst++ = static_cast<char>(0xC0 | (unit >> 6));
        *dst++ = static_cast<char>(0x80 | (unit & 0x3F));
        ++p;
    } else if (unit < 0xD800 || unit > 0xDFFF) {
        *dst++ = static_cast<char>(0xE0 | (unit >> 12));
        *dst++ = static_cast<char>(0x80 | ((unit >> 6) & 0x3F));
        *dst++ = static_cast<char>(0x80 | (unit & 0x3F));
        ++p;
    } else if (unit <= 0xDBFF && end - p > 1 && p[1] >= 0xDC00 && p[1] <= 0xDFFF) {
        char32_t const cp = 0x10000 + ((unit - 0xD800) << 10) + (static_cast<char32_t>(p[1]) - 0xDC00);
        *dst++ = static_cast<char>(0xF0 | (cp >> 18));
        *dst++ = static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        *dst++ = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        *dst++ = static_cast<char>(0x80 | (cp & 0x3F));
        p += 2;
    } else {
        return nullptr;
    }
    return dst;
}

/// The one UTF-16 to UTF-8 walk, for encoders that write some characters otherwise (a JSON
/// string's escapes): `ascii(out, c)` gets each character below U+0080, `lone(out, unit, index)`
/// each lone surrogate; every other code point is appended as UTF-8. A template so that the
/// model's JSON writer keeps its per-character escaping inlined.
template <class Ascii, class Lone>
void encodeUtf8(std::string& out, std::u16string_view text, Ascii ascii, Lone lone) {
    out.reserve(out.size() + text.size());
    std::size_t const n = text.size();
    for (std::size_t i = 0; i < n; ++i) {
        char16_t const unit = text[i];
        if (unit < 0x80) {
            ascii(out, static_cast<char>(unit));
        } else if (unit < 0xD800 || unit > 0xDFFF) {
            appendCodePoint(out, unit);
        } else if (unit <= 0xDBFF && i + 1 < n && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            appendCodePoint(out, 0x10000 + ((static_cast<char32_t>(unit) - 0xD800) << 10) +
                                     (static_cast<char32_t>(text[i + 1]) - 0xDC00));
            ++i;
        } else {
            lone(out, unit, i);
        }
    }
}

/// Appends `utf16` as UTF-8, a lone surrogate treated as `policy` says.
RICHMARKUP_I18N_EXPORT void appendUtf8(std::string& out, std::u16string_view utf16, LoneSurrogate policy);

} // namespace fl::i18n
