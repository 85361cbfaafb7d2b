#include "ServiceRegistry.hpp"

#include "ReferenceAccess.hpp"
#include "framework/BundlePrivate.hpp"
#include "framework/FrameworkPrivate.hpp"

#include "cppmicroservices/Constants.h"
#include "cppmicroservices/PrototypeServiceFactory.h"

#include <algorithm>
#include <mutex>
#include <stdexcept>

namespace cppmicroservices {

namespace {

bool EntryBefore(std::shared_ptr<ServiceRegistrationBasePrivate> const& a,
                 std::shared_ptr<ServiceRegistrationBasePrivate> const& b)
{
  return ServiceRegistrationBasePrivate::LookupOrder(*a, *b);
}

} // namespace

ServiceRegistry::ServiceRegistry(FrameworkPrivate* framework) : framework_(framework) {}

std::shared_ptr<ServiceRegistrationBasePrivate> ServiceRegistry::Add(std::shared_ptr<BundlePrivate> const& bundle,
                                                                     InterfaceMapConstPtr const& service,
                                                                     ServiceProperties const& properties,
                                                                     std::string scope)
{
  if (!service || service->empty()) {
    throw std::invalid_argument("Can't register an empty InterfaceMap as a service");
  }
  std::shared_ptr<ServiceFactory> factory;
  std::size_t interfaceCount = 0;
  for (auto const& entry : *service) {
    if (entry.first == detail::ServiceFactoryKey()) {
      factory = std::static_pointer_cast<ServiceFactory>(entry.second);
      if (!factory) {
        throw std::invalid_argument("Can't register a null service factory");
      }
      continue;
    }
    if (entry.first.empty()) {
      throw std::invalid_argument("Can't register a service under an empty interface id");
    }
    ++interfaceCount;
  }
  if (interfaceCount == 0) {
    throw std::invalid_argument("Can't register a service without an interface id");
  }
  if (!factory) {
    for (auto const& entry : *service) {
      if (!entry.second) {
        throw std::invalid_argument("Can't register a null service object for interface " + entry.first);
      }
    }
  }
  if (scope.empty()) {
    if (!factory) {
      scope = Constants::SCOPE_SINGLETON;
    } else if (std::dynamic_pointer_cast<PrototypeServiceFactory>(factory)) {
      scope = Constants::SCOPE_PROTOTYPE;
    } else {
      scope = Constants::SCOPE_BUNDLE;
    }
  }

  AnyMap props{ServiceProperties(properties)};
  std::unique_lock<std::shared_mutex> lock(mutex_);
  long const id = nextId_++;
  auto registration = std::make_shared<ServiceRegistrationBasePrivate>(framework_, bundle, id, service, factory,
                                                                       std::move(scope), std::move(props));
  byId_.emplace(id, registration);
  for (auto const& slot : registration->Interfaces()) {
    InsertOrdered(byInterface_[slot.id], Entry{registration, &slot});
  }
  lock.unlock();
  Changed();
  return registration;
}

void ServiceRegistry::InsertOrdered(std::vector<Entry>& entries, Entry entry)
{
  auto const position = std::find_if(entries.begin(), entries.end(), [&entry](Entry const& existing) {
    return ServiceRegistrationBasePrivate::LookupOrder(*entry.registration, *existing.registration);
  });
  entries.insert(position, std::move(entry));
}

void ServiceRegistry::Remove(ServiceRegistrationBasePrivate const& registration)
{
  std::unique_lock<std::shared_mutex> lock(mutex_);
  if (byId_.erase(registration.Id()) == 0) {
    return;
  }
  for (auto const& slot : registration.Interfaces()) {
    auto const it = byInterface_.find(slot.id);
    if (it == byInterface_.end()) {
      continue;
    }
    auto& entries = it->second;
    entries.erase(std::remove_if(entries.begin(), entries.end(),
                                 [&registration](Entry const& e) { return e.registration.get() == &registration; }),
                  entries.end());
  }
  lock.unlock();
  Changed();
}

void ServiceRegistry::Reorder(ServiceRegistrationBasePrivate const& registration)
{
  std::unique_lock<std::shared_mutex> lock(mutex_);
  for (auto const& slot : registration.Interfaces()) {
    auto const it = byInterface_.find(slot.id);
    if (it != byInterface_.end()) {
      std::stable_sort(it->second.begin(), it->second.end(), [](Entry const& a, Entry const& b) {
        return ServiceRegistrationBasePrivate::LookupOrder(*a.registration, *b.registration);
      });
    }
  }
  lock.unlock();
  Changed();
}

void ServiceRegistry::Changed() noexcept
{
  if (framework_ != nullptr) {
    framework_->Lookups().Clear();
  }
}

void ServiceRegistry::Collect(std::string const& clazz, LDAPFilter const* filter,
                              detail::ServiceReferenceSink& sink) const
{
  std::shared_lock<std::shared_mutex> lock(mutex_);
  if (clazz.empty()) {
    auto const all = SortedLocked(-1);
    sink.Reserve(all.size());
    for (auto const& registration : all) {
      if (!filter || registration->Matches(*filter)) {
        sink.Add(detail::ReferenceAccess::Make(registration, nullptr));
      }
    }
    return;
  }
  auto const it = byInterface_.find(clazz);
  if (it == byInterface_.end()) {
    return;
  }
  sink.Reserve(it->second.size());
  for (auto const& entry : it->second) {
    if (!filter || entry.registration->Matches(*filter)) {
      sink.Add(detail::ReferenceAccess::Make(entry.registration, entry.slot));
    }
  }
}

std::vector<std::shared_ptr<ServiceRegistrationBasePrivate>> ServiceRegistry::SortedLocked(long bundleId) const
{
  std::vector<std::shared_ptr<ServiceRegistrationBasePrivate>> result;
  for (auto const& entry : byId_) {
    if (bundleId < 0 || entry.second->BundleId() == bundleId) {
      result.push_back(entry.second);
    }
  }
  std::stable_sort(result.begin(), result.end(), EntryBefore);
  return result;
}

std::vector<std::shared_ptr<ServiceRegistrationBasePrivate>> ServiceRegistry::RegisteredBy(long bundleId) const
{
  std::shared_lock<std::shared_mutex> lock(mutex_);
  return SortedLocked(bundleId);
}

std::vector<std::shared_ptr<ServiceRegistrationBasePrivate>> ServiceRegistry::All() const
{
  std::shared_lock<std::shared_mutex> lock(mutex_);
  return SortedLocked(-1);
}

} // namespace cppmicroservices
