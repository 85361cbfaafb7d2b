#pragma once

#include <cstddef>
#include <fstream>
#include <memory>
#include <string>

namespace richmarkup::bench {

/// Writes the message of every record on the Boost.Log core as one line of a file, through
/// a buffered std::ofstream, the way the tool's record file does. Installed while it lives.
class LineFileSink {
public:
    explicit LineFileSink(std::string const& path);
    ~LineFileSink();
    LineFileSink(LineFileSink const&) = delete;
    LineFileSink& operator=(LineFileSink const&) = delete;

    /// Starts writing at the beginning of the file again, so repeated runs need no more
    /// disk than one.
    void rewind();
    std::size_t records() const noexcept;
    std::size_t bytes() const noexcept;

private:
    struct State;
    std::unique_ptr<State> state_;
};

} // namespace richmarkup::bench
