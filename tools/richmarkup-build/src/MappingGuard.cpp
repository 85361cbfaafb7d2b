#include "MappingGuard.hpp"

#include <foundation/memory/Pages.hpp>

#include <signal.h>
#include <sys/mman.h>
#include <unistd.h>

#include <atomic>
#include <cstdint>
#include <mutex>
#include <utility>

namespace richmarkup::tool {

namespace {

// One slot per mapping watched at once (a batch maps one input per thread). The handler reads
// a slot only while its state says it is watched; every field is a lock-free atomic.
constexpr std::size_t kSlots = 512;
enum SlotState : int { Free = 0, Claimed = 1, Watched = 2 };

struct Slot {
    std::atomic<int> state{Free};
    std::atomic<std::uintptr_t> begin{0};
    std::atomic<std::uintptr_t> end{0};
    std::atomic<bool> faulted{false};
};
static_assert(std::atomic<std::uintptr_t>::is_always_lock_free, "the signal handler reads the slots");

Slot slots[kSlots];
std::once_flag handlerInstalled;
struct sigaction previousAction {};

extern "C" void replaceVanishedPage(int signal, siginfo_t* info, void* context) {
    auto const address = reinterpret_cast<std::uintptr_t>(info->si_addr);
    for (auto& slot : slots) {
        if (slot.state.load() != Watched || address < slot.begin.load() || address >= slot.end.load()) {
            continue;
        }
        // Zeros from the page that vanished to the mapping's end: the rest of the file is
        // gone too, and one call spares a signal per page.
        std::uintptr_t const page = address & ~static_cast<std::uintptr_t>(foundation::memory::pageSize() - 1);
        void* const zeros = ::mmap(reinterpret_cast<void*>(page), slot.end.load() - page, PROT_READ | PROT_WRITE,
                                   MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED, -1, 0);
        if (zeros != MAP_FAILED) {
            slot.faulted.store(true);
            return; // the read is tried again, and finds zeros
        }
        break;
    }
    // Not a mapping of ours: hand over to whoever handled it before, or end as SIGBUS would.
    if ((previousAction.sa_flags & SA_SIGINFO) != 0 && previousAction.sa_sigaction != nullptr) {
        previousAction.sa_sigaction(signal, info, context);
        return;
    }
    if (previousAction.sa_handler != SIG_DFL && previousAction.sa_handler != SIG_IGN &&
        previousAction.sa_handler != nullptr) {
        previousAction.sa_handler(signal);
        return;
    }
    struct sigaction fallback {};
    fallback.sa_handler = SIG_DFL;
    ::sigemptyset(&fallback.sa_mask);
    ::sigaction(signal, &fallback, nullptr); // the faulting read runs again and ends the process
}

void installHandler() {
    (void)foundation::memory::pageSize(); // read once here: the handler must not be the first to ask
    struct sigaction action {};
    action.sa_sigaction = replaceVanishedPage;
    action.sa_flags = SA_SIGINFO;
    ::sigemptyset(&action.sa_mask);
    ::sigaction(SIGBUS, &action, &previousAction);
}

} // namespace

std::optional<MappingGuard> MappingGuard::watch(void* begin, std::size_t length) noexcept {
    std::call_once(handlerInstalled, installHandler);
    for (std::size_t i = 0; i < kSlots; ++i) {
        int expected = Free;
        if (slots[i].state.compare_exchange_strong(expected, Claimed)) {
            auto const start = reinterpret_cast<std::uintptr_t>(begin);
            slots[i].begin.store(start);
            slots[i].end.store(start + length);
            slots[i].faulted.store(false);
            slots[i].state.store(Watched);
            return MappingGuard(i);
        }
    }
    return std::nullopt;
}

MappingGuard::MappingGuard(MappingGuard&& other) noexcept : slot_(std::exchange(other.slot_, kNoSlot)) {}

MappingGuard& MappingGuard::operator=(MappingGuard&& other) noexcept {
    if (this != &other) {
        release();
        slot_ = std::exchange(other.slot_, kNoSlot);
    }
    return *this;
}

MappingGuard::~MappingGuard() { release(); }

bool MappingGuard::faulted() const noexcept { return slot_ != kNoSlot && slots[slot_].faulted.load(); }

void MappingGuard::release() noexcept {
    if (slot_ != kNoSlot) {
        slots[slot_].state.store(Free);
        slot_ = kNoSlot;
    }
}

} // namespace richmarkup::tool
