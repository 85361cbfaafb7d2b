#pragma once

#include <string>
#include <vector>

namespace richmarkup::tool {

/// Memory settings for a process about to build a large model.
///
/// A 30 MB document makes over a hundred megabytes of fresh heap; faulting it in 4 KiB pages
/// costs about a quarter of the whole run. glibc's malloc asks the kernel for transparent huge
/// pages (2 MiB) only when its tunable `glibc.malloc.hugetlb` is set at process start, so for
/// inputs that large the tool sets it and starts itself again, once, and has the heap grow in
/// steps of 4 MiB (`glibc.malloc.top_pad`): steps a host mapping the heap ahead of its builders
/// (host::PerformanceOptions::heapAhead) can map whole. Smaller inputs, an explicit huge-page
/// setting and `RICHMARKUP_HUGE_PAGES=0` leave the process as it is.
class LargeHeap {
public:
    /// An input of this many bytes is worth the second start (JSON Lines never are).
    static constexpr unsigned long long threshold = 8ull << 20;

    /// Returns only when the process goes on as it is (including when the restart fails).
    static void restartWithHugePagesIfLarge(std::vector<std::string> const& inputs, char** argv);

    /// The GLIBC_TUNABLES value to restart with, or empty for none: `current` (which may be
    /// null) with the huge-page and heap-step settings added that it lacks; empty when it has
    /// a huge-page setting of its own.
    static std::string tunablesFor(char const* current);

    /// Whether this process started with malloc asking for huge pages.
    static bool requested() noexcept;
};

} // namespace richmarkup::tool
