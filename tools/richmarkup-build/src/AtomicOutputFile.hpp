#pragma once

#include "DescriptorStream.hpp"

#include <cstddef>
#include <memory>
#include <string>

namespace richmarkup::tool {

/// A file that appears whole or not at all: everything is written to a temporary file beside
/// the target, which replaces the target only on commit(). Destroyed without commit, or ended
/// by SIGINT, SIGTERM or SIGHUP, the temporary is removed and an existing target is left as it
/// was. Several may be written at once, on several threads.
class AtomicOutputFile {
public:
    /// name: the target as the user named it, for messages (default: path). Throws
    /// std::runtime_error("cannot write NAME: why") when the temporary cannot be made; the why
    /// then names the folder it was to be made in, which is what lacks the permission or room.
    explicit AtomicOutputFile(std::string path, std::string name = {});
    ~AtomicOutputFile();
    AtomicOutputFile(AtomicOutputFile const&) = delete;
    AtomicOutputFile& operator=(AtomicOutputFile const&) = delete;

    std::ostream& stream() { return *stream_; }
    /// Flushes, syncs and renames the temporary over the target. Throws std::runtime_error
    /// ("cannot write PATH: why") on failure; the target then stays as it was.
    void commit();

private:
    [[noreturn]] void fail(std::string const& why);

    std::string path_;
    std::string name_;
    std::string temporary_;
    int fd_ = -1;
    std::unique_ptr<DescriptorStream> stream_;
    bool committed_ = false;
    static constexpr std::size_t kNoSlot = ~std::size_t(0);
    std::size_t slot_ = kNoSlot; // where the signal handler finds the temporary
};

} // namespace richmarkup::tool
