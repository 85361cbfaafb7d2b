#include "cppmicroservices/ServiceReferenceBase.h"

#include "InterfaceSlot.hpp"
#include "ServiceRegistrationBasePrivate.hpp"
#include "framework/BundlePrivate.hpp"
#include "framework/FrameworkPrivate.hpp"

#include "cppmicroservices/Bundle.h"
#include "cppmicroservices/Constants.h"

#include <functional>

namespace cppmicroservices {

ServiceReferenceBase::ServiceReferenceBase() : d(), slot(nullptr) {}

ServiceReferenceBase::ServiceReferenceBase(std::shared_ptr<ServiceRegistrationBasePrivate> registration,
                                           detail::InterfaceSlot const* interfaceSlot) noexcept
    : d(std::move(registration)), slot(interfaceSlot)
{}

ServiceReferenceBase::ServiceReferenceBase(ServiceReferenceBase const& ref) = default;
ServiceReferenceBase::ServiceReferenceBase(ServiceReferenceBase&& ref) noexcept = default;
ServiceReferenceBase::~ServiceReferenceBase() = default;
ServiceReferenceBase& ServiceReferenceBase::operator=(ServiceReferenceBase const& reference) = default;
ServiceReferenceBase& ServiceReferenceBase::operator=(ServiceReferenceBase&& reference) noexcept = default;

ServiceReferenceBase::operator bool() const
{
  return d != nullptr;
}

ServiceReferenceBase& ServiceReferenceBase::operator=(std::nullptr_t)
{
  d.reset();
  slot = nullptr;
  return *this;
}

Any ServiceReferenceBase::GetProperty(std::string const& key) const
{
  return d ? d->GetProperty(key) : Any();
}

void ServiceReferenceBase::GetPropertyKeys(std::vector<std::string>& keys) const
{
  if (d) {
    auto more = d->GetPropertyKeys();
    keys.insert(keys.end(), more.begin(), more.end());
  }
}

std::vector<std::string> ServiceReferenceBase::GetPropertyKeys() const
{
  return d ? d->GetPropertyKeys() : std::vector<std::string>();
}

Bundle ServiceReferenceBase::GetBundle() const
{
  if (!d || !d->IsAvailable()) {
    return Bundle();
  }
  auto bundle = d->GetBundle();
  return bundle ? bundle->framework->MakeBundle(bundle) : Bundle();
}

std::vector<Bundle> ServiceReferenceBase::GetUsingBundles() const
{
  std::vector<Bundle> result;
  if (!d || !d->IsAvailable()) {
    return result;
  }
  for (long const id : d->UsingBundleIds()) {
    if (auto bundle = d->Framework()->FindBundle(id)) {
      result.push_back(d->Framework()->MakeBundle(bundle));
    }
  }
  return result;
}

std::string ServiceReferenceBase::GetInterfaceId() const
{
  return slot ? slot->id : std::string();
}

bool ServiceReferenceBase::HasInterfaceId(std::string const& interfaceId) const noexcept
{
  return slot ? slot->id == interfaceId : interfaceId.empty();
}

bool ServiceReferenceBase::SelectInterface(std::string const& interfaceId)
{
  if (!d) {
    return false;
  }
  auto const* found = d->FindSlot(interfaceId);
  if (!found) {
    return false;
  }
  slot = found;
  return true;
}

bool ServiceReferenceBase::IsConvertibleTo(std::string const& interfaceid) const
{
  return d && d->FindSlot(interfaceid) != nullptr;
}

bool ServiceReferenceBase::operator<(ServiceReferenceBase const& reference) const
{
  if (!d || !reference.d) {
    // Invalid references order before valid ones.
    return !d && reference.d;
  }
  if (d == reference.d) {
    return false;
  }
  int const r1 = d->Ranking();
  int const r2 = reference.d->Ranking();
  if (r1 != r2) {
    return r1 < r2;
  }
  return d->Id() > reference.d->Id();
}

bool ServiceReferenceBase::operator==(ServiceReferenceBase const& reference) const
{
  return d == reference.d;
}

std::size_t ServiceReferenceBase::Hash() const
{
  return std::hash<ServiceRegistrationBasePrivate const*>()(d.get());
}

std::ostream& operator<<(std::ostream& os, ServiceReferenceBase const& serviceRef)
{
  if (!serviceRef) {
    return os << "Invalid service reference";
  }
  os << "Reference for service object registered from ";
  Bundle const bundle = serviceRef.GetBundle();
  if (bundle) {
    os << bundle.GetSymbolicName() << " (id " << bundle.GetBundleId() << ")";
  } else {
    os << "an unregistered service";
  }
  os << ": ";
  bool first = true;
  for (auto const& key : serviceRef.GetPropertyKeys()) {
    os << (first ? "" : ", ") << key << "=" << serviceRef.GetProperty(key).ToStringNoExcept();
    first = false;
  }
  return os;
}

} // namespace cppmicroservices
