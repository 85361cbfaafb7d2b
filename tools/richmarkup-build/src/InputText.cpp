#include "InputText.hpp"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <utility>

namespace richmarkup::tool {

namespace {

[[noreturn]] void cannotRead(std::string const& path, int error) {
    throw std::runtime_error("cannot read " + path + ": " + std::strerror(error));
}

struct FileDescriptor {
    int fd;
    ~FileDescriptor() {
        if (fd >= 0) {
            ::close(fd);
        }
    }
};

} // namespace

InputText InputText::read(std::string const& path) {
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
    if (S_ISREG(status.st_mode) && size > 0) {
        long const page = ::sysconf(_SC_PAGESIZE);
        auto const pageSize = static_cast<std::size_t>(page > 0 ? page : 4096);
        std::size_t const mapped = (size + pageSize - 1) / pageSize * pageSize;
        // Private: the parser's writes (a byte or two, put back) stay in this process's copy of
        // a page, and a file changed meanwhile by someone else is their race, as with read(2);
        // the pages past the end of the file read as zeros. Not populated here: the parser
        // maps a large text's pages on a second core while it reads the first ones.
        void* const mapping = ::mmap(nullptr, mapped, PROT_READ | PROT_WRITE, MAP_PRIVATE, file.fd, 0);
        if (mapping != MAP_FAILED) {
            input.mapping_ = mapping;
            input.mappedBytes_ = mapped;
            input.text_ = std::string_view(static_cast<char const*>(mapping), size);
            input.readableBeyondEnd_ = mapped - size;
            return input;
        }
    }
    // Pipes, devices, empty or unmappable files: read until the end.
    char buffer[1 << 16];
    for (;;) {
        ssize_t const got = ::read(file.fd, buffer, sizeof buffer);
        if (got == 0) {
            break;
        }
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            cannotRead(path, errno);
        }
        input.owned_.append(buffer, static_cast<std::size_t>(got));
    }
    input.text_ = input.owned_;
    return input;
}

InputText::InputText(InputText&& other) noexcept
    : mapping_(std::exchange(other.mapping_, nullptr)),
      mappedBytes_(std::exchange(other.mappedBytes_, 0)),
      owned_(std::move(other.owned_)),
      text_(mapping_ != nullptr ? other.text_ : std::string_view(owned_)),
      readableBeyondEnd_(std::exchange(other.readableBeyondEnd_, 0)) {
    other.text_ = {};
}

InputText& InputText::operator=(InputText&& other) noexcept {
    if (this != &other) {
        unmap();
        mapping_ = std::exchange(other.mapping_, nullptr);
        mappedBytes_ = std::exchange(other.mappedBytes_, 0);
        owned_ = std::move(other.owned_);
        text_ = mapping_ != nullptr ? other.text_ : std::string_view(owned_);
        readableBeyondEnd_ = std::exchange(other.readableBeyondEnd_, 0);
        other.text_ = {};
    }
    return *this;
}

InputText::~InputText() { unmap(); }

void InputText::unmap() noexcept {
    if (mapping_ != nullptr) {
        ::munmap(mapping_, mappedBytes_);
        mapping_ = nullptr;
    }
}

} // namespace richmarkup::tool
