#pragma once

#include <cstddef>

namespace foundation::json::detail {

/// Gives the pages of a buffer that is read front to back, and never again, back to the
/// system once the reader has passed them, in batches so that the calls stay rare. The
/// buffer stays allocated; a released page reads as zeros if touched again.
class PassedPages {
public:
    static constexpr std::size_t kBatch = std::size_t(1) << 20;

    /// `start`: the first byte that may be released; pages before it are kept.
    explicit PassedPages(void const* start) noexcept;
    /// The reader will never again read below `end`.
    void passed(void const* end) noexcept;
    /// The reader is done with everything below `end`: its pages go now, however few, once
    /// some have gone before (a short stream keeps them).
    void finished(void const* end) noexcept;
    /// Bytes handed back so far.
    std::size_t released() const noexcept { return released_; }

private:
    // Releases the whole pages below `end` if there are at least `atLeast` bytes of them.
    void release(void const* end, std::size_t atLeast) noexcept;

    std::size_t next_; // first address not yet released, page-aligned
    std::size_t released_ = 0;
};

} // namespace foundation::json::detail
