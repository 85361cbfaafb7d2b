#ifndef CPPMICROSERVICES_PROTOTYPESERVICEFACTORY_H
#define CPPMICROSERVICES_PROTOTYPESERVICEFACTORY_H

#include "cppmicroservices/ServiceFactory.h"

namespace cppmicroservices {

/**
 * A service factory whose objects are not shared: ServiceObjects::GetService asks it
 * for a new object on every call, and the object is handed back through UngetService
 * when the caller's last shared_ptr to it goes away. BundleContext::GetService still
 * shares one object per bundle.
 */
struct US_Framework_EXPORT PrototypeServiceFactory : public ServiceFactory
{
  InterfaceMapConstPtr GetService(Bundle const& bundle, ServiceRegistrationBase const& registration) override = 0;
  void UngetService(Bundle const& bundle, ServiceRegistrationBase const& registration,
                    InterfaceMapConstPtr const& service) override = 0;
};

} // namespace cppmicroservices

#endif // CPPMICROSERVICES_PROTOTYPESERVICEFACTORY_H
