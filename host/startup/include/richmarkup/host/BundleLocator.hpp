#pragma once

#include <richmarkup/host/Export.hpp>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace richmarkup::host {

/// Finds the project's bundle files in a list of directories, first match wins.
class RICHMARKUP_HOST_EXPORT BundleLocator {
public:
    static constexpr char const* richtextBundleFile = "libztrichmarkup_build_json_richtext.so";
    static constexpr char const* codeBundleFile = "libztrichmarkup_build_json_code.so";

    /// Empty: the default directories.
    explicit BundleLocator(std::vector<std::filesystem::path> directories = {});

    /// Beside the running executable, its ../lib and ../lib/richmarkup, the directory of the host
    /// library itself (so an embedding program finds the bundles of the tree it links against),
    /// and the configured install libdir. Duplicates dropped, order kept.
    static std::vector<std::filesystem::path> defaultDirectories();

    std::optional<std::filesystem::path> find(std::string const& fileName) const;
    std::vector<std::filesystem::path> const& directories() const noexcept { return directories_; }

private:
    std::vector<std::filesystem::path> directories_;
};

} // namespace richmarkup::host
