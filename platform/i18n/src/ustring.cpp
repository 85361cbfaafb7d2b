#include <fl/i18n/ustring.hpp>

#include <cstdint>
#include <cstring>
#include <stdexcept>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace fl::i18n {

namespace {

[[noreturn]] void invalidUtf8(std::size_t offset, char const* why) {
    throw std::runtime_error("invalid UTF-8 at byte " + std::to_string(offset) + ": " + why);
}

// Widens the leading ASCII run of [p, end) into dst and returns its length. dst has room
// for end - p code units; past the run it may hold anything, for the caller to overwrite.
std::size_t widenAscii(unsigned char const* p, unsigned char const* end, char16_t* dst) noexcept {
    unsigned char const* const start = p;
#if defined(__SSE2__)
    __m128i const zero = _mm_setzero_si128();
    while (end - p >= 16) {
        __m128i const bytes = _mm_loadu_si128(reinterpret_cast<__m128i const*>(p));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst), _mm_unpacklo_epi8(bytes, zero));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + 8), _mm_unpackhi_epi8(bytes, zero));
        if (int const high = _mm_movemask_epi8(bytes); high != 0) {
            return static_cast<std::size_t>(p - start) +
                   static_cast<std::size_t>(__builtin_ctz(static_cast<unsigned>(high)));
        }
        p += 16;
        dst += 16;
    }
#endif
    while (p != end && *p < 0x80) {
        *dst++ = static_cast<char16_t>(*p++);
    }
    return static_cast<std::size_t>(p - start);
}

// Decodes into out, which has room for utf8.size() code units (never more are needed);
// returns how many were written.
// `base`: where utf8 starts in the caller's text, for the offsets of errors.
std::size_t decodeUtf8(std::string_view utf8, char16_t* const out, std::size_t base) {
    char16_t* dst = out;
    auto const* const begin = reinterpret_cast<unsigned char const*>(utf8.data());
    auto const* const end = begin + utf8.size();
    auto const* p = begin;
    while (p != end) {
        // Most text is ASCII: copy such runs without decoding.
        std::size_t const run = widenAscii(p, end, dst);
        p += run;
        dst += run;
        if (p == end) {
            break;
        }
        std::size_t const offset = base + static_cast<std::size_t>(p - begin);
        unsigned const lead = *p;
        std::size_t length;
        std::uint32_t cp;
        std::uint32_t minimum;
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2, cp = lead & 0x1F, minimum = 0x80;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3, cp = lead & 0x0F, minimum = 0x800;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4, cp = lead & 0x07, minimum = 0x10000;
        } else if (lead >= 0x80 && lead <= 0xBF) {
            invalidUtf8(offset, "unexpected continuation byte");
        } else {
            invalidUtf8(offset, "invalid lead byte");
        }
        if (static_cast<std::size_t>(end - p) < length) {
            invalidUtf8(offset, "truncated sequence");
        }
        for (std::size_t i = 1; i < length; ++i) {
            unsigned const c = p[i];
            if ((c & 0xC0) != 0x80) {
                invalidUtf8(offset + i, "expected a continuation byte");
            }
            cp = (cp << 6) | (c & 0x3F);
        }
        if (cp < minimum) {
            invalidUtf8(offset, "overlong encoding");
        }
        if (cp >= 0xD800 && cp <= 0xDFFF) {
            invalidUtf8(offset, "encoded surrogate");
        }
        if (cp > 0x10FFFF) {
            invalidUtf8(offset, "code point beyond U+10FFFF");
        }
        if (cp >= 0x10000) {
            cp -= 0x10000;
            *dst++ = static_cast<char16_t>(0xD800 + (cp >> 10));
            *dst++ = static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
        } else {
            *dst++ = static_cast<char16_t>(cp);
        }
        p += length;
    }
    return static_cast<std::size_t>(dst - out);
}

} // namespace

std::u16string utf8_to_ustring(std::string_view utf8) {
    // One allocation of the most the text can take (a code unit per byte). Most text is
    // ASCII and only widened; the rest is decoded in place, and the size cut to what was
    // written.
    auto const* bytes = reinterpret_cast<unsigned char const*>(utf8.data());
    std::u16string out(utf8.size(), u'\0');
    std::size_t const ascii = widenAscii(bytes, bytes + utf8.size(), out.data());
    if (ascii != utf8.size()) {
        out.resize(ascii + decodeUtf8(utf8.substr(ascii), out.data() + ascii, ascii));
    }
    return out;
}

namespace {

// Narrows the leading ASCII run of [p, end) into dst; returns its length.
std::size_t narrowAscii(char16_t const* p, char16_t const* const end, char* dst) noexcept {
    char16_t const* const start = p;
#if defined(__SSE2__)
    __m128i const high = _mm_set1_epi16(static_cast<short>(0xFF80));
    __m128i const zero = _mm_setzero_si128();
    while (end - p >= 8) {
        __m128i const units = _mm_loadu_si128(reinterpret_cast<__m128i const*>(p));
        if (_mm_movemask_epi8(_mm_cmpeq_epi16(_mm_and_si128(units, high), zero)) != 0xFFFF) {
            break;
        }
        _mm_storel_epi64(reinterpret_cast<__m128i*>(dst), _mm_packus_epi16(units, units));
        p += 8;
        dst += 8;
    }
#endif
    while (p != end && *p < 0x80) {
        *dst++ = static_cast<char>(*p++);
    }
    return static_cast<std::size_t>(p - start);
}

} // namespace

void appendUtf8(std::string& out, std::u16string_view utf16, LoneSurrogate policy) {
    // Written a piece at a time into a buffer of the worst case's size (three bytes a unit),
    // then appended: sizing the string for the worst case would fill it first. Most text is
    // ASCII, copied in runs.
    constexpr std::size_t pieceUnits = 256;
    char piece[pieceUnits * 3 + 4]; // a surrogate pair may end one unit past the piece
    char16_t const* p = utf16.data();
    char16_t const* const end = p + utf16.size();
    while (p != end) {
        char16_t const* const pieceEnd = end - p > static_cast<std::ptrdiff_t>(pieceUnits) ? p + pieceUnits : end;
        char* dst = piece;
        while (p < pieceEnd) {
            std::size_t const run = narrowAscii(p, pieceEnd, dst);
            p += run;
            dst += run;
            if (p == pieceEnd) {
                break;
            }
            if (char* const next = encodeWide(dst, p, end)) {
                dst = next;
            } else if (policy == LoneSurrogate::Replace) {
                *dst++ = '\xEF';
                *dst++ = '\xBF';
                *dst++ = '\xBD';
                ++p;
            } else {
                out.append(piece, static_cast<std::size_t>(dst - piece)); // what came before stays appended
                std::size_t const index = static_cast<std::size_t>(p - utf16.data());
                throw std::runtime_error(
                    "invalid UTF-16 at code unit " + std::to_string(index) +
                    (*p <= 0xDBFF ? ": high surrogate without its low half" : ": low surrogate without its high half"));
            }
        }
        out.append(piece, static_cast<std::size_t>(dst - piece));
    }
}

std::string ustring_to_utf8(std::u16string_view utf16, LoneSurrogate policy) {
    std::string out;
    appendUtf8(out, utf16, policy);
    return out;
}

} // namespace fl::i18n
