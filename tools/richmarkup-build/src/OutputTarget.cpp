#include "OutputTarget.hpp"

#include "AtomicOutputFile.hpp"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <system_error>

namespace richmarkup::tool {

namespace {

namespace fs = std::filesystem;

[[noreturn]] void fail(std::string const& name, std::string const& why) {
    throw std::runtime_error("cannot write " + name + ": " + why);
}

// The file a chain of symbolic links ends at; the last link's target may not exist yet.
std::string followLinks(std::string const& path) {
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

void checkFlushed(std::ostream& stream, std::string const& name) {
    errno = 0;
    stream.flush();
    if (!stream) {
        fail(name, errno != 0 ? std::strerror(errno) : "write failed");
    }
}

} // namespace

OutputTarget::OutputTarget(std::string path, std::ostream& out) : path_(std::move(path)), out_(out) {}

void OutputTarget::writeStandardOutput(std::ostream& out, std::function<void(std::ostream&)> const& writer) {
    writer(out);
    checkFlushed(out, standardOutputName);
}

void OutputTarget::write(std::function<void(std::ostream&)> const& writer) const {
    if (path_ == "-") {
        writeStandardOutput(out_, writer);
        return;
    }
    std::string const target = followLinks(path_);
    struct stat status {};
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
    std::ofstream direct(target, std::ios::binary | std::ios::out);
    if (!direct) {
        fail(path_, std::strerror(errno));
    }
    writer(direct);
    checkFlushed(direct, path_);
    direct.close();
    if (direct.fail()) {
        fail(path_, std::strerror(errno));
    }
}

} // namespace richmarkup::tool
