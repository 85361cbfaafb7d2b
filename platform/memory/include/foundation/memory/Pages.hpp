#pragma once

#include <cstddef>
#include <cstdint>

/// The operating system's memory calls, in one place: what the system supports is decided here
/// once, and its callers work in byte ranges. Each call that advises the system changes no byte
/// a program can read, except release(); each does nothing, and says so, where the system cannot.
namespace foundation::memory {

/// The system's page size in bytes (a power of two).
std::size_t pageSize() noexcept;

/// Page-aligned addresses [begin, end).
struct PageRange {
    std::uintptr_t begin = 0;
    std::uintptr_t end = 0;

    std::size_t bytes() const noexcept { return end > begin ? end - begin : 0; }
};

/// The whole pages inside [start, start + bytes). A page that also holds bytes outside the
/// range is left out: a call over the pages then touches nobody else's data.
PageRange wholePages(void const* start, std::size_t bytes) noexcept;

/// How pages mapped ahead will be used first.
enum class FirstUse { Read, Write };

/// Maps the whole pages inside the range now, as their first read or write would: a thread that
/// then touches them does not stop for a page fault at each of them. Changes no byte, so memory
/// in use by another thread may be mapped too. False when nothing was done: a system without the
/// call (Linux before 5.14), a range not all mapped, or no memory left. Nothing is lost then but
/// the time it would have saved.
bool populate(void const* start, std::size_t bytes, FirstUse use = FirstUse::Write) noexcept;

/// Gives the whole pages inside the range back to the system. They stay allocated: private
/// anonymous memory reads as zeros once touched again. False when nothing was given back.
bool release(void const* start, std::size_t bytes) noexcept;

/// Asks for huge pages (2 MiB on x86-64) over the whole pages inside the range, best before any
/// of them is touched, where the system gives them only on request.
void adviseHugePages(void const* start, std::size_t bytes) noexcept;

/// The end of the process's main heap (the program break) as the kernel keeps it: glibc's own
/// copy belongs to its allocator, and may be read only by the thread that moves it. 0 where the
/// system has no such heap.
std::uintptr_t heapEnd() noexcept;

} // namespace foundation::memory
