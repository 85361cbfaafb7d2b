#include "HeapAhead.hpp"

#if defined(__linux__)
#include <sys/mman.h>
#include <sys/syscall.h>
#include <unistd.h>
#endif

#ifndef MADV_POPULATE_WRITE
#define MADV_POPULATE_WRITE 23
#endif

namespace richmarkup::host {

void HeapAhead::step() noexcept {
#if defined(__linux__)
    if (off_.load(std::memory_order_relaxed) || calls_.fetch_add(1, std::memory_order_relaxed) % kEvery != 0) {
        return;
    }
    // The kernel's own record of the break: glibc's copy is its allocator's, not this thread's to read.
    auto const end = static_cast<std::uintptr_t>(::syscall(SYS_brk, 0)) & ~std::uintptr_t(4095);
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
    if (::madvise(reinterpret_cast<void*>(from), end - from, MADV_POPULATE_WRITE) != 0) {
        off_.store(true, std::memory_order_relaxed);  // a kernel without it, or the heap shrank meanwhile
    }
#endif
}

} // namespace richmarkup::host
