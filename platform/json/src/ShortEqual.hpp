#pragma once

#include <cstdint>
#include <cstring>
#include <string_view>

namespace foundation::json::detail {

// Whether n bytes (sizeof(Word) <= n <= 2 * sizeof(Word)) agree: the first and the last
// word, overlapping where n is short of two words.
template <class Word>
bool sameEnds(char const* p, char const* q, std::size_t n) noexcept {
    Word x0, y0, x1, y1;
    std::memcpy(&x0, p, sizeof(Word));
    std::memcpy(&y0, q, sizeof(Word));
    std::memcpy(&x1, p + n - sizeof(Word), sizeof(Word));
    std::memcpy(&y1, q + n - sizeof(Word), sizeof(Word));
    return ((x0 ^ y0) | (x1 ^ y1)) == 0;
}

/// Equality of two byte strings, inlined for the short ones that keys and class names are:
/// two overlapping word loads instead of a call to memcmp.
inline bool shortEqual(std::string_view a, std::string_view b) noexcept {
    std::size_t const n = a.size();
    if (n != b.size()) {
        return false;
    }
    char const* p = a.data();
    char const* q = b.data();
    if (n > 16) {
        return std::memcmp(p, q, n) == 0;
    }
    if (n >= 8) {
        return sameEnds<std::uint64_t>(p, q, n);
    }
    if (n >= 4) {
        return sameEnds<std::uint32_t>(p, q, n);
    }
    for (std::size_t i = 0; i < n; ++i) {
        if (p[i] != q[i]) {
            return false;
        }
    }
    return true;
}

/// Byte-wise order of two short strings, as std::string's, without a call to memcmp: keys
/// of one element tell apart in their first bytes.
inline bool shortLess(std::string_view a, std::string_view b) noexcept {
    std::size_t const n = a.size() < b.size() ? a.size() : b.size();
    for (std::size_t i = 0; i < n; ++i) {
        auto const x = static_cast<unsigned char>(a[i]);
        auto const y = static_cast<unsigned char>(b[i]);
        if (x != y) {
            return x < y;
        }
    }
    return a.size() < b.size();
}

} // namespace foundation::json::detail
