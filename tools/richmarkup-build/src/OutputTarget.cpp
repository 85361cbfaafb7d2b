#include "OutputTarget.hpp"

#include "AtomicOutputFile.hpp"
#include "DescriptorStream.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <stdexcept>
#include <system_error>

namespace richmarkup::tool {

namespace {

namespace fs = std::filesystem;

[[noreturn]] void fail(std::string const& name, std::string const& why) {
    throw std::runtime_error("cannot write " + name + ": " + why);
}

} // namespace

std::string OutputTarget::followLinks(std::string const& path) {
    fs::path current(path);
    for (int hops = 0; hops < 40; ++hops) {
        std::error_code error;
        if (!fs::is_symlink(fs::symlink_status(current, error))) {
            return current.string();
        }
        fs::path const target = fs::read_symlink(current, error);
        if (error) {
            fail(path, error.message());
        }
        current = target.is_absolute() ? target : current.parent_path() / target;
    }
    fail(path, std::strerror(ELOOP));
}

namespace {

void checkFlushed(std::ostream& stream, std::string const& name) {
    errno = 0;
    stream.flush();
    if (!stream) {
        int const kept = DescriptorBuffer::errorOf(stream);
        int const error = kept != 0 ? kept : errno;
        fail(name, error != 0 ? std::strerror(error) : "write failed");
    }
}

// The number after `prefix` in `path`, if that is all there is.
std::optional<int> numberAfter(std::string const& path, std::string const& prefix) {
    if (path.rfind(prefix, 0) != 0 || path.size() == prefix.size() || path.size() - prefix.size() > 9 ||
        path.find_first_not_of("0123456789", prefix.size()) != std::string::npos) {
        return std::nullopt;
    }
    return std::stoi(path.substr(prefix.size()));
}

} // namespace

OutputTarget::OutputTarget(std::string path, std::ostream& out, Links links)
    : path_(std::move(path)), out_(out), links_(links) {}

std::optional<int> OutputTarget::descriptorNamed(std::string const& path) {
    if (path == "/dev/stdout") {
        return 1;
    }
    if (path == "/dev/stderr") {
        return 2;
    }
    if (auto const fd = numberAfter(path, "/dev/fd/")) {
        return fd;
    }
    return numberAfter(path, "/proc/self/fd/");
}

void OutputTarget::writeStandardOutput(std::ostream& out, std::function<void(std::ostream&)> const& writer) {
    writer(out);
    checkFlushed(out, standardOutputName);
}

void OutputTarget::write(std::function<void(std::ostream&)> const& writer) const {
    if (path_ == "-") {
        writeStandardOutput(out_, writer);
        return;
    }
    if (auto const fd = descriptorNamed(path_)) {
        if (*fd == 1) {
            writeStandardOutput(out_, writer); // in step with what else goes there
            return;
        }
        DescriptorStream stream(*fd);
        writer(stream);
        checkFlushed(stream, path_);
        return;
    }
    std::string const target = links_ == Links::Follow ? followLinks(path_) : path_;
    struct stat status {};
    if (links_ == Links::Replace && ::lstat(target.c_str(), &status) == 0 && S_ISLNK(status.st_mode)) {
        AtomicOutputFile file(target, path_); // renamed over the link, not through it
        writer(file.stream());
        file.commit();
        return;
    }
    if (::stat(target.c_str(), &status) != 0 || S_ISREG(status.st_mode)) {
        AtomicOutputFile file(target, path_);
        writer(file.stream());
        file.commit();
        return;
    }
    if (S_ISDIR(status.st_mode)) {
        fail(path_, "it is a directory");
    }
    // A FIFO's reader or a device takes the bytes as they come; there is nothing to replace.
    int const fd = ::open(target.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd < 0) {
        fail(path_, std::strerror(errno));
    }
    {
        DescriptorStream direct(fd);
        writer(direct);
        try {
            checkFlushed(direct, path_);
        } catch (...) {
            ::close(fd);
            throw;
        }
    }
    if (::close(fd) != 0) {
        fail(path_, std::strerror(errno));
    }
}

} // namespace richmarkup::tool
