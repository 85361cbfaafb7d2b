#pragma once

#include <foundation/cppmicroservices/FrameworkAccess.hpp>

#include <cppmicroservices/BundleContext.h>
#include <cppmicroservices/Framework.h>
#include <cppmicroservices/LDAPFilter.h>
#include <cppmicroservices/ServiceObjects.h>
#include <cppmicroservices/ServiceReference.h>

#include <memory>
#include <vector>

namespace richmarkup::build::json::text {

/// Every service registered under S in the host's running framework, in the framework's
/// order, empty service objects dropped. No running framework gives an empty list.
/// Goes through the framework's own context, not this bundle's: the bundle never needs
/// its own context, and the framework's stays valid while the host runs.
template <class S>
std::vector<std::shared_ptr<S>> lookUpServices() {
    std::vector<std::shared_ptr<S>> services;
    std::shared_ptr<cppmicroservices::Framework> framework = foundation::cppmicroservices::getFramework();
    if (!framework) {
        return services;
    }
    cppmicroservices::BundleContext context = framework->GetBundleContext();
    auto const references = context.GetServiceReferences<S>(cppmicroservices::LDAPFilter().ToString());
    services.reserve(references.size());
    for (auto const& reference : references) {
        std::shared_ptr<S> service = context.GetServiceObjects(reference).GetService();
        if (service) {
            services.push_back(std::move(service));
        }
    }
    return services;
}

} // namespace richmarkup::build::json::text
