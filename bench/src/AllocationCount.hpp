#pragma once

#include <cstddef>

namespace richmarkup::bench {

/// Allocations made by this thread so far through the global operator new, which the
/// program linking AllocationCount.cpp replaces. A thread-local count costs one add, so
/// the phases it watches stay undisturbed.
std::size_t allocationCount() noexcept;

} // namespace richmarkup::bench
