#include "AtomicOutputFile.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <vector>

namespace richmarkup::tool {

namespace {

// The mode a new file would get: 0666 less the umask (which can only be read by setting it).
mode_t newFileMode() {
    mode_t const mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

std::string directoryOf(std::string const& path) {
    std::size_t const slash = path.rfind('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? std::string("/") : path.substr(0, slash);
}

std::string baseNameOf(std::string const& path) {
    std::size_t const slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

} // namespace

AtomicOutputFile::AtomicOutputFile(std::string path) : path_(std::move(path)) {
    // Beside the target, so the final rename stays within one file system.
    std::string pattern = directoryOf(path_) + "/." + baseNameOf(path_) + ".tmp-XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    int const fd = ::mkstemp(name.data());
    if (fd < 0) {
        fail(std::strerror(errno));
    }
    temporary_.assign(name.data());
    // mkstemp makes the file private; give it the mode the target has, or a new file would get.
    struct stat existing {};
    mode_t const mode = ::stat(path_.c_str(), &existing) == 0 ? (existing.st_mode & 07777) : newFileMode();
    ::fchmod(fd, mode);
    ::close(fd);
    stream_.open(temporary_, std::ios::binary | std::ios::trunc);
    if (!stream_) {
        int const error = errno;
        std::remove(temporary_.c_str());
        temporary_.clear();
        fail(std::strerror(error));
    }
}

AtomicOutputFile::~AtomicOutputFile() {
    if (!committed_ && !temporary_.empty()) {
        stream_.close();
        std::remove(temporary_.c_str());
    }
}

void AtomicOutputFile::commit() {
    stream_.flush();
    bool const written = static_cast<bool>(stream_);
    stream_.close();
    if (!written || stream_.fail()) {
        fail("write failed");
    }
    int const fd = ::open(temporary_.c_str(), O_RDONLY);
    if (fd >= 0) {
        // The data must be on disk before the name points at it, or a crash could leave an
        // empty file where the old one was.
        ::fsync(fd);
        ::close(fd);
    }
    if (std::rename(temporary_.c_str(), path_.c_str()) != 0) {
        fail(std::strerror(errno));
    }
    committed_ = true;
}

void AtomicOutputFile::fail(std::string const& why) {
    throw std::runtime_error("cannot write " + path_ + ": " + why);
}

} // namespace richmarkup::tool
