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
    /// The Declarative Services bundle to install and start first when the framework does not
    /// run Declarative Services itself (a CppMicroServices framework runs it in a bundle of its
    /// own). Empty: the one of the CppMicroServices install the host was built with. Not used
    /// with the bundled runtime, which runs it itself.
    std::filesystem::path declarativeServicesBundle;
};

} // namespace richmarkup::host
