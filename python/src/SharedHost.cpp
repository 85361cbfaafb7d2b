#include "SharedHost.hpp"

#include <atomic>
#include <mutex>

namespace richmarkup::python {

host::DocumentHost const& sharedHost() {
    static std::atomic<host::DocumentHost const*> running{nullptr};
    static std::mutex starting;
    if (auto const* host = running.load(std::memory_order_acquire)) {
        return *host;
    }
    std::lock_guard<std::mutex> const lock(starting);
    if (running.load(std::memory_order_relaxed) == nullptr) {
        host::HostOptions options;
        // Mapping the heap ahead pays only with glibc's tunables raised, which an interpreter
        // does not have; the tool leaves it off for the same reason.
        options.performance.heapAhead = false;
        // Deliberately never deleted: see sharedHost().
        running.store(new host::DocumentHost(options), std::memory_order_release);
    }
    return *running.load(std::memory_order_relaxed);
}

} // namespace richmarkup::python
