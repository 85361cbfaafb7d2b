#pragma once

#include <cppmicroservices/Bundle.h>
#include <cppmicroservices/BundleContext.h>
#include <cppmicroservices/Framework.h>

#include <memory>
#include <string>
#include <vector>

namespace richmarkup::test {

/// A started framework with the given bundle files installed and started, published
/// through foundation::cppmicroservices::getFramework() while it lives.
class RunningFramework {
public:
    explicit RunningFramework(std::vector<std::string> const& bundleFiles = {});
    ~RunningFramework();
    RunningFramework(RunningFramework const&) = delete;
    RunningFramework& operator=(RunningFramework const&) = delete;

    cppmicroservices::BundleContext context() const;
    std::shared_ptr<cppmicroservices::Framework> const& framework() const noexcept { return framework_; }
    std::vector<cppmicroservices::Bundle> const& bundles() const noexcept { return bundles_; }

    /// Services of one interface in the framework's order.
    template <class S>
    std::vector<std::shared_ptr<S>> services(std::string const& filter = std::string()) const {
        std::vector<std::shared_ptr<S>> found;
        auto ctx = context();
        for (auto const& reference : ctx.template GetServiceReferences<S>(filter)) {
            if (auto service = ctx.GetService(reference)) {
                found.push_back(std::move(service));
            }
        }
        return found;
    }

private:
    std::shared_ptr<cppmicroservices::Framework> framework_;
    std::vector<cppmicroservices::Bundle> bundles_;
};

} // namespace richmarkup::test
