#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace richmarkup::host {

/// How a DocumentHost sets its framework up.
struct HostOptions {
    /// Install and start the code-element bundle; without it code examples have no builders.
    bool codeElements = true;
    /// More bundles to install and start after the two of the project, in this order.
    std::vector<std::string> extraBundles;
    /// Where the project's bundles are looked for, first match wins. Empty: the default places
    /// (BundleLocator::defaultDirectories()).
    std::vector<std::filesystem::path> bundleDirectories;
};

} // namespace richmarkup::host
