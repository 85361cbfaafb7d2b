#include <foundation/memory/Pages.hpp>

#include <unistd.h>

#if defined(__linux__)
#include <sys/mman.h>
#include <sys/syscall.h>
// Pages mapped on request came with Linux 5.14, and with the C library's headers of that time:
// with older headers the numbers are the kernel's own, and a kernel before it answers EINVAL.
#ifndef MADV_POPULATE_READ
#define MADV_POPULATE_READ 22
#endif
#ifndef MADV_POPULATE_WRITE
#define MADV_POPULATE_WRITE 23
#endif
#define FOUNDATION_MEMORY_ADVICE 1
#else
#define FOUNDATION_MEMORY_ADVICE 0
#endif

namespace foundation::memory {

namespace {

#if FOUNDATION_MEMORY_ADVICE
bool advise(void const* start, std::size_t bytes, int advice) noexcept {
    PageRange const pages = wholePages(start, bytes);
    return pages.bytes() > 0 && ::madvise(reinterpret_cast<void*>(pages.begin), pages.bytes(), advice) == 0;
}
#endif

} // namespace

std::size_t pageSize() noexcept {
    static std::size_t const size = [] {
        long const page = ::sysconf(_SC_PAGESIZE);
        return page > 0 ? static_cast<std::size_t>(page) : std::size_t(4096);
    }();
    return size;
}

PageRange wholePages(void const* start, std::size_t bytes) noexcept {
    std::uintptr_t const mask = pageSize() - 1;
    auto const from = reinterpret_cast<std::uintptr_t>(start);
    PageRange pages;
    if (start != nullptr && bytes > 0) {
        pages.begin = (from + mask) & ~mask;
        pages.end = (from + bytes) & ~mask;
        if (pages.end < pages.begin) {
            pages.end = pages.begin; // within one page
        }
    }
    return pages;
}

bool populate(void const* start, std::size_t bytes, FirstUse use) noexcept {
#if FOUNDATION_MEMORY_ADVICE
    return advise(start, bytes, use == FirstUse::Write ? MADV_POPULATE_WRITE : MADV_POPULATE_READ);
#else
    (void)start, (void)bytes, (void)use;
    return false;
#endif
}

bool release(void const* start, std::size_t bytes) noexcept {
#if FOUNDATION_MEMORY_ADVICE
    return advise(start, bytes, MADV_DONTNEED);
#else
    (void)start, (void)bytes;
    return false;
#endif
}

void adviseHugePages(void const* start, std::size_t bytes) noexcept {
#if FOUNDATION_MEMORY_ADVICE && defined(MADV_HUGEPAGE)
    (void)advise(start, bytes, MADV_HUGEPAGE);
#else
    (void)start, (void)bytes;
#endif
}

std::uintptr_t heapEnd() noexcept {
#if FOUNDATION_MEMORY_ADVICE
    long const end = ::syscall(SYS_brk, 0);
    return end > 0 ? static_cast<std::uintptr_t>(end) : 0;
#else
    return 0;
#endif
}

} // namespace foundation::memory
