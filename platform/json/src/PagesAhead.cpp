#include "PagesAhead.hpp"

#include <foundation/memory/Pages.hpp>

#include <algorithm>
#include <cstdint>
#include <utility>

namespace foundation::json::detail {

namespace {

// Small enough that a stop is seen soon, large enough that the calls stay few.
constexpr std::size_t kChunk = std::size_t(1) << 20;

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

void PagesAhead::run() noexcept {
    for (Range const& range : ranges_) {
        memory::PageRange const pages = memory::wholePages(range.start, range.bytes);
        memory::FirstUse const use = range.forWriting ? memory::FirstUse::Write : memory::FirstUse::Read;
        for (std::uintptr_t at = pages.begin; at < pages.end; at += kChunk) {
            if (stop_.load(std::memory_order_relaxed)) {
                return;
            }
            std::size_t const length = std::min<std::uintptr_t>(kChunk, pages.end - at);
            if (!memory::populate(reinterpret_cast<void const*>(at), length, use)) {
                return; // not supported here, or out of memory: the parse maps its own pages
            }
        }
    }
}

} // namespace foundation::json::detail
