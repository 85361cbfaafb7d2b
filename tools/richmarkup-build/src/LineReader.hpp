#pragma once

#include "JsonOpening.hpp"

#include <cstddef>
#include <string>
#include <vector>

namespace richmarkup::tool {

/// Reads a file or standard input one line at a time, in large pieces, so that a stream of any
/// length is read in constant memory (beyond its longest line). A line ends at "\n"; a "\r"
/// before it is dropped, and a last line without "\n" counts.
///
/// A line whose first byte (past blanks) can start no JSON is no document however long it is:
/// its opening (a few KiB) is given at once, cut, and the rest is read past without being kept,
/// so a line of endless zeros costs no memory and gets its error while it is still being read.
class LineReader {
public:
    /// path: a file, or "-" for standard input. Throws std::runtime_error("cannot read PATH: why").
    explicit LineReader(std::string const& path);
    ~LineReader();
    LineReader(LineReader const&) = delete;
    LineReader& operator=(LineReader const&) = delete;

    /// The next line and its number (from 1); false at the end. Throws as the constructor does.
    bool next(std::string& line, std::size_t& number);
    /// Whether the line last given was cut short (only its opening, see above).
    bool cut() const noexcept { return cut_; }

private:
    bool fill();
    // Reads past the rest of a cut line, up to and including its "\n".
    void skipRestOfLine();
    // Whether the line being read, `seen` bytes of it so far, starts as no JSON does.
    bool lineIsHopeless(std::size_t seen);

    std::string name_;
    int fd_ = -1;
    bool ownsFd_ = false;
    std::vector<char> buffer_;
    std::size_t begin_ = 0;
    std::size_t end_ = 0;
    bool atEnd_ = false;
    std::size_t lineNumber_ = 0;
    bool cut_ = false;
    struct {
        JsonOpening kind;
        std::size_t scanned; // bytes of the current line looked at while it was blank
    } opening_{JsonOpening::Blank, 0};
};

} // namespace richmarkup::tool
