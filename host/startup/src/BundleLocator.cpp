#include <richmarkup/host/BundleLocator.hpp>

#include <dlfcn.h>

#include <algorithm>
#include <system_error>

#ifndef RICHMARKUP_INSTALL_LIBDIR
#define RICHMARKUP_INSTALL_LIBDIR ""
#endif

namespace richmarkup::host {

namespace fs = std::filesystem;

namespace {

fs::path executableDirectory() {
    std::error_code error;
    fs::path const exe = fs::read_symlink("/proc/self/exe", error);
    return error ? fs::path() : exe.parent_path();
}

// The directory of the shared library this code is in: the tree (build or install) that an
// embedding program links against holds the bundles beside it.
fs::path hostLibraryDirectory() {
    Dl_info info{};
    if (dladdr(reinterpret_cast<void const*>(&hostLibraryDirectory), &info) == 0 || info.dli_fname == nullptr) {
        return {};
    }
    std::error_code error;
    fs::path const library = fs::canonical(info.dli_fname, error);
    return error ? fs::path() : library.parent_path();
}

} // namespace

BundleLocator::BundleLocator(std::vector<fs::path> directories)
    : directories_(directories.empty() ? defaultDirectories() : std::move(directories)) {}

std::vector<fs::path> BundleLocator::defaultDirectories() {
    std::vector<fs::path> candidates;
    if (fs::path const exe = executableDirectory(); !exe.empty()) {
        candidates.push_back(exe);
        candidates.push_back((exe / ".." / "lib").lexically_normal());
        candidates.push_back((exe / ".." / "lib" / "richmarkup").lexically_normal());
    }
    if (fs::path const lib = hostLibraryDirectory(); !lib.empty()) {
        candidates.push_back(lib);
    }
    if (fs::path const configured = RICHMARKUP_INSTALL_LIBDIR; !configured.empty()) {
        candidates.push_back(configured);
    }
    std::vector<fs::path> unique;
    for (auto& candidate : candidates) {
        if (std::find(unique.begin(), unique.end(), candidate) == unique.end()) {
            unique.push_back(std::move(candidate));
        }
    }
    return unique;
}

std::optional<fs::path> BundleLocator::find(std::string const& fileName) const {
    for (auto const& directory : directories_) {
        fs::path candidate = directory / fileName;
        std::error_code error;
        if (fs::is_regular_file(candidate, error)) {
            return candidate;
        }
    }
    return std::nullopt;
}

} // namespace richmarkup::host
