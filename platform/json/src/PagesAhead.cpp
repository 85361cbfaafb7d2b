#include "PagesAhead.hpp"

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <utility>

// Linux 5.14; older kernels answer EINVAL, and nothing is mapped ahead.
#ifndef MADV_POPULATE_READ
#define MADV_POPULATE_READ 22
#endif
#ifndef MADV_POPULATE_WRITE
#define MADV_POPULATE_WRITE 23
#endif

namespace foundation::json::detail {

namespace {

// Small enough that a stop is seen soon, large enough that the calls stay few.
constexpr std::size_t kChunk = std::size_t(1) << 20;

// The whole pages inside a range, [first, end): a page shared with other data is left alone.
std::pair<std::uintptr_t, std::uintptr_t> wholePages(void const* start, std::size_t bytes) noexcept {
    static auto const page = static_cast<std::uintptr_t>(sysconf(_SC_PAGESIZE));
    auto const from = reinterpret_cast<std::uintptr_t>(start);
    return {(from + page - 1) & ~(page - 1), (from + bytes) & ~(page - 1)};
}

} // namespace

PagesAhead::PagesAhead(std::vector<Range> ranges) : ranges_(std::move(ranges)) {
    try {
        thread_ = std::thread([this] { run(); });
    } catch (...) {
        // No thread: the parse faults its pages in itself, as without this object.
    }
}

PagesAhead::~PagesAhead() {
    stop_.store(true, std::memory_order_relaxed);
    if (thread_.joinable()) {
        thread_.join();
    }
}

bool PagesAhead::worthwhile(std::size_t bytes) noexcept {
    return bytes >= (std::size_t(4) << 20) && std::thread::hardware_concurrency() > 1;
}

void PagesAhead::adviseHugePages(void const* start, std::size_t bytes) noexcept {
#ifdef MADV_HUGEPAGE
    auto const [from, end] = wholePages(start, bytes);
    if (start != nullptr && end > from) {
        (void)madvise(reinterpret_cast<void*>(from), end - from, MADV_HUGEPAGE);
    }
#else
    (void)start;
    (void)bytes;
#endif
}

void PagesAhead::run() noexcept {
    for (Range const& range : ranges_) {
        auto const [start, end] = wholePages(range.start, range.bytes);
        for (std::uintptr_t at = start; at < end; at += kChunk) {
            if (stop_.load(std::memory_order_relaxed)) {
                return;
            }
            std::size_t const length = std::min<std::uintptr_t>(kChunk, end - at);
            int const advice = range.forWriting ? MADV_POPULATE_WRITE : MADV_POPULATE_READ;
            if (madvise(reinterpret_cast<void*>(at), length, advice) != 0) {
                return;  // not supported here, or out of memory: the parse maps its own pages
            }
        }
    }
}

} // namespace foundation::json::detail
