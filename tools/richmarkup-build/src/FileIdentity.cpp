#include "FileIdentity.hpp"

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <system_error>

namespace richmarkup::tool {

std::optional<FileIdentity> FileIdentity::of(std::string const& path) {
    struct stat status {};
    int const result = path == "-" ? ::fstat(STDIN_FILENO, &status) : ::stat(path.c_str(), &status);
    if (result != 0) {
        return std::nullopt;
    }
    return FileIdentity{status.st_dev, status.st_ino};
}

bool FileIdentity::samePlace(std::string const& a, std::string const& b) {
    auto const first = of(a);
    auto const second = of(b);
    if (first || second) {
        return first && second && *first == *second;
    }
    // Neither exists yet: the same path once "." and ".." and links in its folders are resolved.
    // Made absolute first: a relative path with no existing part would stay as it is.
    std::error_code error;
    auto const resolved = [&](std::string const& path) {
        auto const absolute = std::filesystem::absolute(path, error);
        return error ? absolute : std::filesystem::weakly_canonical(absolute, error);
    };
    auto const left = resolved(a);
    auto const right = resolved(b);
    return !error && left == right;
}

} // namespace richmarkup::tool
