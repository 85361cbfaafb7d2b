#include "cppmicroservices/ServiceEvent.h"

namespace cppmicroservices {

ServiceEvent::ServiceEvent() : type(SERVICE_REGISTERED), reference(), valid(false) {}

ServiceEvent::ServiceEvent(Type t, ServiceReferenceBase const& ref) : type(t), reference(ref), valid(true) {}

ServiceEvent::ServiceEvent(ServiceEvent const& other) = default;
ServiceEvent& ServiceEvent::operator=(ServiceEvent const& other) = default;
ServiceEvent::~ServiceEvent() = default;

ServiceEvent::operator bool() const
{
  return valid;
}

ServiceReferenceU ServiceEvent::GetServiceReference() const
{
  return reference;
}

ServiceEvent::Type ServiceEvent::GetType() const
{
  return type;
}

std::ostream& operator<<(std::ostream& os, ServiceEvent::Type const& type)
{
  switch (type) {
  case ServiceEvent::SERVICE_REGISTERED: return os << "REGISTERED";
  case ServiceEvent::SERVICE_MODIFIED: return os << "MODIFIED";
  case ServiceEvent::SERVICE_UNREGISTERING: return os << "UNREGISTERING";
  case ServiceEvent::SERVICE_MODIFIED_ENDMATCH: return os << "MODIFIED_ENDMATCH";
  }
  return os << "unknown event type (" << static_cast<uint32_t>(type) << ")";
}

std::ostream& operator<<(std::ostream& os, ServiceEvent const& event)
{
  if (!event) {
    return os << "NONE";
  }
  return os << event.GetType() << " " << event.GetServiceReference();
}

} // namespace cppmicroservices
