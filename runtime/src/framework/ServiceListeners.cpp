#include "ServiceListeners.hpp"

#include "registry/ServiceRegistrationBasePrivate.hpp"

#include <algorithm>
#include <exception>

namespace cppmicroservices {

ServiceListeners::ServiceListeners(ErrorSink errors) : errors_(std::move(errors)) {}

ListenerTokenId ServiceListeners::AddServiceListener(long bundleId, ServiceListener listener, std::string const& filter)
{
  std::optional<LDAPFilter> parsed;
  if (!filter.empty()) {
    parsed.emplace(filter); // throws std::invalid_argument before anything is added
  }
  std::lock_guard<std::mutex> lock(mutex_);
  ListenerTokenId const token = nextToken_++;
  service_.push_back(
    std::make_shared<ServiceEntry const>(ServiceEntry{token, bundleId, std::move(listener), std::move(parsed)}));
  return token;
}

ListenerTokenId ServiceListeners::AddFrameworkListener(long bundleId, FrameworkListener listener)
{
  std::lock_guard<std::mutex> lock(mutex_);
  ListenerTokenId const token = nextToken_++;
  framework_.push_back(std::make_shared<FrameworkEntry const>(FrameworkEntry{token, bundleId, std::move(listener)}));
  return token;
}

void ServiceListeners::Remove(long bundleId, ListenerTokenId token)
{
  std::lock_guard<std::mutex> lock(mutex_);
  service_.erase(std::remove_if(service_.begin(), service_.end(),
                                [&](auto const& e) { return e->token == token && e->bundleId == bundleId; }),
                 service_.end());
  framework_.erase(std::remove_if(framework_.begin(), framework_.end(),
                                  [&](auto const& e) { return e->token == token && e->bundleId == bundleId; }),
                   framework_.end());
}

void ServiceListeners::RemoveAll(long bundleId)
{
  std::lock_guard<std::mutex> lock(mutex_);
  service_.erase(
    std::remove_if(service_.begin(), service_.end(), [&](auto const& e) { return e->bundleId == bundleId; }),
    service_.end());
  framework_.erase(
    std::remove_if(framework_.begin(), framework_.end(), [&](auto const& e) { return e->bundleId == bundleId; }),
    framework_.end());
}

void ServiceListeners::ServiceChanged(ServiceEvent const& event, ServiceRegistrationBasePrivate const& registration,
                                      AnyMap const* previousProperties)
{
  std::vector<std::shared_ptr<ServiceEntry const>> snapshot;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    snapshot = service_;
  }
  ServiceEvent const endMatch(ServiceEvent::SERVICE_MODIFIED_ENDMATCH, event.GetServiceReference());
  for (auto const& entry : snapshot) {
    ServiceEvent const* delivered = &event;
    if (entry->filter) {
      if (!registration.Matches(*entry->filter)) {
        bool const matchedBefore = event.GetType() == ServiceEvent::SERVICE_MODIFIED && previousProperties &&
                                   entry->filter->Match(*previousProperties);
        if (!matchedBefore) {
          continue;
        }
        delivered = &endMatch;
      }
    }
    try {
      entry->listener(*delivered);
    } catch (std::exception const& e) {
      errors_(std::string("A service listener threw: ") + e.what());
    } catch (...) {
      errors_("A service listener threw an exception");
    }
  }
}

void ServiceListeners::FrameworkChanged(FrameworkEvent const& event)
{
  std::vector<std::shared_ptr<FrameworkEntry const>> snapshot;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    snapshot = framework_;
  }
  for (auto const& entry : snapshot) {
    try {
      entry->listener(event);
    } catch (std::exception const& e) {
      errors_(std::string("A framework listener threw: ") + e.what());
    } catch (...) {
      errors_("A framework listener threw an exception");
    }
  }
}

} // namespace cppmicroservices
