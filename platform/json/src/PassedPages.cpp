#include "PassedPages.hpp"

#include <foundation/memory/Pages.hpp>

#include <cstdint>

namespace foundation::json::detail {

PassedPages::PassedPages(void const* start) noexcept {
    std::size_t const page = memory::pageSize();
    next_ = (reinterpret_cast<std::uintptr_t>(start) + page - 1) / page * page;
}

void PassedPages::passed(void const* end) noexcept { release(end, kBatch); }

// A stream too short to have given anything back keeps its pages: they are freed or used
// again right after, and giving back a few costs a flush of every running thread's address
// cache.
void PassedPages::finished(void const* end) noexcept { release(end, released_ > 0 ? 1 : kBatch); }

void PassedPages::release(void const* end, std::size_t atLeast) noexcept {
    std::size_t const page = memory::pageSize();
    std::size_t const limit = reinterpret_cast<std::uintptr_t>(end) / page * page;
    if (limit < next_ + atLeast) {
        return;
    }
    // Private anonymous pages: dropped now, zero-filled should anything touch them again.
    if (!memory::release(reinterpret_cast<void const*>(next_), limit - next_)) {
        return; // nothing lost but the saving; try again with the next batch
    }
    released_ += limit - next_;
    next_ = limit;
}

} // namespace foundation::json::detail
