#include "LineReader.hpp"

#include "InputError.hpp"
#include "JsonOpening.hpp"

#include <richmarkup/formats/PrintableText.hpp>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>

namespace richmarkup::tool {

namespace {

constexpr std::size_t kPiece = 1 << 20;

[[noreturn]] void cannotRead(std::string const& name, int error) {
    throw InputError("cannot read " + formats::text::printableText(name) + ": " + std::strerror(error));
}

} // namespace

LineReader::LineReader(std::string const& path) : name_(path == "-" ? "<stdin>" : path), buffer_(kPiece) {
    if (path == "-") {
        fd_ = STDIN_FILENO;
        return;
    }
    fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd_ < 0) {
        cannotRead(name_, errno);
    }
    ownsFd_ = true;
    struct stat status {};
    if (::fstat(fd_, &status) == 0 && S_ISDIR(status.st_mode)) {
        ::close(fd_);
        fd_ = -1;
        cannotRead(name_, EISDIR);
    }
}

LineReader::~LineReader() {
    if (ownsFd_ && fd_ >= 0) {
        ::close(fd_);
    }
}

// Moves what is left to the front and reads more behind it; false when nothing more came.
bool LineReader::fill() {
    if (atEnd_) {
        return false;
    }
    if (begin_ > 0) {
        std::memmove(buffer_.data(), buffer_.data() + begin_, end_ - begin_);
        end_ -= begin_;
        begin_ = 0;
    }
    if (end_ == buffer_.size()) {
        buffer_.resize(buffer_.size() * 2); // a line longer than the buffer
    }
    for (;;) {
        ssize_t const got = ::read(fd_, buffer_.data() + end_, buffer_.size() - end_);
        if (got > 0) {
            end_ += static_cast<std::size_t>(got);
            return true;
        }
        if (got == 0) {
            atEnd_ = true;
            return false;
        }
        if (errno != EINTR) {
            cannotRead(name_, errno);
        }
    }
}

void LineReader::skipRestOfLine() {
    for (;;) {
        auto const* newline = static_cast<char const*>(std::memchr(buffer_.data() + begin_, '\n', end_ - begin_));
        if (newline != nullptr) {
            begin_ = static_cast<std::size_t>(newline - buffer_.data()) + 1;
            return;
        }
        begin_ = end_; // all of it is the cut line's: nothing to keep
        if (!fill()) {
            return;
        }
    }
}

bool LineReader::lineIsHopeless(std::size_t seen) {
    // Only the bytes not looked at yet: a long blank opening is scanned once.
    if (opening_.kind == JsonOpening::Blank) {
        opening_.kind =
            openingOf(std::string_view(buffer_.data() + begin_ + opening_.scanned, seen - opening_.scanned));
        opening_.scanned = seen;
    }
    return opening_.kind == JsonOpening::Hopeless;
}

bool LineReader::next(std::string& line, std::size_t& number) {
    if (cut_) {
        skipRestOfLine();
        cut_ = false;
    }
    std::size_t searched = begin_;
    for (;;) {
        auto const* start = buffer_.data() + searched;
        auto const* newline = static_cast<char const*>(std::memchr(start, '\n', end_ - searched));
        if (newline != nullptr) {
            std::size_t const stop = static_cast<std::size_t>(newline - buffer_.data());
            std::size_t length = stop - begin_;
            if (length > 0 && buffer_[begin_ + length - 1] == '\r') {
                --length;
            }
            line.assign(buffer_.data() + begin_, length);
            begin_ = stop + 1;
            number = ++lineNumber_;
            opening_ = {JsonOpening::Blank, 0};
            return true;
        }
        std::size_t const seen = end_ - begin_;
        if (seen > kHopelessOpening && lineIsHopeless(seen)) {
            // No document: its opening is enough for the error; the rest is passed over later.
            line.assign(buffer_.data() + begin_, kHopelessOpening);
            begin_ += kHopelessOpening;
            cut_ = true;
            number = ++lineNumber_;
            opening_ = {JsonOpening::Blank, 0};
            return true;
        }
        if (!fill()) {
            if (begin_ == end_) {
                return false;
            }
            line.assign(buffer_.data() + begin_, end_ - begin_); // the last line, without "\n"
            if (!line.empty() && line.back() == '\r') {
                line.pop_back();
            }
            begin_ = end_;
            number = ++lineNumber_;
            opening_ = {JsonOpening::Blank, 0};
            return true;
        }
        searched = begin_ + seen; // fill moved the rest to the front
    }
}

} // namespace richmarkup::tool
