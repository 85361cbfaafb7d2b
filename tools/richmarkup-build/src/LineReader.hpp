#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace richmarkup::tool {

/// Reads a file or standard input one line at a time, in large pieces, so that a stream of any
/// length is read in constant memory (beyond its longest line). A line ends at "\n"; a "\r"
/// before it is dropped, and a last line without "\n" counts.
class LineReader {
public:
    /// path: a file, or "-" for standard input. Throws std::runtime_error("cannot read PATH: why").
    explicit LineReader(std::string const& path);
    ~LineReader();
    LineReader(LineReader const&) = delete;
    LineReader& operator=(LineReader const&) = delete;

    /// The next line and its number (from 1); false at the end. Throws as the constructor does.
    bool next(std::string& line, std::size_t& number);

private:
    bool fill();

    std::string name_;
    int fd_ = -1;
    bool ownsFd_ = false;
    std::vector<char> buffer_;
    std::size_t begin_ = 0;
    std::size_t end_ = 0;
    bool atEnd_ = false;
    std::size_t lineNumber_ = 0;
};

} // namespace richmarkup::tool
