#include "AllocationCount.hpp"

#include <cstdlib>
#include <new>

namespace {
thread_local std::size_t allocations = 0;
}

// Not inlined: the compiler then pairs every delete with this new, not with malloc.
__attribute__((noinline)) void* operator new(std::size_t size) {
    ++allocations;
    if (void* p = std::malloc(size == 0 ? 1 : size)) {
        return p;
    }
    throw std::bad_alloc();
}
__attribute__((noinline)) void* operator new[](std::size_t size) { return ::operator new(size); }
__attribute__((noinline)) void operator delete(void* p) noexcept { std::free(p); }
__attribute__((noinline)) void operator delete[](void* p) noexcept { std::free(p); }
__attribute__((noinline)) void operator delete(void* p, std::size_t) noexcept { std::free(p); }
__attribute__((noinline)) void operator delete[](void* p, std::size_t) noexcept { std::free(p); }

std::size_t richmarkup::bench::allocationCount() noexcept { return allocations; }
