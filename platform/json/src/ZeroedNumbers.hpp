#pragma once

#include "Tape.hpp"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace foundation::json::detail {

/// The numbers of a parsed text that the tape holds as 0 while the text wrote them otherwise:
/// too small for a double (1e-400). Found right after the parse, while the text is at hand, and
/// looked up by tape word as values are made.
class ZeroedNumbers {
public:
    /// A pass over the tape for zeros read from a fraction or an exponent; only where there is
    /// one (rare), a pass over the text to see how each was written.
    void find(Tape const& tape, std::string_view text);
    void clear() noexcept;
    bool empty() const noexcept { return words_.empty(); }
    /// How the number at tape word `at` was written, when it is one of them; else empty.
    std::string_view at(std::size_t word) const noexcept;

private:
    std::vector<std::size_t> words_; // ascending
    std::vector<std::string> texts_;
};

} // namespace foundation::json::detail
