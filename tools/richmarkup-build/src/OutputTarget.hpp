#pragma once

#include <functional>
#include <optional>
#include <ostream>
#include <string>

namespace richmarkup::tool {

/// Where `-o PATH` writes, and how, so that no output is lost or misplaced:
/// - "-" is standard output;
/// - /dev/stdout, /dev/stderr, /dev/fd/N and /proc/self/fd/N name descriptors the tool was
///   given: it writes to them as they are, as a shell redirection would (appending after what
///   is there, into a pipe, onto a terminal), never replacing the file behind them;
/// - a regular file or a new path is written whole or not at all (AtomicOutputFile);
/// - a symbolic link is followed: the link stays, the file it names gets the output. In a
///   folder of outputs (Links::Replace) the link itself is replaced, so that nothing is ever
///   written outside the folder;
/// - a FIFO, a device or any other file that is not regular is opened and written directly;
/// - a directory is an error.
/// Every failure is std::runtime_error("cannot write NAME: why"); nothing counts as written
/// that was not flushed.
class OutputTarget {
public:
    static constexpr char const* standardOutputName = "<stdout>";
    enum class Links { Follow, Replace };

    /// path: as given to -o; out: standard output.
    OutputTarget(std::string path, std::ostream& out, Links links = Links::Follow);

    void write(std::function<void(std::ostream&)> const& writer) const;

    /// Writes to standard output and checks that it all went out.
    static void writeStandardOutput(std::ostream& out, std::function<void(std::ostream&)> const& writer);

    /// The descriptor that `path` names as this process's own, if it is such a name.
    static std::optional<int> descriptorNamed(std::string const& path);

    /// The file a chain of symbolic links ends at; the last link's target may not exist yet.
    static std::string followLinks(std::string const& path);

private:
    std::string path_;
    std::ostream& out_;
    Links links_;
};

} // namespace richmarkup::tool
