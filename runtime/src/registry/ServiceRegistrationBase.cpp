#include "cppmicroservices/ServiceRegistrationBase.h"

#include "ReferenceAccess.hpp"
#include "ServiceRegistrationBasePrivate.hpp"
#include "framework/FrameworkPrivate.hpp"

#include <stdexcept>

namespace cppmicroservices {

namespace {

ServiceRegistrationBasePrivate& Checked(std::shared_ptr<ServiceRegistrationBasePrivate> const& d)
{
  if (!d) {
    throw std::logic_error("The service registration is invalid");
  }
  if (!d->IsRegistered()) {
    throw std::logic_error("The service is unregistered");
  }
  return *d;
}

} // namespace

ServiceRegistrationBase::ServiceRegistrationBase() = default;
ServiceRegistrationBase::ServiceRegistrationBase(std::shared_ptr<ServiceRegistrationBasePrivate> registration)
    : d(std::move(registration))
{}
ServiceRegistrationBase::ServiceRegistrationBase(ServiceRegistrationBase const& reg) = default;
ServiceRegistrationBase::ServiceRegistrationBase(ServiceRegistrationBase&& reg) noexcept = default;
ServiceRegistrationBase::~ServiceRegistrationBase() = default;
ServiceRegistrationBase& ServiceRegistrationBase::operator=(ServiceRegistrationBase const& registration) = default;
ServiceRegistrationBase& ServiceRegistrationBase::operator=(ServiceRegistrationBase&& registration) noexcept = default;

ServiceRegistrationBase::operator bool() const
{
  return d != nullptr;
}

ServiceRegistrationBase& ServiceRegistrationBase::operator=(std::nullptr_t)
{
  d.reset();
  return *this;
}

ServiceReferenceBase ServiceRegistrationBase::GetReference(std::string const& interfaceId) const
{
  auto& registration = Checked(d);
  detail::InterfaceSlot const* slot = nullptr;
  if (interfaceId.empty()) {
    slot = registration.Interfaces().empty() ? nullptr : &registration.Interfaces().front();
  } else {
    slot = registration.FindSlot(interfaceId);
    if (!slot) {
      throw std::logic_error("The service was not registered under " + interfaceId);
    }
  }
  return detail::ReferenceAccess::Make(d, slot);
}

void ServiceRegistrationBase::SetProperties(ServiceProperties const& properties)
{
  SetProperties(ServiceProperties(properties));
}

void ServiceRegistrationBase::SetProperties(ServiceProperties&& properties)
{
  auto& registration = Checked(d);
  registration.Framework()->SetServiceProperties(registration, AnyMap(std::move(properties)));
}

void ServiceRegistrationBase::Unregister()
{
  auto& registration = Checked(d);
  registration.Framework()->UnregisterService(registration);
}

bool ServiceRegistrationBase::operator<(ServiceRegistrationBase const& o) const
{
  // Same order as the references: by ranking, then by age.
  if (!d || !o.d) {
    return !d && o.d;
  }
  return detail::ReferenceAccess::Make(d, nullptr) < detail::ReferenceAccess::Make(o.d, nullptr);
}

bool ServiceRegistrationBase::operator==(ServiceRegistrationBase const& registration) const
{
  return d == registration.d;
}

} // namespace cppmicroservices
