#pragma once

#include "InterfaceSlot.hpp"

#include "cppmicroservices/AnyMap.h"
#include "cppmicroservices/Bundle.h"
#include "cppmicroservices/LDAPFilter.h"
#include "cppmicroservices/ServiceFactory.h"
#include "cppmicroservices/ServiceInterface.h"
#include "cppmicroservices/ServiceObjects.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <shared_mutex>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

namespace cppmicroservices {

class BundlePrivate;
class FrameworkPrivate;

/**
 * One registered service: its interfaces and objects (or factory), its properties and
 * the objects its factory produced for each using bundle. Outlives its registration as
 * long as references to it exist, so it never reaches into the framework once the
 * registration has ended.
 */
class ServiceRegistrationBasePrivate : public std::enable_shared_from_this<ServiceRegistrationBasePrivate>
{
public:
  ServiceRegistrationBasePrivate(FrameworkPrivate* framework, std::shared_ptr<BundlePrivate> const& bundle, long id,
                                 InterfaceMapConstPtr service, std::shared_ptr<ServiceFactory> factory,
                                 std::string scope, AnyMap properties);

  ServiceRegistrationBasePrivate(ServiceRegistrationBasePrivate const&) = delete;
  ServiceRegistrationBasePrivate& operator=(ServiceRegistrationBasePrivate const&) = delete;

  long Id() const noexcept { return id_; }
  long BundleId() const noexcept { return bundleId_; }
  std::shared_ptr<BundlePrivate> GetBundle() const { return bundle_.lock(); }
  FrameworkPrivate* Framework() const noexcept { return framework_; }
  std::string const& Scope() const noexcept { return scope_; }
  bool IsPrototypeScope() const noexcept { return prototypeScope_; }
  bool IsFactory() const noexcept { return factory_ != nullptr; }
  std::shared_ptr<ServiceFactory> const& Factory() const noexcept { return factory_; }
  InterfaceMapConstPtr const& Service() const noexcept { return service_; }

  /// True until the registration has ended (also while SERVICE_UNREGISTERING is delivered).
  bool IsAvailable() const noexcept { return state_.load(std::memory_order_acquire) != kUnregistered; }

  /// False once Unregister has been called.
  bool IsRegistered() const noexcept { return state_.load(std::memory_order_acquire) == kRegistered; }

  /// Starts the unregistration; false if it had already started.
  bool BeginUnregister() noexcept
  {
    int expected = kRegistered;
    return state_.compare_exchange_strong(expected, kUnregistering, std::memory_order_acq_rel);
  }

  /// From now on the service hands out no objects.
  void EndUnregister() noexcept { state_.store(kUnregistered, std::memory_order_release); }

  int Ranking() const noexcept { return ranking_.load(std::memory_order_acquire); }

  std::vector<detail::InterfaceSlot> const& Interfaces() const noexcept { return interfaces_; }
  detail::InterfaceSlot const* FindSlot(std::string const& interfaceId) const noexcept;

  Any GetProperty(std::string const& key) const;
  std::vector<std::string> GetPropertyKeys() const;
  AnyMap CopyProperties() const;
  bool Matches(LDAPFilter const& filter) const;

  /**
   * Replaces the properties, keeping the framework's own keys.
   * \return the previous properties.
   */
  AnyMap ReplaceProperties(AnyMap properties);

  /// The bundle-scoped object of a factory service for the bundle user (cached).
  InterfaceMapConstPtr GetFactoryService(BundlePrivate& user);
  /// The same object under one of the service's interfaces (an index into Interfaces()),
  /// or empty when the factory gave none for it. Resolved once per using bundle, so a
  /// repeated lookup costs one cache probe under the lock.
  /// Handed to take under the cache's lock, so that the caller's copy is the only count step;
  /// take is not called when there is none.
  void GetFactoryObject(BundlePrivate& user, std::size_t slot, detail::ObjectSink take, void* typed);

  /// A new object from a prototype factory, handed back to it when released.
  InterfaceMapConstPtr GetPrototypeService(BundlePrivate& user);

  /// Hands the cached factory objects back to the factory: of one bundle, or of all (-1).
  void ReleaseFactoryServices(long userBundleId);

  std::vector<long> UsingBundleIds() const;

  /// Ordering of lookups: higher ranking first, then lower id.
  static bool LookupOrder(ServiceRegistrationBasePrivate const& a, ServiceRegistrationBasePrivate const& b) noexcept
  {
    int const ra = a.Ranking();
    int const rb = b.Ranking();
    return ra != rb ? ra > rb : a.id_ < b.id_;
  }

  /// The ranking a property map asks for: its int "service.ranking", or 0.
  static int RankingOf(AnyMap const& properties);

private:
  InterfaceMapConstPtr CallFactory(BundlePrivate& user);
  bool IsComplete(InterfaceMapConstPtr const& produced) const;
  void Log(std::string const& message) const;
  void AddFrameworkProperties(AnyMap& properties) const;

  FrameworkPrivate* const framework_;
  std::weak_ptr<BundlePrivate> const bundle_;
  long const bundleId_;
  long const id_;
  InterfaceMapConstPtr const service_;
  std::shared_ptr<ServiceFactory> const factory_;
  std::string const scope_;
  bool const prototypeScope_;
  std::vector<detail::InterfaceSlot> const interfaces_;

  static constexpr int kRegistered = 0;
  static constexpr int kUnregistering = 1;
  static constexpr int kUnregistered = 2;
  std::atomic<int> state_{kRegistered};
  std::atomic<int> ranking_{0};

  mutable std::shared_mutex propertiesMutex_;
  AnyMap properties_;

  mutable std::mutex cacheMutex_;
  struct FactoryObjects
  {
    InterfaceMapConstPtr map;
    std::vector<std::shared_ptr<void>> bySlot; // map's object for each of interfaces_
  };
  FactoryObjects Resolve(InterfaceMapConstPtr map) const;
  // Hands the cached object of a using bundle under one interface to take, if it is not
  // empty; false when nothing is cached for that bundle.
  bool FindFactoryObject(long userId, std::size_t slot, detail::ObjectSink take, void* typed) const;
  // Using bundle id and its factory object: a handful at most, so a scan beats hashing.
  std::vector<std::pair<long, FactoryObjects>> cache_;
  FactoryObjects const* CachedFor(long userId) const noexcept;
  std::unordered_map<long, std::size_t> prototypeUses_;
};

} // namespace cppmicroservices
