#include "PassedPages.hpp"

#include <cstdint>

#if defined(__linux__)
#include <sys/mman.h>
#include <unistd.h>
#endif

namespace foundation::json::detail {

namespace {

std::size_t pageSize() noexcept {
#if defined(__linux__)
    static std::size_t const size = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
    return size;
#else
    return 4096;
#endif
}

} // namespace

PassedPages::PassedPages(void const* start) noexcept {
    std::size_t const page = pageSize();
    next_ = (reinterpret_cast<std::uintptr_t>(start) + page - 1) / page * page;
}

void PassedPages::passed(void const* end) noexcept { release(end, kBatch); }

void PassedPages::finished(void const* end) noexcept { release(end, 1); }

void PassedPages::release(void const* end, std::size_t atLeast) noexcept {
    std::size_t const page = pageSize();
    std::size_t const limit = reinterpret_cast<std::uintptr_t>(end) / page * page;
    if (limit < next_ + atLeast) {
        return;
    }
#if defined(__linux__)
    // Private anonymous pages: dropped now, zero-filled should anything touch them again.
    if (madvise(reinterpret_cast<void*>(next_), limit - next_, MADV_DONTNEED) != 0) {
        return;  // nothing lost but the saving; try again with the next batch
    }
#else
    return;
#endif
    released_ += limit - next_;
    next_ = limit;
}

} // namespace foundation::json::detail
