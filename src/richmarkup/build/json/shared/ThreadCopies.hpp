#pragma once

#include <atomic>
#include <cstddef>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

namespace richmarkup::build::json {

/// Copies of a fixed list of service pointers, one set per stripe of threads, each copy with a
/// control block of its own that holds one count of the listed pointer. A registry hands out
/// a builder for every element; handed out from the list itself, every thread would write
/// the same counts at every element. Handed out from the calling thread's stripe, it writes
/// counts that only the threads of that stripe share. The copies belong to this object and
/// go with it, so the builders live exactly as long as they would without it. No lock: a
/// stripe is filled once, by the first of its threads to get there; the others meanwhile
/// take the listed pointer.
template <class T>
class ThreadCopies {
public:
    using List = std::vector<std::shared_ptr<T>>;

    ThreadCopies() = default;
    ThreadCopies(ThreadCopies const&) = delete;
    ThreadCopies& operator=(ThreadCopies const&) = delete;

    /// list[index], counted on the calling thread's stripe. The list must be the same one at
    /// every call for this object's life: a cache that never changes once filled.
    std::shared_ptr<T> copyOf(List const& list, std::size_t index) {
        Stripe& stripe = stripes_[threadNumber() % kStripes];
        int state = stripe.state.load(std::memory_order_acquire);
        if (state == kEmpty && stripe.state.compare_exchange_strong(state, kFilling, std::memory_order_acquire)) {
            state = fill(stripe, list);
        }
        if (state == kReady && index < stripe.copies.size()) {
            return stripe.copies[index];
        }
        return list[index];
    }

private:
    static constexpr std::size_t kStripes = 64;
    static constexpr int kEmpty = 0;
    static constexpr int kFilling = 1;
    static constexpr int kReady = 2;

    // Each on cache lines of its own: the stripes' states are read at every call.
    struct alignas(64) Stripe {
        std::atomic<int> state{kEmpty};
        List copies;
    };

    // A copy's control block holds one count of the listed pointer, on cache lines of its
    // own: memory a heap hands out next to it may be written by other threads.
    struct alignas(64) Holder {
        explicit Holder(std::shared_ptr<T> const& s) : listed(s) {}
        std::shared_ptr<T> listed;
    };

    static int fill(Stripe& stripe, List const& list) noexcept {
        try {
            List copies;
            copies.reserve(list.size());
            for (auto const& listed : list) {
                copies.push_back(std::shared_ptr<T>(std::make_shared<Holder>(listed), listed.get()));
            }
            stripe.copies = std::move(copies);
        } catch (...) {
            // No memory for copies: the listed pointers serve, and the next call tries again.
            stripe.state.store(kEmpty, std::memory_order_release);
            return kEmpty;
        }
        stripe.state.store(kReady, std::memory_order_release);
        return kReady;
    }

    // The calling thread's stripe, from its id: the bundles are loaded at run time, where a
    // thread_local of their own would be the dynamic kind that leak checkers mishandle.
    static std::size_t threadNumber() { return std::hash<std::thread::id>()(std::this_thread::get_id()); }

    Stripe stripes_[kStripes];
};

} // namespace richmarkup::build::json
