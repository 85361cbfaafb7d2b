#include "ZeroedNumbers.hpp"

#include "JsonString.hpp"

#include <algorithm>
#include <cstdint>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace foundation::json::detail {

namespace {

// Whether any of the 64 words from `words` is 0 or the sign bit alone.
bool anyZeroBits(std::uint64_t const* words) noexcept {
#ifdef __SSE2__
    // Two words at a time: a word is such when both its halves, shifted past the sign, are 0.
    __m128i const zero = _mm_setzero_si128();
    __m128i found = zero;
    for (std::size_t i = 0; i < 64; i += 2) {
        __m128i const shifted = _mm_slli_epi64(_mm_loadu_si128(reinterpret_cast<__m128i const*>(words + i)), 1);
        __m128i const halves = _mm_cmpeq_epi32(shifted, zero);
        found = _mm_or_si128(found, _mm_and_si128(halves, _mm_shuffle_epi32(halves, 0xB1)));
    }
    return _mm_movemask_epi8(found) != 0;
#else
    bool any = false;
    for (std::size_t i = 0; i < 64; ++i) {
        any |= (words[i] << 1) == 0;
    }
    return any;
#endif
}

// The tape words of the doubles that hold 0. A number's second word holds its bits, and no
// other word can be 0 or the sign bit alone: every other word has a type letter in its top
// byte. Words are looked at in blocks, so that the common case (no such word) is one
// branch-free pass.
std::vector<std::size_t> zeroDoubles(Tape const& tape) {
    constexpr std::size_t kBlock = 64;
    std::uint64_t const* const words = tape.words();
    std::size_t const size = tape.size();
    std::vector<std::size_t> found;
    for (std::size_t from = 2; from < size; from += kBlock) {
        std::size_t const to = std::min(size, from + kBlock);
        if (to - from == kBlock && !anyZeroBits(words + from)) {
            continue;
        }
        for (std::size_t i = from; i < to; ++i) {
            if ((words[i] << 1) == 0 && tape.type(i - 1) == 'd') {
                found.push_back(i - 1);
            }
        }
    }
    return found;
}

// Each number's place among the document's numbers, counted in the order of the tape, which
// is the order of the text.
std::vector<std::size_t> ordinals(Tape const& tape, std::vector<std::size_t> const& words) {
    std::vector<std::size_t> out;
    std::size_t number = 0;
    auto next = words.begin();
    for (std::size_t i = Tape::kRoot; i < tape.size() && next != words.end(); i = tape.step(i)) {
        char const t = tape.type(i);
        if (t == 'l' || t == 'u' || t == 'd') {
            if (i == *next) {
                out.push_back(number);
                ++next;
            }
            ++number;
        }
    }
    return out;
}

bool numberByte(char c) noexcept {
    return (c >= '0' && c <= '9') || c == '-' || c == '+' || c == '.' || c == 'e' || c == 'E';
}

// Whether a number as written is other than zero: a digit from 1 to 9 before its exponent.
bool nonzero(std::string_view number) noexcept {
    for (char const c : number) {
        if (c == 'e' || c == 'E') {
            return false;
        }
        if (c >= '1' && c <= '9') {
            return true;
        }
    }
    return false;
}

} // namespace

void ZeroedNumbers::clear() noexcept {
    words_.clear();
    texts_.clear();
}

void ZeroedNumbers::find(Tape const& tape, std::string_view text) {
    clear();
    std::vector<std::size_t> const zeros = zeroDoubles(tape);
    if (zeros.empty()) {
        return;
    }
    std::vector<std::size_t> const wanted = ordinals(tape, zeros);
    // Outside strings, a number is the only thing that starts with '-' or a digit.
    std::size_t number = 0;
    std::size_t next = 0;
    for (std::size_t p = 0; p < text.size() && next < wanted.size();) {
        char const c = text[p];
        if (c == '"') {
            p = skipString(text, p);
            continue;
        }
        if (c != '-' && (c < '0' || c > '9')) {
            ++p;
            continue;
        }
        std::size_t const start = p;
        while (p < text.size() && numberByte(text[p])) {
            ++p;
        }
        if (number == wanted[next]) {
            std::string_view const written = text.substr(start, p - start);
            if (nonzero(written)) {
                words_.push_back(zeros[next]);
                texts_.emplace_back(written);
            }
            ++next;
        }
        ++number;
    }
}

std::string_view ZeroedNumbers::at(std::size_t word) const noexcept {
    auto const found = std::lower_bound(words_.begin(), words_.end(), word);
    if (found == words_.end() || *found != word) {
        return {};
    }
    return texts_[static_cast<std::size_t>(found - words_.begin())];
}

} // namespace foundation::json::detail
