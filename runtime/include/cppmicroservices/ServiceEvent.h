#ifndef CPPMICROSERVICES_SERVICEEVENT_H
#define CPPMICROSERVICES_SERVICEEVENT_H

#include "cppmicroservices/FrameworkConfig.h"
#include "cppmicroservices/ServiceReference.h"

#include <cstdint>
#include <ostream>

namespace cppmicroservices {

/// A change in a service's life cycle, delivered synchronously to service listeners.
class US_Framework_EXPORT ServiceEvent
{
public:
  enum Type : uint32_t
  {
    SERVICE_REGISTERED = 0x00000001,
    SERVICE_MODIFIED = 0x00000002,
    SERVICE_UNREGISTERING = 0x00000004,
    /// The properties changed so that the listener's filter no longer matches.
    SERVICE_MODIFIED_ENDMATCH = 0x00000008
  };

  /// An invalid event.
  ServiceEvent();
  ServiceEvent(Type type, ServiceReferenceBase const& reference);
  ServiceEvent(ServiceEvent const& other);
  ServiceEvent& operator=(ServiceEvent const& other);
  ~ServiceEvent();

  explicit operator bool() const;

  ServiceReferenceU GetServiceReference() const;

  template <class S>
  ServiceReference<S> GetServiceReference() const
  {
    return ServiceReference<S>(GetServiceReference());
  }

  Type GetType() const;

private:
  Type type;
  ServiceReferenceU reference;
  bool valid;
};

US_Framework_EXPORT std::ostream& operator<<(std::ostream& os, ServiceEvent::Type const& type);
US_Framework_EXPORT std::ostream& operator<<(std::ostream& os, ServiceEvent const& event);

} // namespace cppmicroservices

#endif // CPPMICROSERVICES_SERVICEEVENT_H
