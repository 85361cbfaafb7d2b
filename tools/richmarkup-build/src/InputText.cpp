#include "InputText.hpp"

#include "InputError.hpp"
#include "JsonOpening.hpp"

#include <foundation/memory/Pages.hpp>
#include <richmarkup/formats/PrintableText.hpp>

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <utility>

namespace richmarkup::tool {

namespace {

// Smaller files are read into memory. Copying them costs less than a mapping's end does
// where other threads run: unmapping interrupts every core the process runs on to flush its
// address cache, and a batch of small files ends a mapping per file.
constexpr std::size_t kMapFrom = std::size_t(1) << 20;

[[noreturn]] void cannotRead(std::string const& path, int error) {
    throw InputError("cannot read " + formats::text::printableText(path) + ": " + std::strerror(error));
}

struct FileDescriptor {
    int fd;
    ~FileDescriptor() {
        if (fd >= 0) {
            ::close(fd);
        }
    }
    int release() noexcept { return std::exchange(fd, -1); }
};

bool sameFileState(struct stat const& a, struct stat const& b) noexcept {
    return a.st_size == b.st_size && a.st_mtim.tv_sec == b.st_mtim.tv_sec && a.st_mtim.tv_nsec == b.st_mtim.tv_nsec;
}

} // namespace

InputText InputText::read(std::string const& path, Content content) {
    FileDescriptor file{::open(path.c_str(), O_RDONLY | O_CLOEXEC)};
    if (file.fd < 0) {
        cannotRead(path, errno);
    }
    struct stat status {};
    if (::fstat(file.fd, &status) != 0) {
        cannotRead(path, errno);
    }
    if (S_ISDIR(status.st_mode)) {
        cannotRead(path, EISDIR);
    }
    InputText input;
    auto const size = static_cast<std::size_t>(status.st_size);
    if (S_ISREG(status.st_mode) && size >= kMapFrom) {
        std::size_t const pageSize = foundation::memory::pageSize();
        std::size_t const mapped = (size + pageSize - 1) / pageSize * pageSize;
        // Private: the parser's writes (a byte or two, put back) stay in this process's copy of
        // a page; the pages past the end of the file read as zeros. A file cut short meanwhile
        // would end the process at the first page gone, hence the guard. Not populated here:
        // the parser maps a large text's pages on a second core while it reads the first ones.
        void* const mapping = ::mmap(nullptr, mapped, PROT_READ | PROT_WRITE, MAP_PRIVATE, file.fd, 0);
        if (mapping != MAP_FAILED) {
            input.guard_ = MappingGuard::watch(mapping, mapped);
            if (!input.guard_) {
                ::munmap(mapping, mapped); // no guard free: read it, as safe as any pipe
            } else {
                input.mapping_ = mapping;
                input.mappedBytes_ = mapped;
                input.text_ = std::string_view(static_cast<char const*>(mapping), size);
                input.readableBeyondEnd_ = mapped - size;
                input.opened_ = status;
                input.fd_ = file.release();
                if (content == Content::Json) {
                    input.shortenHopelessText();
                }
                return input;
            }
        }
    }
    input.readAll(file.fd, path, content);
    if (S_ISREG(status.st_mode)) {
        input.opened_ = status; // a file written to while it was read still says so
        input.fd_ = file.release();
    }
    return input;
}

InputText InputText::readStandardInput(Content content) {
    InputText input;
    input.readAll(STDIN_FILENO, "standard input", content);
    return input;
}

void InputText::readAll(int fd, std::string const& name, Content content) {
    // Pipes, devices, small, empty or unmappable files: read until the end.
    char buffer[1 << 16];
    JsonOpening opening = content == Content::Json ? JsonOpening::Blank : JsonOpening::Hopeful;
    for (;;) {
        ssize_t const got = ::read(fd, buffer, sizeof buffer);
        if (got == 0) {
            break;
        }
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            cannotRead(name, errno);
        }
        owned_.append(buffer, static_cast<std::size_t>(got));
        if (opening == JsonOpening::Blank) {
            opening = openingOf(std::string_view(owned_).substr(owned_.size() - static_cast<std::size_t>(got)));
            if (opening == JsonOpening::Hopeless) {
                break;
            }
        }
    }
    text_ = owned_;
    if (content == Content::Json) {
        shortenHopelessText();
    }
}

void InputText::shortenHopelessText() noexcept {
    std::size_t const first = text_.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos || canStartJson(static_cast<unsigned char>(text_[first]))) {
        return;
    }
    std::size_t const kept = std::min(text_.size(), first + kHopelessOpening);
    readableBeyondEnd_ += text_.size() - kept;
    text_ = text_.substr(0, kept);
    if (mapping_ == nullptr) {
        owned_.resize(kept);
        text_ = owned_;
        readableBeyondEnd_ = 0;
    }
}

bool InputText::changed() const {
    if (guard_ && guard_->faulted()) {
        return true;
    }
    struct stat now {};
    return fd_ >= 0 && ::fstat(fd_, &now) == 0 && !sameFileState(now, opened_);
}

InputText::InputText(InputText&& other) noexcept
    : mapping_(std::exchange(other.mapping_, nullptr)), mappedBytes_(std::exchange(other.mappedBytes_, 0)),
      owned_(std::move(other.owned_)), text_(mapping_ != nullptr ? other.text_ : std::string_view(owned_)),
      readableBeyondEnd_(std::exchange(other.readableBeyondEnd_, 0)), guard_(std::move(other.guard_)),
      fd_(std::exchange(other.fd_, -1)), opened_(other.opened_) {
    other.text_ = {};
    other.guard_.reset();
}

InputText& InputText::operator=(InputText&& other) noexcept {
    if (this != &other) {
        unmap();
        mapping_ = std::exchange(other.mapping_, nullptr);
        mappedBytes_ = std::exchange(other.mappedBytes_, 0);
        owned_ = std::move(other.owned_);
        text_ = mapping_ != nullptr ? other.text_ : std::string_view(owned_);
        readableBeyondEnd_ = std::exchange(other.readableBeyondEnd_, 0);
        guard_ = std::move(other.guard_);
        other.guard_.reset();
        fd_ = std::exchange(other.fd_, -1);
        opened_ = other.opened_;
        other.text_ = {};
    }
    return *this;
}

InputText::~InputText() { unmap(); }

void InputText::unmap() noexcept {
    guard_.reset();
    if (mapping_ != nullptr) {
        ::munmap(mapping_, mappedBytes_);
        mapping_ = nullptr;
    }
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
}

} // namespace richmarkup::tool
