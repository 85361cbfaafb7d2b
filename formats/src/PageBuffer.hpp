#pragma once

#include <cstddef>
#include <ostream>
#include <string>

namespace richmarkup::formats {

/// The text a writer makes, handed to its stream in large pieces: the stream is called once a
/// piece rather than once a node, and memory stays bounded however large the page.
class PageBuffer {
public:
    /// Large enough that a stream with a buffer of its own passes the piece straight through.
    static constexpr std::size_t pieceSize = 256 * 1024;

    explicit PageBuffer(std::ostream& out) : out_(out) { text_.reserve(pieceSize + pieceSize / 4); }
    PageBuffer(PageBuffer const&) = delete;
    PageBuffer& operator=(PageBuffer const&) = delete;
    ~PageBuffer() = default;

    std::string& text() noexcept { return text_; }

    void flushIfLarge() {
        if (text_.size() >= pieceSize) {
            flush();
        }
    }
    void flush() {
        if (!text_.empty()) {
            out_.write(text_.data(), static_cast<std::streamsize>(text_.size()));
            text_.clear();
        }
    }

private:
    std::ostream& out_;
    std::string text_;
};

} // namespace richmarkup::formats
