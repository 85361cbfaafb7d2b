#pragma once

#include "BundlePrivate.hpp"
#include "ServiceListeners.hpp"
#include "ThreadLookups.hpp"
#include "ds/ServiceComponentRuntime.hpp"
#include "registry/ServiceRegistry.hpp"

#include "cppmicroservices/FrameworkEvent.h"
#include "cppmicroservices/FrameworkFactory.h"

#include <chrono>
#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <ostream>
#include <string>
#include <vector>

namespace cppmicroservices {

/**
 * One framework: its bundles, service registry, listeners and Declarative Services
 * runtime. Bundle handles keep it alive; when the last one goes it stops itself.
 */
class FrameworkPrivate : public std::enable_shared_from_this<FrameworkPrivate>
{
public:
  FrameworkPrivate(FrameworkConfiguration configuration, std::ostream* log);
  ~FrameworkPrivate();

  FrameworkPrivate(FrameworkPrivate const&) = delete;
  FrameworkPrivate& operator=(FrameworkPrivate const&) = delete;

  std::shared_ptr<BundlePrivate> const& System() const noexcept { return system_; }

  /// A handle on bundle that keeps this framework alive (when it still is).
  Bundle MakeBundle(std::shared_ptr<BundlePrivate> bundle);

  // Bundles.
  std::vector<std::shared_ptr<BundlePrivate>> Install(std::string const& location, AnyMap const& manifests);
  std::shared_ptr<BundlePrivate> FindBundle(long id) const;
  std::vector<std::shared_ptr<BundlePrivate>> Bundles() const;
  void StartBundle(BundlePrivate& bundle);
  void StopBundle(BundlePrivate& bundle);
  void UninstallBundle(BundlePrivate& bundle);

  // The framework's own life cycle.
  void Init();
  void Start();
  void Stop();
  FrameworkEvent WaitForStop(std::chrono::milliseconds const& timeout);

  // Services: the registry changes, then the events, with no lock held.
  std::shared_ptr<ServiceRegistrationBasePrivate> RegisterService(std::shared_ptr<BundlePrivate> const& bundle,
                                                                  InterfaceMapConstPtr const& service,
                                                                  ServiceProperties const& properties,
                                                                  std::string scope = std::string());
  /// \throws std::logic_error if the service is already unregistered.
  void UnregisterService(ServiceRegistrationBasePrivate& registration);
  void SetServiceProperties(ServiceRegistrationBasePrivate& registration, AnyMap properties);

  ServiceRegistry& Registry() noexcept { return registry_; }
  /// Each thread's copies of what lookups hand out; cleared by every change to them.
  ThreadLookups& Lookups() noexcept { return lookups_; }
  ServiceListeners& Listeners() noexcept { return listeners_; }
  scr::ServiceComponentRuntime& Components() noexcept { return components_; }
  FrameworkConfiguration const& Properties() const noexcept { return properties_; }

  /// Writes one diagnostic line to the framework's log stream.
  void Log(std::string const& message) const;

private:
  bool IsRunning() const noexcept;
  void StopBundleLocked(BundlePrivate& bundle);
  /// Deactivates the bundle's components, ends its registrations and invalidates its context.
  void ReleaseBundle(BundlePrivate& bundle);
  void StopLocked();
  void FireServiceEvent(ServiceEvent::Type type, std::shared_ptr<ServiceRegistrationBasePrivate> const& registration,
                        AnyMap const* previousProperties);

  FrameworkConfiguration const properties_;
  std::ostream* const log_;
  mutable std::mutex logMutex_;

  std::shared_ptr<BundlePrivate> system_;
  ThreadLookups lookups_; // before the registry: cleared by it, so it goes after it
  ServiceRegistry registry_;
  ServiceListeners listeners_;
  scr::ServiceComponentRuntime components_;

  // Serializes installs, starts and stops; recursive so that a component may start or
  // stop bundles while it is being activated.
  mutable std::recursive_mutex lifecycleMutex_;

  mutable std::mutex bundlesMutex_;
  std::map<long, std::shared_ptr<BundlePrivate>> bundles_;
  long nextBundleId_ = 1;
  std::vector<long> startOrder_;

  std::mutex stopMutex_;
  std::condition_variable stopped_;
};

} // namespace cppmicroservices
