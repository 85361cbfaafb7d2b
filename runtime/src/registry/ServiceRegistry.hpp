#pragma once

#include "InterfaceSlot.hpp"
#include "ServiceRegistrationBasePrivate.hpp"

#include "cppmicroservices/BundleContext.h"
#include "cppmicroservices/LDAPFilter.h"

#include <map>
#include <memory>
#include <shared_mutex>
#include <string>
#include <unordered_map>
#include <vector>

namespace cppmicroservices {

/**
 * The services of one framework. For every interface id it keeps the registrations in
 * lookup order (highest ranking, then lowest id), so a lookup takes a shared lock and
 * copies references out; changes take the exclusive lock. It fires no events: the
 * framework does that after a change, with no lock held.
 */
class ServiceRegistry
{
public:
  explicit ServiceRegistry(FrameworkPrivate* framework);

  ServiceRegistry(ServiceRegistry const&) = delete;
  ServiceRegistry& operator=(ServiceRegistry const&) = delete;

  /**
   * Validates and adds a service of bundle.
   * \param scope "singleton", "bundle" or "prototype"; empty to derive it from the map.
   * \throws std::invalid_argument for an empty map, an empty id or a missing object.
   */
  std::shared_ptr<ServiceRegistrationBasePrivate> Add(std::shared_ptr<BundlePrivate> const& bundle,
                                                      InterfaceMapConstPtr const& service,
                                                      ServiceProperties const& properties, std::string scope);

  /// Removes a registration from every index (no-op when absent).
  void Remove(ServiceRegistrationBasePrivate const& registration);

  /// Restores lookup order after the registration's ranking changed.
  void Reorder(ServiceRegistrationBasePrivate const& registration);

  /// The references under clazz (all when empty) matching filter (all when null), in lookup order.
  void Collect(std::string const& clazz, LDAPFilter const* filter, detail::ServiceReferenceSink& sink) const;

  /// The registrations of one bundle, in lookup order.
  std::vector<std::shared_ptr<ServiceRegistrationBasePrivate>> RegisteredBy(long bundleId) const;

  /// Every registration, in lookup order.
  std::vector<std::shared_ptr<ServiceRegistrationBasePrivate>> All() const;

private:
  struct Entry
  {
    std::shared_ptr<ServiceRegistrationBasePrivate> registration;
    detail::InterfaceSlot const* slot;
  };

  // What threads copied from earlier lookups no longer holds: drops it. Called with no lock.
  void Changed() noexcept;
  static void InsertOrdered(std::vector<Entry>& entries, Entry entry);
  std::vector<std::shared_ptr<ServiceRegistrationBasePrivate>> SortedLocked(long bundleId) const;

  FrameworkPrivate* const framework_;
  mutable std::shared_mutex mutex_;
  std::unordered_map<std::string, std::vector<Entry>> byInterface_;
  std::map<long, std::shared_ptr<ServiceRegistrationBasePrivate>> byId_;
  long nextId_ = 1;
};

} // namespace cppmicroservices
