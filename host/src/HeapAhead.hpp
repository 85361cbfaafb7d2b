#pragma once

#include <atomic>
#include <cstdint>

namespace richmarkup::host {

/// Maps the pages at the top of the process's main heap on the reading-ahead thread, before
/// the builder's thread gets to them. The builders allocate there (the model's texts, among
/// others), and a page's first touch, which the kernel must clear, otherwise stops the
/// builder's thread at every fresh page: a tenth of it on a large document.
///
/// It maps only what the heap has grown into already (up to the program break), so it pays
/// where malloc grows the heap in large steps (glibc's `top_pad` raised); elsewhere it maps
/// little. Mapping changes no byte, so memory in use by any thread may be mapped again. Does
/// nothing where the system cannot map ahead.
class HeapAhead {
public:
    /// Called for each element, mostly on the reading-ahead thread (on either thread, at any
    /// time); looks at the heap every few calls.
    void step() noexcept;

private:
    static constexpr unsigned kEvery = 128; // the look takes the kernel's lock on the address space
    // Growth between two looks from which the heap is taken to grow in large steps.
    static constexpr std::uintptr_t kLargeStep = std::uintptr_t(4) << 20;
    std::atomic<std::uintptr_t> mapped_{0}; // the heap's end at the last look; 0: not looked at yet
    std::atomic<unsigned> calls_{0};
    std::atomic<bool> off_{false};
};

} // namespace richmarkup::host
