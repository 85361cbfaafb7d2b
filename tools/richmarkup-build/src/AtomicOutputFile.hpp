#pragma once

#include <fstream>
#include <string>

namespace richmarkup::tool {

/// A file that appears whole or not at all: everything is written to a temporary file beside
/// the target, which replaces the target only on commit(). Destroyed without commit, the
/// temporary is removed and an existing target is left as it was.
class AtomicOutputFile {
public:
    /// Throws std::runtime_error("cannot write PATH: why") when the temporary cannot be made.
    explicit AtomicOutputFile(std::string path);
    ~AtomicOutputFile();
    AtomicOutputFile(AtomicOutputFile const&) = delete;
    AtomicOutputFile& operator=(AtomicOutputFile const&) = delete;

    std::ostream& stream() { return stream_; }
    /// Flushes, syncs and renames the temporary over the target. Throws std::runtime_error
    /// ("cannot write PATH: why") on failure; the target then stays as it was.
    void commit();

private:
    [[noreturn]] void fail(std::string const& why);

    std::string path_;
    std::string temporary_;
    std::ofstream stream_;
    bool committed_ = false;
};

} // namespace richmarkup::tool
