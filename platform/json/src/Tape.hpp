#pragma once

#include <simdjson.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string_view>
#include <type_traits>
#include <utility>

namespace foundation::json::detail {

// What Tape reads is simdjson's private layout, which any release may change. A simdjson
// that lays it out otherwise must stop the build here, not misread documents at run time.
static_assert(simdjson::SIMDJSON_VERSION_MAJOR == 3 && simdjson::SIMDJSON_VERSION_MINOR == 0,
              "Tape reads simdjson 3.0's private tape: compare this simdjson's tape and string buffer with "
              "what Tape.hpp reads, then widen this check");
static_assert(std::is_same_v<decltype(simdjson::dom::document::tape), std::unique_ptr<std::uint64_t[]>>,
              "simdjson's tape is no longer an array of 64-bit words");
static_assert(std::is_same_v<decltype(simdjson::dom::document::string_buf), std::unique_ptr<std::uint8_t[]>>,
              "simdjson's string buffer is no longer an array of bytes");
static_assert(
    std::is_same_v<decltype(std::declval<simdjson::internal::tape_ref const&>().get_string_length()), std::uint32_t>,
    "simdjson's strings no longer start with a 32-bit length");
static_assert(
    std::is_same_v<decltype(std::declval<simdjson::internal::tape_ref const&>().matching_brace_index()),
                   std::uint32_t> &&
        std::is_same_v<decltype(std::declval<simdjson::internal::tape_ref const&>().scope_count()), std::uint32_t>,
    "simdjson's container words no longer hold a 32-bit closing index and count");
static_assert(simdjson::internal::JSON_VALUE_MASK == (std::uint64_t(1) << 56) - 1 &&
                  simdjson::internal::JSON_COUNT_MASK == 0xFFFFFF,
              "simdjson's tape words no longer hold the type letter in their top byte and a 24-bit count");

namespace tape_letters {
using simdjson::internal::tape_type;
static_assert(char(tape_type::ROOT) == 'r' && char(tape_type::START_ARRAY) == '[' &&
                  char(tape_type::START_OBJECT) == '{' && char(tape_type::END_ARRAY) == ']' &&
                  char(tape_type::END_OBJECT) == '}' && char(tape_type::STRING) == '"' &&
                  char(tape_type::INT64) == 'l' && char(tape_type::UINT64) == 'u' && char(tape_type::DOUBLE) == 'd' &&
                  char(tape_type::TRUE_VALUE) == 't' && char(tape_type::FALSE_VALUE) == 'f' &&
                  char(tape_type::NULL_VALUE) == 'n',
              "simdjson's tape type letters changed: Tape and its readers compare against the old ones");
} // namespace tape_letters

class ZeroedNumbers;

/// A parsed document read where it lies: simdjson's tape, one word a value (a type letter in
/// the top byte), two for a number, containers marked at both ends, and the string buffer
/// (each string its 32-bit length, its bytes and a NUL). Read directly, a value costs a load
/// or two, where the DOM's element objects look every word up again through the document.
class Tape {
public:
    /// `zeroed`: the document's numbers held as 0 that its text wrote otherwise, if known.
    explicit Tape(simdjson::dom::document const& document, ZeroedNumbers const* zeroed = nullptr) noexcept
        : words_(document.tape.get()), strings_(document.string_buf.get()), zeroed_(zeroed) {}

    /// The tape word of the document's root value.
    static constexpr std::size_t kRoot = 1;

    /// Words in the tape, the root's two included.
    std::size_t size() const noexcept { return static_cast<std::size_t>(words_[0] & kPayload) + 1; }
    ZeroedNumbers const* zeroed() const noexcept { return zeroed_; }

    char type(std::size_t at) const noexcept { return static_cast<char>(words_[at] >> 56); }
    std::uint64_t word(std::size_t at) const noexcept { return words_[at]; }
    std::uint64_t const* words() const noexcept { return words_; }
    std::uint8_t const* strings() const noexcept { return strings_; }

    /// The string at a '"' word.
    std::string_view string(std::size_t at) const noexcept {
        std::uint8_t const* const start = strings_ + (words_[at] & kPayload);
        std::uint32_t length = 0;
        std::memcpy(&length, start, sizeof length);
        return {reinterpret_cast<char const*>(start + sizeof length), length};
    }
    /// Where a string's characters end in the string buffer (its NUL).
    std::uint8_t const* stringEnd(std::size_t at) const noexcept {
        std::string_view const s = string(at);
        return reinterpret_cast<std::uint8_t const*>(s.data() + s.size());
    }
    /// The number at an 'l', 'u' or 'd' word, as a double.
    double number(std::size_t at) const noexcept {
        std::uint64_t const bits = words_[at + 1];
        switch (type(at)) {
        case 'l': {
            std::int64_t i = 0;
            std::memcpy(&i, &bits, sizeof i);
            return static_cast<double>(i);
        }
        case 'u': return static_cast<double>(bits);
        default: {
            double d = 0;
            std::memcpy(&d, &bits, sizeof d);
            return d;
        }
        }
    }

    /// The word after the one at `at`, stepping over a number's second word (raw bits that may
    /// look like any type) but into containers.
    std::size_t step(std::size_t at) const noexcept {
        char const t = type(at);
        return at + (t == 'l' || t == 'u' || t == 'd' ? 2 : 1);
    }
    /// The word after the value that starts at `at`.
    std::size_t after(std::size_t at) const noexcept {
        char const t = type(at);
        return t == '[' || t == '{' ? static_cast<std::uint32_t>(words_[at]) : step(at);
    }
    /// The closing word of the array or object that starts at `at`.
    std::size_t close(std::size_t at) const noexcept { return static_cast<std::uint32_t>(words_[at]) - 1; }
    /// Entries of the array, or members of the object, that starts at `at`.
    std::size_t count(std::size_t at) const noexcept {
        std::size_t const counted = (words_[at] >> 32) & kSaturated;
        if (counted < kSaturated) {
            return counted;
        }
        // The count saturates there: count the entries themselves.
        bool const object = type(at) == '{';
        std::size_t n = 0;
        for (std::size_t i = at + 1, end = close(at); i < end; ++n) {
            i = after(object ? i + 1 : i);
        }
        return n;
    }

private:
    static constexpr std::uint64_t kPayload = (std::uint64_t(1) << 56) - 1;
    static constexpr std::size_t kSaturated = 0xFFFFFF;

    std::uint64_t const* words_;
    std::uint8_t const* strings_;
    ZeroedNumbers const* zeroed_;
};

} // namespace foundation::json::detail
