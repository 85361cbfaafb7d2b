#ifndef CPPMICROSERVICES_BUNDLECONTEXT_H
#define CPPMICROSERVICES_BUNDLECONTEXT_H

#include "cppmicroservices/AnyMap.h"
#include "cppmicroservices/GlobalConfig.h"
#include "cppmicroservices/ListenerFunctors.h"
#include "cppmicroservices/ListenerToken.h"
#include "cppmicroservices/ServiceException.h"
#include "cppmicroservices/ServiceInterface.h"
#include "cppmicroservices/ServiceObjects.h"
#include "cppmicroservices/ServiceProperties.h"
#include "cppmicroservices/ServiceReference.h"
#include "cppmicroservices/ServiceRegistration.h"

#include <cstddef>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace cppmicroservices {

class Bundle;
class BundleContextPrivate;
class ServiceFactory;

namespace detail {

/// Receives the references of one lookup; lets typed lookups fill their own vector.
class ServiceReferenceSink
{
public:
  virtual void Reserve(std::size_t count) = 0;
  /// Takes the reference over.
  virtual void Add(ServiceReferenceBase&& reference) = 0;

protected:
  ~ServiceReferenceSink() = default;
};

template <class Reference>
class ServiceReferenceCollector final : public ServiceReferenceSink
{
public:
  /// Every reference it is given was looked up under the interface of Reference.
  explicit ServiceReferenceCollector(std::vector<Reference>& out) : out_(out) {}
  void Reserve(std::size_t count) override { out_.reserve(count); }
  void Add(ServiceReferenceBase&& reference) override
  {
    out_.emplace_back(std::move(reference), FoundUnderInterface{});
  }

private:
  std::vector<Reference>& out_;
};

} // namespace detail

/**
 * A bundle's access to the framework: install bundles, register and look up services,
 * listen to service events. Valid while its bundle is starting, active or stopping;
 * afterwards every call throws std::runtime_error("The bundle context is no longer
 * valid"). Safe to use from several threads.
 */
class US_Framework_EXPORT BundleContext
{
public:
  /// An invalid context.
  BundleContext();

  bool operator==(BundleContext const& rhs) const;
  bool operator!=(BundleContext const& rhs) const;
  bool operator<(BundleContext const& rhs) const;

  /// False for an invalid context, including one whose bundle has stopped.
  explicit operator bool() const;

  BundleContext& operator=(std::nullptr_t);

  /// A framework property (from the configuration given to NewFramework), or an empty Any.
  Any GetProperty(std::string const& key) const;
  AnyMap GetProperties() const;

  /// The context's own bundle.
  Bundle GetBundle() const;

  /// The bundle with that id, or an invalid Bundle.
  Bundle GetBundle(long id) const;

  std::vector<Bundle> GetBundles(std::string const& location) const;
  std::vector<Bundle> GetBundles() const;

  /**
   * Registers a service object: every entry of the map is one interface id and the
   * object for it; an "org.cppmicroservices.factory" entry makes it a factory service.
   * The framework adds "objectclass", "service.id" and "service.scope" to the
   * properties; "service.ranking" (an int) orders lookups.
   * \throws std::invalid_argument for an empty map or a missing object.
   */
  [[nodiscard]] ServiceRegistrationU RegisterService(InterfaceMapConstPtr const& service,
                                                     ServiceProperties const& properties = ServiceProperties());

  template <class I1, class... Interfaces, class Impl>
  ServiceRegistration<I1, Interfaces...> RegisterService(std::shared_ptr<Impl> const& impl,
                                                         ServiceProperties const& properties = ServiceProperties())
  {
    InterfaceMapConstPtr servicePointers = MakeInterfaceMap<I1, Interfaces...>(impl);
    return RegisterService(servicePointers, properties);
  }

  template <class I1, class... Interfaces>
  ServiceRegistration<I1, Interfaces...> RegisterService(std::shared_ptr<ServiceFactory> const& factory,
                                                         ServiceProperties const& properties = ServiceProperties())
  {
    InterfaceMapConstPtr servicePointers = MakeInterfaceMap<I1, Interfaces...>(factory);
    return RegisterService(servicePointers, properties);
  }

  /**
   * The services registered under clazz (every service when clazz is empty) that match
   * filter (every one when filter is empty), best first: highest "service.ranking", then
   * lowest "service.id".
   * \throws std::invalid_argument for a malformed filter.
   */
  std::vector<ServiceReferenceU> GetServiceReferences(std::string const& clazz,
                                                      std::string const& filter = std::string());

