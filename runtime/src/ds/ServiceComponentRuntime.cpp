#include "ServiceComponentRuntime.hpp"

#include "ComponentManager.hpp"
#include "MetadataParser.hpp"
#include "framework/BundlePrivate.hpp"
#include "framework/FrameworkPrivate.hpp"

namespace cppmicroservices::scr {

ServiceComponentRuntime::ServiceComponentRuntime(FrameworkPrivate& framework) : framework_(framework) {}

ServiceComponentRuntime::~ServiceComponentRuntime() = default;

void ServiceComponentRuntime::BundleStarted(std::shared_ptr<BundlePrivate> const& bundle)
{
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  BundleMetadata metadata = MetadataParser::Parse(bundle->symbolicName, bundle->headers);
  for (auto const& error : metadata.errors) {
    framework_.Log(error);
  }
  if (metadata.components.empty()) {
    return;
  }
  auto& managers = bundles_[bundle->id];
  for (auto& component : metadata.components) {
    managers.push_back(
      std::make_shared<ComponentManager>(*this, framework_, bundle, std::move(component), nextComponentId_++));
  }
  // All of them receive events from here on; each looks up what already exists when enabled.
  auto const started = managers;
  for (auto const& manager : started) {
    if (manager->Metadata().enabled) {
      manager->Enable();
    }
  }
}

void ServiceComponentRuntime::BundleStopping(BundlePrivate& bundle)
{
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  auto const it = bundles_.find(bundle.id);
  if (it == bundles_.end()) {
    return;
  }
  // Disabled while still listed, so that the bundle's own components see each other go.
  auto const managers = it->second;
  for (auto manager = managers.rbegin(); manager != managers.rend(); ++manager) {
    (*manager)->Disable();
  }
  bundles_.erase(bundle.id);
}

std::vector<std::shared_ptr<ComponentManager>> ServiceComponentRuntime::Snapshot() const
{
  std::vector<std::shared_ptr<ComponentManager>> all;
  for (auto const& entry : bundles_) {
    all.insert(all.end(), entry.second.begin(), entry.second.end());
  }
  return all;
}

void ServiceComponentRuntime::ServiceChanged(ServiceEvent const& event)
{
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  for (auto const& manager : Snapshot()) {
    manager->ServiceChanged(event);
  }
}

void ServiceComponentRuntime::EnableComponent(long bundleId, std::string const& name)
{
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  auto const it = bundles_.find(bundleId);
  if (it == bundles_.end()) {
    return;
  }
  auto const managers = it->second;
  for (auto const& manager : managers) {
    if (name.empty() || manager->Metadata().name == name) {
      manager->Enable();
    }
  }
}

void ServiceComponentRuntime::DisableComponent(long bundleId, std::string const& name)
{
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  auto const it = bundles_.find(bundleId);
  if (it == bundles_.end()) {
    return;
  }
  auto const managers = it->second;
  for (auto const& manager : managers) {
    if (name.empty() || manager->Metadata().name == name) {
      manager->Disable();
    }
  }
}

} // namespace cppmicroservices::scr
