#include <foundation/cppmicroservices/FrameworkAccess.hpp>

#include <atomic>
#include <cstdint>
#include <mutex>
#include <utility>

namespace foundation::cppmicroservices {

namespace {

using ::cppmicroservices::Framework;

struct Slot {
    std::mutex mutex;
    std::shared_ptr<Framework> framework;
    // Bumped by every setFramework; starts above any thread's copy so that none matches.
    std::atomic<std::uint64_t> generation{1};
};

Slot& slot() {
    static Slot instance;
    return instance;
}

// Builders ask for the framework at every table cell and link, on every thread at once. Each
// thread keeps its own pointer, with a control block of its own holding one count of the
// shared one, so that the common answer reads one shared word and writes nothing shared.
struct ThreadCopy {
    std::uint64_t generation = 0;
    std::shared_ptr<Framework> framework;

    ThreadCopy() { alive() = true; }
    ~ThreadCopy() { alive() = false; }

    // Plain, so that it can be read after the copy's destructor has run at thread end.
    static bool& alive() {
        static thread_local bool flag = false;
        return flag;
    }
};

// A thread's own control block holds one count of the shared pointer, on cache lines of its
// own, so that other threads' writes to memory next to it do not slow its count steps.
struct alignas(64) Holder {
    explicit Holder(std::shared_ptr<Framework> s) : shared(std::move(s)) {}
    std::shared_ptr<Framework> shared;
};

ThreadCopy* threadCopy() {
    static thread_local ThreadCopy copy;
    return ThreadCopy::alive() ? &copy : nullptr;
}

std::shared_ptr<Framework> sharedFramework(std::uint64_t* generation) {
    Slot& s = slot();
    std::lock_guard<std::mutex> lock(s.mutex);
    if (generation != nullptr) {
        *generation = s.generation.load(std::memory_order_relaxed);
    }
    return s.framework;
}

} // namespace

std::shared_ptr<Framework> getFramework() {
    ThreadCopy* copy = threadCopy();
    if (copy == nullptr) {
        return sharedFramework(nullptr); // at thread end: the slow way
    }
    if (copy->generation == slot().generation.load(std::memory_order_acquire)) {
        return copy->framework;
    }
    std::uint64_t generation = 0;
    std::shared_ptr<Framework> shared = sharedFramework(&generation);
    std::shared_ptr<Framework> own;
    if (shared) {
        Framework* const raw = shared.get();
        own = std::shared_ptr<Framework>(std::make_shared<Holder>(std::move(shared)), raw);
    }
    // The copy this replaces may hold the last count of an earlier framework; it goes here.
    copy->framework = own;
    copy->generation = generation;
    return own;
}

void setFramework(std::shared_ptr<Framework> framework) {
    Slot& s = slot();
    std::shared_ptr<Framework> previous;
    {
        std::lock_guard<std::mutex> lock(s.mutex);
        previous = std::exchange(s.framework, std::move(framework));
        s.generation.fetch_add(1, std::memory_order_release);
    }
    // Other threads give their copies up at their next call or their end; the calling
    // thread, usually the host stopping its framework, gives its own up now.
    if (ThreadCopy* copy = threadCopy()) {
        copy->framework.reset();
        copy->generation = 0;
    }
    // The previous framework may be the last reference; release it outside the lock.
}

} // namespace foundation::cppmicroservices
