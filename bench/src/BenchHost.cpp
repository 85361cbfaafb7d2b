#include "BenchHost.hpp"

#include <foundation/json/ReadAheadStream.hpp>

#include <foundation/cppmicroservices/FrameworkAccess.hpp>

#include <cppmicroservices/Bundle.h>
#include <cppmicroservices/BundleContext.h>
#include <cppmicroservices/FrameworkEvent.h>
#include <cppmicroservices/FrameworkFactory.h>

#include <chrono>
#include <stdexcept>

namespace richmarkup::bench {

std::vector<std::string> builtBundles() { return {CODE_BUNDLE_FILE, RICHTEXT_BUNDLE_FILE}; }

BenchHost::BenchHost(std::vector<std::string> const& bundleFiles, foundation::json::ReadAhead readAhead)
    : framework_(std::make_shared<cppmicroservices::Framework>(cppmicroservices::FrameworkFactory().NewFramework())),
      readAhead_(readAhead) {
    framework_->Init();
    framework_->Start();
    auto context = framework_->GetBundleContext();
    for (std::string const& file : bundleFiles) {
        for (auto& bundle : context.InstallBundles(file)) {
            bundle.Start();
        }
    }
    foundation::cppmicroservices::setFramework(framework_);
}

BenchHost::~BenchHost() {
    foundation::cppmicroservices::setFramework({});
    framework_->Stop();
    framework_->WaitForStop(std::chrono::seconds(10));
}

std::vector<std::shared_ptr<richmarkup::build::json::NodeBuilder>> BenchHost::blockBuilders() const {
    // One snapshot of the block builders serves the whole document, as in the tool.
    auto context = framework_->GetBundleContext();
    std::vector<std::shared_ptr<richmarkup::build::json::NodeBuilder>> builders;
    for (auto const& reference : context.GetServiceReferences<richmarkup::build::json::NodeBuilder>()) {
        if (auto builder = context.GetService(reference)) {
            builders.push_back(std::move(builder));
        }
    }
    return builders;
}

namespace {

bool buildOne(std::vector<std::shared_ptr<richmarkup::build::json::NodeBuilder>> const& builders,
              vx::zero::Model const& model, foundation::json::Value const& element,
              std::vector<document::vxzero::Node>& nodes) {
    for (auto const& builder : builders) {
        if (builder->canBuild(element)) {
            nodes.push_back(builder->build(model, element));
            return true;
        }
    }
    return false;
}

} // namespace

std::size_t BenchHost::build(vx::zero::Model const& model, foundation::json::Value const& document,
                             std::vector<document::vxzero::Node>& nodes) const {
    auto const builders = blockBuilders();
    if (document.isObject()) {
        return buildOne(builders, model, document, nodes) ? 0 : 1;
    }
    std::size_t skipped = 0;
    for (foundation::json::Value const& element : document.asArray()) {
        skipped += buildOne(builders, model, element, nodes) ? 0 : 1;
    }
    return skipped;
}

std::size_t BenchHost::build(vx::zero::Model const& model, foundation::json::ElementStream& document,
                             std::vector<document::vxzero::Node>& nodes) const {
    auto const builders = blockBuilders();
    std::size_t skipped = 0;
    foundation::json::forEachElement(document, readAhead_, [&](foundation::json::Value const& element) {
        skipped += buildOne(builders, model, element, nodes) ? 0 : 1;
    });
    return skipped;
}

} // namespace richmarkup::bench
