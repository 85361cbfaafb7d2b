#include <richmarkup/test/RunningFramework.hpp>

#include <foundation/cppmicroservices/FrameworkAccess.hpp>
#include <richmarkup/host/DeclarativeServices.hpp>

#include <cppmicroservices/FrameworkEvent.h>
#include <cppmicroservices/FrameworkFactory.h>

#include <chrono>

namespace richmarkup::test {

RunningFramework::RunningFramework(std::vector<std::string> const& bundleFiles)
    : framework_(std::make_shared<cppmicroservices::Framework>(cppmicroservices::FrameworkFactory().NewFramework())) {
    framework_->Init();
    framework_->Start();
    richmarkup::host::DeclarativeServices::ensure(framework_->GetBundleContext(), {});
    for (std::string const& file : bundleFiles) {
        for (auto& bundle : framework_->GetBundleContext().InstallBundles(file)) {
            bundles_.push_back(bundle);
        }
    }
    for (auto& bundle : bundles_) {
        bundle.Start();
    }
    foundation::cppmicroservices::setFramework(framework_);
}

RunningFramework::~RunningFramework() {
    foundation::cppmicroservices::setFramework({});
    framework_->Stop();
    framework_->WaitForStop(std::chrono::seconds(10));
}

cppmicroservices::BundleContext RunningFramework::context() const { return framework_->GetBundleContext(); }

} // namespace richmarkup::test
