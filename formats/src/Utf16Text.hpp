#pragma once

#include <fl/i18n/Utf8Encoder.hpp>

#include <cstddef>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

// The model's UTF-16 text written straight into a writer's UTF-8 output: runs of printable ASCII
// are narrowed eight units at a time, anything else is the caller's, one character at a time.
namespace richmarkup::formats::utf16 {

/// Narrows the leading run of [p, end) of units from U+0020 to U+007E other than `Stops` into
/// dst, which has room for it; gives its length.
template <char16_t... Stops>
std::size_t narrowPrintable(char16_t const* p, char16_t const* const end, char* dst) noexcept {
    char16_t const* const start = p;
#if defined(__SSE2__)
    __m128i const below = _mm_set1_epi16(0x20);
    __m128i const above = _mm_set1_epi16(0x7E);
    while (end - p >= 8) {
        __m128i const units = _mm_loadu_si128(reinterpret_cast<__m128i const*>(p));
        // Signed comparisons: units from U+8000 up count as below U+0020 and end the run too.
        __m128i stop = _mm_or_si128(_mm_cmplt_epi16(units, below), _mm_cmpgt_epi16(units, above));
        ((stop = _mm_or_si128(stop, _mm_cmpeq_epi16(units, _mm_set1_epi16(static_cast<short>(Stops))))), ...);
        if (_mm_movemask_epi8(stop) != 0) {
            break;
        }
        _mm_storel_epi64(reinterpret_cast<__m128i*>(dst), _mm_packus_epi16(units, units));
        p += 8;
        dst += 8;
    }
#endif
    while (p != end && *p >= 0x20 && *p <= 0x7E && ((*p != Stops) && ...)) {
        *dst++ = static_cast<char>(*p++);
    }
    return static_cast<std::size_t>(p - start);
}

/// Writes the character at p, from U+0080 up, as UTF-8 and steps past it (two units for a
/// surrogate pair). A lone surrogate is written as U+FFFD and sets `lone`. dst has room for
/// four bytes.
inline char* encodeWide(char* dst, char16_t const*& p, char16_t const* const end, bool& lone) noexcept {
    if (char* const next = fl::i18n::encodeWide(dst, p, end)) {
        return next;
    }
    ++p;
    *dst++ = '\xEF';
    *dst++ = '\xBF';
    *dst++ = '\xBD';
    lone = true;
    return dst;
}

} // namespace richmarkup::formats::utf16