  template <class S>
  std::vector<ServiceReference<S>> GetServiceReferences(std::string const& filter = std::string())
  {
    std::string const& clazz = detail::ServiceInterfaceId<S>();
    if (clazz.empty()) {
      throw ServiceException("The service interface class has no CPPMICROSERVICES_DECLARE_SERVICE_INTERFACE macro");
    }
    std::vector<ServiceReference<S>> result;
    detail::ServiceReferenceCollector<ServiceReference<S>> collector(result);
    CollectServiceReferences(clazz, filter, collector);
    return result;
  }

  /// The best service registered under clazz, or an invalid reference.
  ServiceReferenceU GetServiceReference(std::string const& clazz);

  template <class S>
  ServiceReference<S> GetServiceReference()
  {
    std::string const& clazz = detail::ServiceInterfaceId<S>();
    if (clazz.empty()) {
      throw ServiceException("The service interface class has no CPPMICROSERVICES_DECLARE_SERVICE_INTERFACE macro");
    }
    return ServiceReference<S>(GetServiceReference(clazz));
  }

  /**
   * The service object for the reference's interface; empty when the service is no
   * longer registered or its factory failed.
   * \throws std::invalid_argument for an invalid reference.
   */
  std::shared_ptr<void> GetService(ServiceReferenceBase const& reference);

  /// Every interface of the service with its object.
  InterfaceMapConstPtr GetService(ServiceReferenceU const& reference);

  template <class S>
  std::shared_ptr<S> GetService(ServiceReference<S> const& reference)
  {
    ServiceReferenceBase const& baseRef = reference;
    return std::static_pointer_cast<S>(GetService(baseRef));
  }

  /// Service objects for the reference: a new object per call for prototype services.
  template <class S>
  ServiceObjects<S> GetServiceObjects(ServiceReference<S> const& reference)
  {
    return ServiceObjects<S>(CheckedPrivate(), reference);
  }

  /**
   * Adds a listener for the service events whose service matches filter.
   * \throws std::invalid_argument for a malformed filter.
   */
  ListenerToken AddServiceListener(ServiceListener const& listener, std::string const& filter = std::string());

  ListenerToken AddFrameworkListener(FrameworkListener const& listener);

  /// Removes the listener the token names; an unknown or invalid token does nothing.
  void RemoveListener(ListenerToken token);

  /// Where the bundle may keep files: a folder under the framework's storage path.
  std::string GetDataFile(std::string const& filename) const;

  /**
   * Installs the bundles of the library at location (a shared library with a resource
   * archive appended), or returns the bundles already installed from it. When
   * bundleManifest is not empty, it maps each symbolic name to its manifest and the
   * archive is not read.
   * \throws std::runtime_error naming the file and what is wrong with it.
   */
  std::vector<Bundle>
  InstallBundles(std::string const& location,
                 AnyMap const& bundleManifest = AnyMap(any_map::UNORDERED_MAP_CASEINSENSITIVE_KEYS));

private:
  friend US_Framework_EXPORT BundleContext MakeBundleContext(BundleContextPrivate* d);
  friend BundleContext MakeBundleContext(std::shared_ptr<BundleContextPrivate> const& d);
  friend US_Framework_EXPORT std::shared_ptr<BundleContextPrivate> GetPrivate(BundleContext const& c);

  explicit BundleContext(std::shared_ptr<BundleContextPrivate> ctx);

  /// d, after checking that the context is still valid.
  std::shared_ptr<BundleContextPrivate> const& CheckedPrivate() const;

  void CollectServiceReferences(std::string const& clazz, std::string const& filter,
                                detail::ServiceReferenceSink& sink);

  std::shared_ptr<BundleContextPrivate> d;
};

/// The context behind a bundle's stored context pointer (see GetBundleContext.h).
US_Framework_EXPORT BundleContext MakeBundleContext(BundleContextPrivate* d);
BundleContext MakeBundleContext(std::shared_ptr<BundleContextPrivate> const& d);
US_Framework_EXPORT std::shared_ptr<BundleContextPrivate> GetPrivate(BundleContext const& c);

} // namespace cppmicroservices

#endif // CPPMICROSERVICES_BUNDLECONTEXT_H
