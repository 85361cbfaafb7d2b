#include "JsonOutput.hpp"

#include <fl/i18n/Utf8Encoder.hpp>

#include <algorithm>
#include <charconv>
#include <cstring>
#include <ostream>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace document::vxzero::detail {
namespace {

// Large enough that a buffered stream passes each piece straight through.
constexpr std::size_t flushThreshold = 256 * 1024;

char* unicodeEscape(char* dst, char16_t unit) {
    static constexpr char digits[] = "0123456789abcdef";
    *dst++ = '\\';
    *dst++ = 'u';
    *dst++ = digits[(unit >> 12) & 0xF];
    *dst++ = digits[(unit >> 8) & 0xF];
    *dst++ = digits[(unit >> 4) & 0xF];
    *dst++ = digits[unit & 0xF];
    return dst;
}

// Narrows the leading run of [p, end) that is ASCII and needs no escape into dst; gives its
// length.
std::size_t plainRun(char16_t const* p, char16_t const* const end, char* dst) noexcept {
    char16_t const* const start = p;
#if defined(__SSE2__)
    __m128i const below = _mm_set1_epi16(0x20);
    __m128i const above = _mm_set1_epi16(0x7F);
    __m128i const quote = _mm_set1_epi16('"');
    __m128i const backslash = _mm_set1_epi16('\\');
    while (end - p >= 8) {
        __m128i const units = _mm_loadu_si128(reinterpret_cast<__m128i const*>(p));
        // Signed: units from 0x8000 up compare below 0x20 and end the run as well.
        __m128i special = _mm_or_si128(_mm_cmplt_epi16(units, below), _mm_cmpgt_epi16(units, above));
        special = _mm_or_si128(special, _mm_or_si128(_mm_cmpeq_epi16(units, quote), _mm_cmpeq_epi16(units, backslash)));
        if (_mm_movemask_epi8(special) != 0) {
            break;
        }
        _mm_storel_epi64(reinterpret_cast<__m128i*>(dst), _mm_packus_epi16(units, units));
        p += 8;
        dst += 8;
    }
#endif
    while (p != end && *p >= 0x20 && *p < 0x80 && *p != '"' && *p != '\\') {
        *dst++ = static_cast<char>(*p++);
    }
    return static_cast<std::size_t>(p - start);
}

} // namespace

JsonOutput::JsonOutput(std::string& text, bool pretty, int indent, std::ostream* stream)
    : text_(text), used_(text.size()), pretty_(pretty), indent_(indent > 0 ? static_cast<std::size_t>(indent) : 0),
      stream_(stream) {}

void JsonOutput::grow(std::size_t size) {
    // Doubling keeps the cost of the zeroed room in proportion to what is written.
    text_.resize(std::max(used_ + size, 2 * text_.size() + 256));
}

void JsonOutput::value(std::u16string_view text) {
    beforeValue();
    // Quote, backslash and control characters escaped, the rest as UTF-8; a lone surrogate is
    // kept as its \u escape, so nothing is lost. Room for the worst case, six bytes a unit.
    char* dst = room(2 + 6 * text.size());
    *dst++ = '"';
    char16_t const* p = text.data();
    char16_t const* const end = p + text.size();
    while (p != end) {
        std::size_t const run = plainRun(p, end, dst);
        p += run;
        dst += run;
        if (p == end) {
            break;
        }
        char32_t const unit = *p;
        if (unit == '"' || unit == '\\') {
            *dst++ = '\\';
            *dst++ = static_cast<char>(unit);
            ++p;
        } else if (unit < 0x20) {
            dst = unicodeEscape(dst, static_cast<char16_t>(unit));
            ++p;
        } else if (unit < 0x80) {
            *dst++ = static_cast<char>(unit);
            ++p;
        } else if (char* const next = fl::i18n::encodeWide(dst, p, end)) {
            dst = next;
        } else {
            dst = unicodeEscape(dst, static_cast<char16_t>(unit));
            ++p;
        }
    }
    *dst++ = '"';
    advance(dst);
}

void JsonOutput::value(std::uint64_t number) {
    beforeValue();
    char* dst = room(24);
    advance(std::to_chars(dst, dst + 24, number).ptr);
}

void JsonOutput::value(long long number) {
    beforeValue();
    char* dst = room(24);
    advance(std::to_chars(dst, dst + 24, number).ptr);
}

void JsonOutput::write() {
    stream_->write(text_.data(), static_cast<std::streamsize>(used_));
    used_ = 0;
}

void JsonOutput::finish() {
    if (pretty_) {
        *room(1) = '\n';
        ++used_;
    }
    if (stream_ != nullptr) {
        write();
    }
    text_.resize(used_);
}

void JsonOutput::flushIfLarge() {
    if (stream_ != nullptr && used_ >= flushThreshold) {
        write();
    }
}

} // namespace document::vxzero::detail
