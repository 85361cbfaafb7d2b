#ifndef CPPMICROSERVICES_SERVICEOBJECTS_H
#define CPPMICROSERVICES_SERVICEOBJECTS_H

#include "cppmicroservices/FrameworkConfig.h"
#include "cppmicroservices/PrototypeServiceFactory.h"
#include "cppmicroservices/ServiceInterface.h"
#include "cppmicroservices/ServiceProperties.h"
#include "cppmicroservices/ServiceReference.h"

#include <memory>

namespace cppmicroservices {

class BundleContext;
class BundleContextPrivate;

namespace detail {
/// Makes a typed pointer from a service object while the framework holds it.
using ObjectSink = void (*)(std::shared_ptr<void> const& object, void* typed);
} // namespace detail

/// What ServiceObjects<S> share: the context asked and the reference. Move-only.
class US_Framework_EXPORT ServiceObjectsBase
{
public:
  ServiceObjectsBase(ServiceObjectsBase const& other) = delete;
  ServiceObjectsBase& operator=(ServiceObjectsBase const& other) = delete;

  ServiceObjectsBase(ServiceObjectsBase&& other) noexcept;
  ServiceObjectsBase& operator=(ServiceObjectsBase&& other) noexcept;

protected:
  ServiceObjectsBase(std::shared_ptr<BundleContextPrivate> const& context, ServiceReferenceBase const& reference);
  ~ServiceObjectsBase();

  /// The object for the reference's interface (a new one for a prototype service), handed to
  /// take (not called when there is none): a typed pointer made there costs one count step,
  /// where a cast of a returned shared_ptr<void> would cost three (C++17 has no
  /// static_pointer_cast that moves).
  void GetService(detail::ObjectSink take, void* typed) const;

  InterfaceMapConstPtr GetServiceInterfaceMap() const;

  ServiceReferenceBase GetReference() const;

private:
  std::shared_ptr<BundleContextPrivate> context;
  ServiceReferenceBase reference;
};

/**
 * Obtains service objects for one service: for a prototype service each GetService()
 * creates a new object, released when its last shared_ptr goes away; otherwise the
 * one object shared by the bundle.
 */
template <class S>
class ServiceObjects : private ServiceObjectsBase
{
public:
  ServiceObjects(ServiceObjects const& other) = delete;
  ServiceObjects& operator=(ServiceObjects const& other) = delete;

  ServiceObjects(ServiceObjects&& other) noexcept : ServiceObjectsBase(std::move(other)) {}
  ServiceObjects& operator=(ServiceObjects&& other) noexcept
  {
    ServiceObjectsBase::operator=(std::move(other));
    return *this;
  }

  /**
   * The service object, or an empty pointer when the service is no longer registered or
   * its factory failed.
   * \throws std::runtime_error if the context used to create this is no longer valid.
   */
  std::shared_ptr<S> GetService() const
  {
    std::shared_ptr<S> service;
    ServiceObjectsBase::GetService(&Typed, &service);
    return service;
  }

  ServiceReference<S> GetServiceReference() const { return ServiceReference<S>(ServiceObjectsBase::GetReference()); }

private:
  friend class BundleContext;

  ServiceObjects(std::shared_ptr<BundleContextPrivate> const& context, ServiceReference<S> const& reference)
      : ServiceObjectsBase(context, reference)
  {}

  static void Typed(std::shared_ptr<void> const& object, void* typed)
  {
    *static_cast<std::shared_ptr<S>*>(typed) = std::shared_ptr<S>(object, static_cast<S*>(object.get()));
  }
};

template <>
class US_Framework_EXPORT ServiceObjects<void> : private ServiceObjectsBase
{
public:
  ServiceObjects(ServiceObjects const& other) = delete;
  ServiceObjects& operator=(ServiceObjects const& other) = delete;

  ServiceObjects(ServiceObjects&& other) noexcept;
  ServiceObjects& operator=(ServiceObjects&& other) noexcept;

  InterfaceMapConstPtr GetService() const;

  ServiceReferenceU GetServiceReference() const;

private:
  friend class BundleContext;

  ServiceObjects(std::shared_ptr<BundleContextPrivate> const& context, ServiceReferenceU const& reference);
};

} // namespace cppmicroservices

#endif // CPPMICROSERVICES_SERVICEOBJECTS_H
