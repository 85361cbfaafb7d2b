#pragma once

#include <functional>
#include <ostream>
#include <string>

namespace richmarkup::tool {

/// Where `-o PATH` writes, and how, so that no output is lost or misplaced:
/// - "-" is standard output;
/// - a regular file or a new path is written whole or not at all (AtomicOutputFile);
/// - a symbolic link is followed: the link stays, the file it names gets the output;
/// - a FIFO, a device or any other file that is not regular is opened and written directly;
/// - a directory is an error.
/// Every failure is std::runtime_error("cannot write NAME: why"); nothing counts as written
/// that was not flushed.
class OutputTarget {
public:
    static constexpr char const* standardOutputName = "<stdout>";

    /// path: as given to -o; out: standard output.
    OutputTarget(std::string path, std::ostream& out);

    void write(std::function<void(std::ostream&)> const& writer) const;

    /// Writes to standard output and checks that it all went out.
    static void writeStandardOutput(std::ostream& out, std::function<void(std::ostream&)> const& writer);

private:
    std::string path_;
    std::ostream& out_;
};

} // namespace richmarkup::tool
