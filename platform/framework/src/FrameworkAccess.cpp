#include <foundation/cppmicroservices/FrameworkAccess.hpp>

#include <mutex>
#include <utility>

namespace foundation::cppmicroservices {

namespace {

struct Slot {
    std::mutex mutex;
    std::shared_ptr<::cppmicroservices::Framework> framework;
};

Slot& slot() {
    static Slot instance;
    return instance;
}

} // namespace

std::shared_ptr<::cppmicroservices::Framework> getFramework() {
    Slot& s = slot();
    std::lock_guard<std::mutex> lock(s.mutex);
    return s.framework;
}

void setFramework(std::shared_ptr<::cppmicroservices::Framework> framework) {
    Slot& s = slot();
    std::shared_ptr<::cppmicroservices::Framework> previous;
    {
        std::lock_guard<std::mutex> lock(s.mutex);
        previous = std::exchange(s.framework, std::move(framework));
    }
    // The previous framework may be the last reference; release it outside the lock.
}

} // namespace foundation::cppmicroservices
