#include "ServiceRegistrationBasePrivate.hpp"

#include "RegistrationAccess.hpp"
#include "framework/BundleAccess.hpp"
#include "framework/BundlePrivate.hpp"
#include "framework/FrameworkPrivate.hpp"

#include "cppmicroservices/Constants.h"

#include <algorithm>
#include <climits>
#include <exception>

namespace cppmicroservices {

namespace {

std::vector<detail::InterfaceSlot> SlotsOf(InterfaceMapConstPtr const& service)
{
  std::vector<detail::InterfaceSlot> slots;
  for (auto const& entry : *service) {
    if (entry.first != detail::ServiceFactoryKey()) {
      slots.push_back({entry.first, entry.second});
    }
  }
  return slots;
}

} // namespace

ServiceRegistrationBasePrivate::ServiceRegistrationBasePrivate(FrameworkPrivate* framework,
                                                               std::shared_ptr<BundlePrivate> const& bundle, long id,
                                                               InterfaceMapConstPtr service,
                                                               std::shared_ptr<ServiceFactory> factory,
                                                               std::string scope, AnyMap properties)
    : framework_(framework), bundle_(bundle), bundleId_(bundle->id), id_(id), service_(std::move(service)),
      factory_(std::move(factory)), scope_(std::move(scope)), prototypeScope_(scope_ == Constants::SCOPE_PROTOTYPE),
      interfaces_(SlotsOf(service_)), properties_(std::move(properties))
{
  AddFrameworkProperties(properties_);
  ranking_.store(RankingOf(properties_));
}

void ServiceRegistrationBasePrivate::AddFrameworkProperties(AnyMap& properties) const
{
  std::vector<std::string> objectClass;
  objectClass.reserve(interfaces_.size());
  for (auto const& slot : interfaces_) {
    objectClass.push_back(slot.id);
  }
  properties[Constants::OBJECTCLASS] = std::move(objectClass);
  properties[Constants::SERVICE_ID] = id_;
  properties[Constants::SERVICE_SCOPE] = scope_;
}

int ServiceRegistrationBasePrivate::RankingOf(AnyMap const& properties)
{
  auto const it = properties.find(Constants::SERVICE_RANKING);
  if (it == properties.end()) {
    return 0;
  }
  Any const& value = it->second;
  if (auto const* i = any_cast<int>(&value)) {
    return *i;
  }
  // Other integer types are accepted too, clamped to int.
  long long wide = 0;
  if (auto const* l = any_cast<long>(&value)) {
    wide = *l;
  } else if (auto const* ll = any_cast<long long>(&value)) {
    wide = *ll;
  } else {
    return 0;
  }
  return static_cast<int>(std::clamp<long long>(wide, INT_MIN, INT_MAX));
}

detail::InterfaceSlot const* ServiceRegistrationBasePrivate::FindSlot(std::string const& interfaceId) const noexcept
{
  for (auto const& slot : interfaces_) {
    if (slot.id == interfaceId) {
      return &slot;
    }
  }
  return nullptr;
}

Any ServiceRegistrationBasePrivate::GetProperty(std::string const& key) const
{
  std::shared_lock<std::shared_mutex> lock(propertiesMutex_);
  auto const it = properties_.find(key);
  return it == properties_.end() ? Any() : it->second;
}

std::vector<std::string> ServiceRegistrationBasePrivate::GetPropertyKeys() const
{
  std::shared_lock<std::shared_mutex> lock(propertiesMutex_);
  std::vector<std::string> keys;
  keys.reserve(properties_.size());
  for (auto const& entry : properties_) {
    keys.push_back(entry.first);
  }
  return keys;
}

AnyMap ServiceRegistrationBasePrivate::CopyProperties() const
{
  std::shared_lock<std::shared_mutex> lock(propertiesMutex_);
  return properties_;
}

bool ServiceRegistrationBasePrivate::Matches(LDAPFilter const& filter) const
{
  std::shared_lock<std::shared_mutex> lock(propertiesMutex_);
  return filter.Match(properties_);
}

AnyMap ServiceRegistrationBasePrivate::ReplaceProperties(AnyMap properties)
{
  AddFrameworkProperties(properties);
  int const ranking = RankingOf(properties);
  std::unique_lock<std::shared_mutex> lock(propertiesMutex_);
  std::swap(properties_, properties);
  ranking_.store(ranking, std::memory_order_release);
  return properties;
}

void ServiceRegistrationBasePrivate::Log(std::string const& message) const
{
  if (framework_ != nullptr) {
    framework_->Log(message);
  }
}

bool ServiceRegistrationBasePrivate::IsComplete(InterfaceMapConstPtr const& produced) const
{
  if (!produced) {
    return false;
  }
  for (auto const& slot : interfaces_) {
    auto const it = produced->find(slot.id);
    if (it == produced->end() || !it->second) {
      return false;
    }
  }
  return true;
}

InterfaceMapConstPtr ServiceRegistrationBasePrivate::CallFactory(BundlePrivate& user)
{
  Bundle const userHandle = framework_->MakeBundle(user.shared_from_this());
  ServiceRegistrationBase const registration = detail::RegistrationAccess::Make(shared_from_this());
  InterfaceMapConstPtr produced;
  try {
    produced = factory_->GetService(userHandle, registration);
  } catch (std::exception const& e) {
    Log("service " + std::to_string(id_) + ": its factory threw for bundle \"" + user.symbolicName + "\": " + e.what());
    return nullptr;
  } catch (...) {
    Log("service " + std::to_string(id_) + ": its factory threw for bundle \"" + user.symbolicName + "\"");
    return nullptr;
  }
  if (!produced) {
    // The factory had nothing (a component that could not be activated says why itself).
    return nullptr;
  }
  if (!IsComplete(produced)) {
    Log("service " + std::to_string(id_) + ": its factory returned an object without every registered interface");
    try {
      factory_->UngetService(userHandle, registration, produced);
    } catch (...) {}
    return nullptr;
  }
  return produced;
}

InterfaceMapConstPtr ServiceRegistrationBasePrivate::GetFactoryService(BundlePrivate& user)
{
  {
    std::lock_guard<std::mutex> lock(cacheMutex_);
    if (FactoryObjects const* cached = CachedFor(user.id)) {
      return cached->map;
    }
  }
  if (!IsAvailable()) {
    return nullptr;
  }
  // The factory runs without the lock: it may look up (and create) other services, or
  // end this very registration.
  InterfaceMapConstPtr produced = CallFactory(user);
  if (!produced) {
    return nullptr;
  }
  InterfaceMapConstPtr surplus;
  {
    std::lock_guard<std::mutex> lock(cacheMutex_);
    if (!IsAvailable()) {
      surplus = produced;
      produced = nullptr;
    } else {
      if (FactoryObjects const* cached = CachedFor(user.id)) {
        // Another thread asked at the same time; keep the first object.
        surplus = produced;
        produced = cached->map;
      } else {
        cache_.emplace_back(user.id, Resolve(produced));
      }
    }
  }
  if (surplus && surplus != produced) {
    try {
      factory_->UngetService(framework_->MakeBundle(user.shared_from_this()),
                             detail::RegistrationAccess::Make(shared_from_this()), surplus);
    } catch (...) {}
  }
  return produced;
}

ServiceRegistrationBasePrivate::FactoryObjects ServiceRegistrationBasePrivate::Resolve(InterfaceMapConstPtr map) const
{
  FactoryObjects objects;
  objects.bySlot.reserve(interfaces_.size());
  for (auto const& slot : interfaces_) {
    auto const it = map->find(slot.id);
    objects.bySlot.push_back(it == map->end() ? nullptr : it->second);
  }
  objects.map = std::move(map);
  return objects;
}

bool ServiceRegistrationBasePrivate::FindFactoryObject(long userId, std::size_t slot, detail::ObjectSink take,
                                                       void* typed) const
{
  std::lock_guard<std::mutex> lock(cacheMutex_);
  FactoryObjects const* cached = CachedFor(userId);
  if (cached == nullptr) {
    return false;
  }
  if (slot < cached->bySlot.size() && cached->bySlot[slot]) {
    take(cached->bySlot[slot], typed);
  }
  return true;
}

ServiceRegistrationBasePrivate::FactoryObjects const*
ServiceRegistrationBasePrivate::CachedFor(long userId) const noexcept
{
  for (auto const& entry : cache_) {
    if (entry.first == userId) {
      return &entry.second;
    }
  }
  return nullptr;
}

void ServiceRegistrationBasePrivate::GetFactoryObject(BundlePrivate& user, std::size_t slot, detail::ObjectSink take,
                                                      void* typed)
{
  // Not made for this bundle yet: make and cache it, then read it from the cache.
  if (!FindFactoryObject(user.id, slot, take, typed) && GetFactoryService(user)) {
    FindFactoryObject(user.id, slot, take, typed);
  }
}

InterfaceMapConstPtr ServiceRegistrationBasePrivate::GetPrototypeService(BundlePrivate& user)
{
  if (!IsAvailable()) {
    return nullptr;
  }
  InterfaceMapConstPtr produced = CallFactory(user);
  if (!produced) {
    return nullptr;
  }
  {
    std::lock_guard<std::mutex> lock(cacheMutex_);
    ++prototypeUses_[user.id];
  }
  auto self = shared_from_this();
  std::weak_ptr<BundlePrivate> weakUser = user.shared_from_this();
  long const userId = user.id;
  // The returned map owns the object; when the caller's last pointer goes, the factory
  // gets it back.
  return InterfaceMapConstPtr(produced.get(), [self, weakUser, userId, produced](InterfaceMap const*) {
    {
      std::lock_guard<std::mutex> lock(self->cacheMutex_);
      auto const it = self->prototypeUses_.find(userId);
      if (it != self->prototypeUses_.end() && --it->second == 0) {
        self->prototypeUses_.erase(it);
      }
    }
    try {
      // Once the registration has ended the framework may be gone too.
      auto userBundle = self->IsAvailable() ? weakUser.lock() : nullptr;
      Bundle handle = userBundle ? userBundle->framework->MakeBundle(userBundle) : Bundle();
      self->factory_->UngetService(handle, detail::RegistrationAccess::Make(self), produced);
    } catch (...) {
      // Nothing can be reported from a deleter.
    }
  });
}

void ServiceRegistrationBasePrivate::ReleaseFactoryServices(long userBundleId)
{
  if (!factory_) {
    return;
  }
  std::vector<std::pair<long, InterfaceMapConstPtr>> released;
  {
    std::lock_guard<std::mutex> lock(cacheMutex_);
    for (auto it = cache_.begin(); it != cache_.end();) {
      if (userBundleId < 0 || it->first == userBundleId) {
        released.emplace_back(it->first, std::move(it->second.map));
        it = cache_.erase(it);
      } else {
        ++it;
      }
    }
  }
  if (released.empty()) {
    return;
  }
  // Threads may hold copies of these objects; they give them up before the factory does.
  framework_->Lookups().Clear();
  ServiceRegistrationBase const registration = detail::RegistrationAccess::Make(shared_from_this());
  for (auto& entry : released) {
    auto user = framework_->FindBundle(entry.first);
    Bundle const handle = user ? framework_->MakeBundle(user) : Bundle();
    try {
      factory_->UngetService(handle, registration, entry.second);
    } catch (std::exception const& e) {
      Log("service " + std::to_string(id_) + ": its factory threw while releasing an object: " + e.what());
    } catch (...) {
      Log("service " + std::to_string(id_) + ": its factory threw while releasing an object");
    }
  }
}

std::vector<long> ServiceRegistrationBasePrivate::UsingBundleIds() const
{
  std::lock_guard<std::mutex> lock(cacheMutex_);
  std::vector<long> ids;
  for (auto const& entry : cache_) {
    ids.push_back(entry.first);
  }
  for (auto const& entry : prototypeUses_) {
    if (std::find(ids.begin(), ids.end(), entry.first) == ids.end()) {
      ids.push_back(entry.first);
    }
  }
  std::sort(ids.begin(), ids.end());
  return ids;
}

} // namespace cppmicroservices
