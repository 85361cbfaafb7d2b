#ifndef CPPMICROSERVICES_SERVICEREGISTRATIONBASE_H
#define CPPMICROSERVICES_SERVICEREGISTRATIONBASE_H

#include "cppmicroservices/FrameworkConfig.h"
#include "cppmicroservices/ServiceProperties.h"
#include "cppmicroservices/ServiceReference.h"

#include <memory>
#include <string>

namespace cppmicroservices {

class ServiceRegistrationBasePrivate;

namespace detail {
struct RegistrationAccess;
}

/**
 * The registering bundle's handle on a registered service: it updates the properties and
 * ends the registration. Copies share the registration.
 */
class US_Framework_EXPORT ServiceRegistrationBase
{
public:
  ServiceRegistrationBase(ServiceRegistrationBase const& reg);
  ServiceRegistrationBase(ServiceRegistrationBase&& reg) noexcept;
  ~ServiceRegistrationBase();

  /// False for a default-constructed registration.
  explicit operator bool() const;

  ServiceRegistrationBase& operator=(std::nullptr_t);
  ServiceRegistrationBase& operator=(ServiceRegistrationBase const& registration);
  ServiceRegistrationBase& operator=(ServiceRegistrationBase&& registration) noexcept;

  /**
   * A reference to the service, for interfaceId (the first registered interface when
   * empty).
   * \throws std::logic_error if the service has been unregistered or this is invalid.
   */
  ServiceReferenceBase GetReference(std::string const& interfaceId = std::string()) const;

  /**
   * Replaces the service's properties; "objectclass", "service.id" and "service.scope"
   * keep the framework's values. Fires a SERVICE_MODIFIED event.
   * \throws std::logic_error if the service has been unregistered or this is invalid.
   */
  void SetProperties(ServiceProperties const& properties);
  void SetProperties(ServiceProperties&& properties);

  /**
   * Ends the registration: fires SERVICE_UNREGISTERING, removes the service from the
   * registry and releases the objects its factory produced.
   * \throws std::logic_error if the service was already unregistered or this is invalid.
   */
  void Unregister();

  bool operator<(ServiceRegistrationBase const& o) const;
  bool operator==(ServiceRegistrationBase const& registration) const;

protected:
  ServiceRegistrationBase();

private:
  friend struct detail::RegistrationAccess;

  explicit ServiceRegistrationBase(std::shared_ptr<ServiceRegistrationBasePrivate> registration);

  std::shared_ptr<ServiceRegistrationBasePrivate> d;
};

} // namespace cppmicroservices

#endif // CPPMICROSERVICES_SERVICEREGISTRATIONBASE_H
