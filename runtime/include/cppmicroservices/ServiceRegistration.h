#ifndef CPPMICROSERVICES_SERVICEREGISTRATION_H
#define CPPMICROSERVICES_SERVICEREGISTRATION_H

#include "cppmicroservices/ServiceRegistrationBase.h"

namespace cppmicroservices {

class BundleContext;

/// A registration of a service under the interfaces I1, Interfaces...
template <class I1, class... Interfaces>
class ServiceRegistration : public ServiceRegistrationBase
{
public:
  /// An invalid registration.
  ServiceRegistration() : ServiceRegistrationBase() {}

  /// The reference for one of the registered interfaces.
  template <class Interface>
  ServiceReference<Interface> GetReference() const
  {
    static_assert(std::disjunction_v<std::is_same<Interface, I1>, std::is_same<Interface, Interfaces>...>,
                  "This service was not registered under the requested interface");
    return ServiceReference<Interface>(ServiceRegistrationBase::GetReference(detail::ServiceInterfaceId<Interface>()));
  }

  /// The reference for I1.
  ServiceReference<I1> GetReference() const
  {
    return ServiceReference<I1>(ServiceRegistrationBase::GetReference(detail::ServiceInterfaceId<I1>()));
  }

  using ServiceRegistrationBase::operator=;

private:
  friend class BundleContext;

  ServiceRegistration(ServiceRegistrationBase const& base) : ServiceRegistrationBase(base) {}
};

/// A registration not bound to interface types (made from an InterfaceMap).
template <>
class ServiceRegistration<void> : public ServiceRegistrationBase
{
public:
  ServiceRegistration() : ServiceRegistrationBase() {}

  ServiceReferenceU GetReference(std::string const& interfaceId = std::string()) const
  {
    return ServiceRegistrationBase::GetReference(interfaceId);
  }

  using ServiceRegistrationBase::operator=;

private:
  friend class BundleContext;

  ServiceRegistration(ServiceRegistrationBase const& base) : ServiceRegistrationBase(base) {}
};

using ServiceRegistrationU = ServiceRegistration<void>;

} // namespace cppmicroservices

#endif // CPPMICROSERVICES_SERVICEREGISTRATION_H
