#pragma once

#include <cstddef>
#include <string_view>

namespace foundation::json::detail {

/// Where a large array's text may be cut in two, so that each part, closed or opened with a
/// bracket, parses on a core of its own.
///
/// A candidate is a comma followed by a line break: a string holds no raw line break, so such
/// a comma lies between two values. Whether they are top-level entries shows only once both
/// parts parse as arrays (the caller's check); of the candidates after the middle, the one
/// whose next line is indented least is taken, since deeper entries are indented further.
class ArrayCut {
public:
    /// Candidates are looked for this far past the middle; nearly every document has one
    /// within a few lines.
    static constexpr std::size_t kWindow = std::size_t(1) << 20;

    /// The comma's offset in `text` (the byte after it is white space), or npos where there
    /// is none: text that does not start with '[' (after white space), or has no line break
    /// after a comma near its middle. `room`: bytes the second part must keep after the cut.
    static std::size_t find(std::string_view text, std::size_t room) noexcept;

    static constexpr std::size_t npos = static_cast<std::size_t>(-1);
};

} // namespace foundation::json::detail
