#pragma once

#include "cppmicroservices/ServiceEvent.h"

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace cppmicroservices {
class BundlePrivate;
class FrameworkPrivate;
} // namespace cppmicroservices

namespace cppmicroservices::scr {

class ComponentManager;

/**
 * Declarative Services for one framework: every started bundle whose manifest has an
 * "scr" section gets its components, which follow the service events from then on.
 *
 * One recursive lock serializes all component work: a registration made while a
 * component changes state delivers its event on the same thread, and activating a
 * component activates the components it references, both by recursion.
 */
class ServiceComponentRuntime
{
public:
  explicit ServiceComponentRuntime(FrameworkPrivate& framework);
  ~ServiceComponentRuntime();

  ServiceComponentRuntime(ServiceComponentRuntime const&) = delete;
  ServiceComponentRuntime& operator=(ServiceComponentRuntime const&) = delete;

  void BundleStarted(std::shared_ptr<BundlePrivate> const& bundle);
  void BundleStopping(BundlePrivate& bundle);
  void ServiceChanged(ServiceEvent const& event);

  /// Enables (Disables) the named component of a bundle; every one when name is empty.
  void EnableComponent(long bundleId, std::string const& name);
  void DisableComponent(long bundleId, std::string const& name);

  std::recursive_mutex& Mutex() noexcept { return mutex_; }

private:
  std::vector<std::shared_ptr<ComponentManager>> Snapshot() const;

  FrameworkPrivate& framework_;
  mutable std::recursive_mutex mutex_;
  std::map<long, std::vector<std::shared_ptr<ComponentManager>>> bundles_; // manifest order
  long nextComponentId_ = 1;
};

} // namespace cppmicroservices::scr
