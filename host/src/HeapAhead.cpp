#include "HeapAhead.hpp"

#include <foundation/memory/Pages.hpp>

namespace richmarkup::host {

void HeapAhead::step() noexcept {
    if (off_.load(std::memory_order_relaxed) || calls_.fetch_add(1, std::memory_order_relaxed) % kEvery != 0) {
        return;
    }
    std::uintptr_t const end = foundation::memory::heapEnd() & ~std::uintptr_t(foundation::memory::pageSize() - 1);
    std::uintptr_t from = mapped_.load(std::memory_order_relaxed);
    // Whichever thread moves the mark handles the pages up to it.
    if (end == from || !mapped_.compare_exchange_strong(from, end, std::memory_order_relaxed)) {
        return;
    }
    // Not at the first look, nor after a trim. A heap that grows in small steps is touched by
    // the builder's thread as soon as it grows: mapping it too only makes the two meet at the
    // same pages.
    if (from == 0 || end < from || end - from < kLargeStep) {
        return;
    }
    if (!foundation::memory::populate(reinterpret_cast<void const*>(from), end - from)) {
        off_.store(true, std::memory_order_relaxed); // a system without it, or the heap shrank meanwhile
    }
}

} // namespace richmarkup::host
