#include "LineReader.hpp"

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
    throw std::runtime_error("cannot read " + name + ": " + std::strerror(error));
}

} // namespace

LineReader::LineReader(std::string const& path)
    : name_(path == "-" ? "<stdin>" : path), buffer_(kPiece) {
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
        buffer_.resize(buffer_.size() * 2);  // a line longer than the buffer
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

bool LineReader::next(std::string& line, std::size_t& number) {
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
            return true;
        }
        std::size_t const seen = end_ - begin_;
        if (!fill()) {
            if (begin_ == end_) {
                return false;
            }
            line.assign(buffer_.data() + begin_, end_ - begin_);  // the last line, without "\n"
            if (!line.empty() && line.back() == '\r') {
                line.pop_back();
            }
            begin_ = end_;
            number = ++lineNumber_;
            return true;
        }
        searched = begin_ + seen;  // fill moved the rest to the front
    }
}

} // namespace richmarkup::tool
