#include "AtomicOutputFile.hpp"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <stdexcept>
#include <vector>

namespace richmarkup::tool {

namespace {

// The mode a new file would get: 0666 less the umask (which can only be read by setting it).
mode_t newFileMode() {
    mode_t const mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

std::string directoryOf(std::string const& path) {
    std::size_t const slash = path.rfind('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? std::string("/") : path.substr(0, slash);
}

std::string baseNameOf(std::string const& path) {
    std::size_t const slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The temporaries a signal must not leave behind, one slot each, for files written at once on
// several threads. The handler may only read a slot's path once its flag is set, and call what
// is async-signal-safe (unlink, sigaction, raise); the flags are lock-free atomics.
constexpr int endingSignals[] = {SIGINT, SIGTERM, SIGHUP};
constexpr std::size_t kSlots = 64;
char pendingTemporaries[kSlots][4096];
std::atomic<int> slotArmed[kSlots];
static_assert(std::atomic<int>::is_always_lock_free, "the signal handler reads the flags");

std::mutex guardMutex; // guards installing and restoring the handler, and the count
std::size_t armedCount = 0;
std::array<struct sigaction, 3> previousActions{};

extern "C" void removeTemporaryAndEnd(int signal) {
    for (std::size_t i = 0; i < kSlots; ++i) {
        if (slotArmed[i].load() == 1) {
            ::unlink(pendingTemporaries[i]);
        }
    }
    // End as the signal would have ended the process.
    struct sigaction action {};
    action.sa_handler = SIG_DFL;
    ::sigemptyset(&action.sa_mask);
    ::sigaction(signal, &action, nullptr);
    ::raise(signal);
}

// The slot guarding `temporary`, or kSlots when none is free or the path does not fit: the
// signal then leaves that temporary behind, as nothing else would remove it either.
std::size_t guardTemporary(std::string const& temporary) {
    if (temporary.size() >= sizeof pendingTemporaries[0]) {
        return kSlots;
    }
    std::lock_guard lock(guardMutex);
    std::size_t slot = 0;
    while (slot < kSlots && slotArmed[slot].load() != 0) {
        ++slot;
    }
    if (slot == kSlots) {
        return kSlots;
    }
    std::memcpy(pendingTemporaries[slot], temporary.c_str(), temporary.size() + 1);
    slotArmed[slot].store(1);
    if (armedCount++ == 0) {
        struct sigaction action {};
        action.sa_handler = removeTemporaryAndEnd;
        ::sigemptyset(&action.sa_mask);
        for (std::size_t i = 0; i < previousActions.size(); ++i) {
            ::sigaction(endingSignals[i], &action, &previousActions[i]);
        }
    }
    return slot;
}

void releaseTemporary(std::size_t slot) {
    if (slot >= kSlots) { // unguarded, or kNoSlot
        return;
    }
    std::lock_guard lock(guardMutex);
    if (slotArmed[slot].load() == 0) {
        return;
    }
    slotArmed[slot].store(0);
    if (--armedCount == 0) {
        for (std::size_t i = 0; i < previousActions.size(); ++i) {
            ::sigaction(endingSignals[i], &previousActions[i], nullptr);
        }
    }
}

} // namespace

AtomicOutputFile::AtomicOutputFile(std::string path, std::string name)
    : path_(std::move(path)), name_(name.empty() ? path_ : std::move(name)) {
    // Beside the target, so the final rename stays within one file system.
    std::string const folder = directoryOf(path_);
    std::string pattern = folder + "/." + baseNameOf(path_) + ".tmp-XXXXXX";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    int const fd = ::mkostemp(buffer.data(), O_CLOEXEC);
    if (fd < 0) {
        fail("cannot make a temporary file in " + folder + ": " + std::strerror(errno));
    }
    fd_ = fd;
    temporary_.assign(buffer.data());
    slot_ = guardTemporary(temporary_);
    // mkstemp makes the file private; give it the mode the target has, or a new file would get.
    struct stat existing {};
    mode_t const mode = ::stat(path_.c_str(), &existing) == 0 ? (existing.st_mode & 07777) : newFileMode();
    ::fchmod(fd_, mode);
    stream_ = std::make_unique<DescriptorStream>(fd_);
}

AtomicOutputFile::~AtomicOutputFile() {
    if (!committed_ && !temporary_.empty()) {
        stream_.reset();
        ::close(fd_);
        std::remove(temporary_.c_str());
    }
    releaseTemporary(slot_);
    slot_ = kNoSlot;
}

void AtomicOutputFile::commit() {
    stream_->flush();
    if (!*stream_) {
        int const error = DescriptorBuffer::errorOf(*stream_);
        fail(error != 0 ? std::strerror(error) : "write failed");
    }
    // The data must be on disk before the name points at it, or a crash could leave an empty
    // file where the old one was.
    if (::fsync(fd_) != 0 && errno != EINVAL) {
        fail(std::strerror(errno));
    }
    if (std::rename(temporary_.c_str(), path_.c_str()) != 0) {
        fail(std::strerror(errno));
    }
    committed_ = true;
    stream_.reset();
    ::close(fd_);
    fd_ = -1;
    releaseTemporary(slot_);
    slot_ = kNoSlot;
}

void AtomicOutputFile::fail(std::string const& why) { throw std::runtime_error("cannot write " + name_ + ": " + why); }

} // namespace richmarkup::tool
