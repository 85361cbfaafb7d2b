#ifndef CPPMICROSERVICES_LISTENERFUNCTORS_H
#define CPPMICROSERVICES_LISTENERFUNCTORS_H

#include <functional>

namespace cppmicroservices {

class ServiceEvent;
class FrameworkEvent;

/// Called synchronously, on the thread that changed the service, for each service event.
using ServiceListener = std::function<void(ServiceEvent const&)>;

/// Called for framework events (errors the framework caught, start, stop).
using FrameworkListener = std::function<void(FrameworkEvent const&)>;

} // namespace cppmicroservices

#endif // CPPMICROSERVICES_LISTENERFUNCTORS_H
