#include "BundleContextPrivate.hpp"

#include "BundlePrivate.hpp"
#include "registry/ReferenceAccess.hpp"
#include "registry/ServiceRegistrationBasePrivate.hpp"

#include "cppmicroservices/Constants.h"

#include <stdexcept>

namespace cppmicroservices {

BundleContextPrivate::BundleContextPrivate(BundlePrivate* bundle) : bundle_(bundle) {}

FrameworkPrivate& BundleContextPrivate::Framework() const noexcept
{
  return *bundle_->framework;
}

void BundleContextPrivate::ThrowInvalid()
{
  throw std::runtime_error("The bundle context is no longer valid");
}

InterfaceMapConstPtr BundleContextPrivate::GetServiceMap(ServiceReferenceBase const& reference, bool prototype) const
{
  CheckValid();
  auto const& registration = detail::ReferenceAccess::Registration(reference);
  if (!registration) {
    throw std::invalid_argument("The service reference is invalid");
  }
  if (!registration->IsAvailable()) {
    return nullptr;
  }
  if (!registration->IsFactory()) {
    return registration->Service();
  }
  if (prototype && registration->IsPrototypeScope()) {
    return registration->GetPrototypeService(*bundle_);
  }
  return registration->GetFactoryService(*bundle_);
}

std::shared_ptr<void> BundleContextPrivate::GetServiceObject(ServiceReferenceBase const& reference,
                                                             bool prototype) const
{
  CheckValid();
  auto const& registration = detail::ReferenceAccess::Registration(reference);
  if (!registration) {
    throw std::invalid_argument("The service reference is invalid");
  }
  if (!registration->IsAvailable()) {
    return nullptr;
  }
  detail::InterfaceSlot const* slot = detail::ReferenceAccess::Slot(reference);
  if (slot == nullptr) {
    if (registration->Interfaces().empty()) {
      return nullptr;
    }
    slot = &registration->Interfaces().front();
  }
  if (!registration->IsFactory()) {
    // The hot path: a plain registered object, handed out as a copy of its pointer.
    return slot->object;
  }
  if (!(prototype && registration->IsPrototypeScope())) {
    // A bundle-scoped (or singleton) object, resolved for this bundle once.
    return registration->GetFactoryObject(*bundle_, static_cast<std::size_t>(slot - registration->Interfaces().data()));
  }
  InterfaceMapConstPtr const map = registration->GetPrototypeService(*bundle_);
  if (!map) {
    return nullptr;
  }
  auto const it = map->find(slot->id);
  if (it == map->end()) {
    return nullptr;
  }
  // Share ownership with the map, whose release hands the object back to the factory.
  return std::shared_ptr<void>(map, it->second.get());
}

} // namespace cppmicroservices
