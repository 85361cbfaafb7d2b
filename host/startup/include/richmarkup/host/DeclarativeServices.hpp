#pragma once

#include <richmarkup/host/Export.hpp>

#include <cppmicroservices/BundleContext.h>

#include <filesystem>

namespace richmarkup::host {

/// Makes sure a framework runs Declarative Services before the project's bundles start. The
/// bundled runtime runs it inside the framework; a CppMicroServices framework runs it in a
/// bundle of its own, which is installed and started here.
class RICHMARKUP_HOST_EXPORT DeclarativeServices {
public:
    /// The framework property by which a runtime says that it runs Declarative Services itself.
    static constexpr char const* builtInProperty = "richmarkup.runtime.declarative_services";
    /// The symbolic name of CppMicroServices' Declarative Services bundle.
    static constexpr char const* bundleSymbolicName = "declarative_services";

    /// True when the framework runs Declarative Services itself or an active bundle does.
    static bool runs(cppmicroservices::BundleContext context);

    /// Installs and starts the Declarative Services bundle unless it runs already. bundle:
    /// its file; empty: defaultBundle(). \throws HostError when it is needed but cannot be
    /// found, installed or started.
    static void ensure(cppmicroservices::BundleContext context, std::filesystem::path bundle);

    /// The bundle of the CppMicroServices install the host was built with; empty when the
    /// host was built for the bundled runtime.
    static std::filesystem::path defaultBundle();
};

} // namespace richmarkup::host
