#ifndef CPPMICROSERVICES_SERVICEFACTORY_H
#define CPPMICROSERVICES_SERVICEFACTORY_H

#include "cppmicroservices/FrameworkConfig.h"
#include "cppmicroservices/ServiceInterface.h"
#include "cppmicroservices/ServiceRegistrationBase.h"

namespace cppmicroservices {

class Bundle;

/**
 * Provides service objects on demand. Registered under the key
 * "org.cppmicroservices.factory" of an InterfaceMap (MakeInterfaceMap does that), it is
 * asked once per using bundle; the framework caches the result for that bundle until
 * the registration ends, then hands it back through UngetService.
 */
class US_Framework_EXPORT ServiceFactory
{
public:
  virtual ~ServiceFactory();

  /**
   * The service object for bundle: an InterfaceMap holding an object for every
   * interface the service was registered under. An empty result or an exception makes
   * the framework answer that bundle's request with an empty object.
   */
  virtual InterfaceMapConstPtr GetService(Bundle const& bundle, ServiceRegistrationBase const& registration) = 0;

  /// Releases an object that GetService returned.
  virtual void UngetService(Bundle const& bundle, ServiceRegistrationBase const& registration,
                            InterfaceMapConstPtr const& service) = 0;
};

} // namespace cppmicroservices

#endif // CPPMICROSERVICES_SERVICEFACTORY_H
