#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace richmarkup::host {

/// How a DocumentHost uses the machine while it builds: choices of speed, which never change
/// what it builds. The defaults suit a process that builds one long document at a time.
struct PerformanceOptions {
    /// Converts and checks a long streamed document's next elements on a second thread while
    /// the calling thread builds, when the machine has a second core; that thread also maps the
    /// pages the builders will fill next. Off: all of it on the calling thread, for a process
    /// that builds on every core already.
    bool readAhead = true;
    /// Every few elements, the thread that converts them (the second one, with readAhead) maps
    /// the pages the process's main heap has grown into, before the builders get to them. It
    /// pays where malloc grows the heap in large steps (glibc's `glibc.malloc.top_pad` raised to
    /// a few MiB); where it grows in small steps little is mapped.
    bool heapAhead = true;
};

/// How a DocumentHost sets its framework up, and how it builds.
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
    /// How fast, and on how many threads, documents are built.
    PerformanceOptions performance;
};

} // namespace richmarkup::host
