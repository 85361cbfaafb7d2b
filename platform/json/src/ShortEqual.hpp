#pragma once

#include <cstdint>
#include <cstring>
#include <string_view>

namespace foundation::json::detail {

/// Equality of two byte strings, inlined for the short ones that keys and class names are:
/// two overlapping word loads instead of a call to memcmp.
inline bool shortEqual(std::string_view a, std::string_view b) noexcept {
    std::size_t const n = a.size();
    if (n != b.size()) {
        return false;
    }
    char const* p = a.data();
    char const* q = b.data();
    if (n >= 8) {
        if (n > 16) {
            return std::memcmp(p, q, n) == 0;
        }
        std::uint64_t x0, y0, x1, y1;
        std::memcpy(&x0, p, 8);
        std::memcpy(&y0, q, 8);
        std::memcpy(&x1, p + n - 8, 8);
        std::memcpy(&y1, q + n - 8, 8);
        return ((x0 ^ y0) | (x1 ^ y1)) == 0;
    }
    if (n >= 4) {
        std::uint32_t x0, y0, x1, y1;
        std::memcpy(&x0, p, 4);
        std::memcpy(&y0, q, 4);
        std::memcpy(&x1, p + n - 4, 4);
        std::memcpy(&y1, q + n - 4, 4);
        return ((x0 ^ y0) | (x1 ^ y1)) == 0;
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
