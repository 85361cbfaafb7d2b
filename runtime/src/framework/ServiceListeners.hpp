#pragma once

#include "cppmicroservices/AnyMap.h"
#include "cppmicroservices/FrameworkEvent.h"
#include "cppmicroservices/LDAPFilter.h"
#include "cppmicroservices/ListenerFunctors.h"
#include "cppmicroservices/ListenerToken.h"
#include "cppmicroservices/ServiceEvent.h"

#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace cppmicroservices {

class ServiceRegistrationBasePrivate;

/**
 * The service and framework listeners of one framework. Listeners are called on the
 * thread that caused the event, with no framework lock held, so they may use the
 * framework freely; an exception from a listener is reported and swallowed.
 */
class ServiceListeners
{
public:
  using ErrorSink = std::function<void(std::string const&)>;

  explicit ServiceListeners(ErrorSink errors);

  /// \throws std::invalid_argument for a malformed filter.
  ListenerTokenId AddServiceListener(long bundleId, ServiceListener listener, std::string const& filter);
  ListenerTokenId AddFrameworkListener(long bundleId, FrameworkListener listener);

  void Remove(long bundleId, ListenerTokenId token);
  void RemoveAll(long bundleId);

  /**
   * Delivers a service event to the listeners whose filter matches the service. For
   * SERVICE_MODIFIED, listeners that matched only the previous properties get
   * SERVICE_MODIFIED_ENDMATCH.
   */
  void ServiceChanged(ServiceEvent const& event, ServiceRegistrationBasePrivate const& registration,
                      AnyMap const* previousProperties);

  void FrameworkChanged(FrameworkEvent const& event);

private:
  struct ServiceEntry
  {
    ListenerTokenId token;
    long bundleId;
    ServiceListener listener;
    std::optional<LDAPFilter> filter;
  };
  struct FrameworkEntry
  {
    ListenerTokenId token;
    long bundleId;
    FrameworkListener listener;
  };

  ErrorSink errors_;
  mutable std::mutex mutex_;
  ListenerTokenId nextToken_ = 1;
  // Held by shared_ptr so that a delivery in progress keeps its snapshot consistent.
  std::vector<std::shared_ptr<ServiceEntry const>> service_;
  std::vector<std::shared_ptr<FrameworkEntry const>> framework_;
};

} // namespace cppmicroservices
