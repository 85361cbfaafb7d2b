#include <richmarkup/host/DeclarativeServices.hpp>
#include <richmarkup/host/HostError.hpp>

#include "ElfDependencies.hpp"

#include <cppmicroservices/Any.h>
#include <cppmicroservices/Bundle.h>

#include <dlfcn.h>

#include <exception>
#include <system_error>

namespace richmarkup::host {

namespace {

// The libraries the bundle needs from its own folder. CppMicroServices installs its DS
// bundle without a RUNPATH, so a dependency beside it (libusAsyncWorkService.so) loads only
// when it is loaded already: load it first, globally, for the loader to find by its name.
void preloadNeighbours(std::filesystem::path const& bundle) {
    for (auto const& name : elfDependencies(bundle)) {
        auto const neighbour = bundle.parent_path() / name;
        std::error_code error;
        if (!std::filesystem::is_regular_file(neighbour, error)) {
            continue; // a system library, which the loader finds itself
        }
        // Kept loaded for the life of the process, as the bundle that needs it is.
        if (dlopen(neighbour.c_str(), RTLD_NOW | RTLD_GLOBAL) == nullptr) {
            char const* reason = dlerror();
            throw HostError("cannot load " + neighbour.string() + ", which the Declarative Services bundle needs: " +
                            (reason != nullptr ? reason : "unknown error"));
        }
    }
}

} // namespace

bool DeclarativeServices::runs(cppmicroservices::BundleContext context) {
    auto const builtIn = context.GetProperty(builtInProperty);
    if (!builtIn.Empty() && builtIn.Type() == typeid(bool) && cppmicroservices::any_cast<bool>(builtIn)) {
        return true;
    }
    for (auto const& bundle : context.GetBundles()) {
        if (bundle.GetSymbolicName() == bundleSymbolicName &&
            bundle.GetState() == cppmicroservices::Bundle::STATE_ACTIVE) {
            return true;
        }
    }
    return false;
}

void DeclarativeServices::ensure(cppmicroservices::BundleContext context, std::filesystem::path bundle) {
    if (runs(context)) {
        return;
    }
    if (bundle.empty()) {
        bundle = defaultBundle();
    }
    if (bundle.empty()) {
        throw HostError("the framework does not run Declarative Services and no Declarative Services bundle was named");
    }
    std::error_code error;
    if (!std::filesystem::is_regular_file(bundle, error)) {
        throw HostError("the framework does not run Declarative Services, and its bundle " + bundle.string() +
                        " does not exist");
    }
    preloadNeighbours(bundle);
    try {
        for (auto& installed : context.InstallBundles(bundle.string())) {
            installed.Start();
        }
    } catch (std::exception const& e) {
        throw HostError("cannot start the Declarative Services bundle " + bundle.string() + ": " + e.what());
    }
}

std::filesystem::path DeclarativeServices::defaultBundle() {
#ifdef RICHMARKUP_DS_BUNDLE
    return RICHMARKUP_DS_BUNDLE;
#else
    return {};
#endif
}

} // namespace richmarkup::host
