#include "BundleContextPrivate.hpp"

#include "BundlePrivate.hpp"
#include "FrameworkPrivate.hpp"
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

namespace {

// The reference's interface slot; nullptr when its registration has none.
detail::InterfaceSlot const* SlotOf(ServiceReferenceBase const& reference,
                                    ServiceRegistrationBasePrivate const& registration)
{
  detail::InterfaceSlot const* slot = detail::ReferenceAccess::Slot(reference);
  if (slot == nullptr && !registration.Interfaces().empty()) {
    slot = &registration.Interfaces().front();
  }
  return slot;
}

// A new object of a prototype factory under one interface, sharing ownership with the map,
// whose release hands the object back to the factory.
std::shared_ptr<void> PrototypeObject(InterfaceMapConstPtr const& map, detail::InterfaceSlot const& slot)
{
  if (!map) {
    return nullptr;
  }
  auto const it = map->find(slot.id);
  if (it == map->end()) {
    return nullptr;
  }
  return std::shared_ptr<void>(map, it->second.get());
}

} // namespace

std::shared_ptr<void> BundleContextPrivate::GetServiceObject(ServiceReferenceBase const& reference) const
{
  std::shared_ptr<void> object;
  GetServiceObject(
    reference, false,
    [](std::shared_ptr<void> const& found, void* out) { *static_cast<std::shared_ptr<void>*>(out) = found; }, &object);
  return object;
}

void BundleContextPrivate::GetServiceObject(ServiceReferenceBase const& reference, bool prototype,
                                            detail::ObjectSink take, void* typed) const
{
  CheckValid();
  auto const& registration = detail::ReferenceAccess::Registration(reference);
  if (!registration) {
    throw std::invalid_argument("The service reference is invalid");
  }
  if (!registration->IsAvailable()) {
    return;
  }
  detail::InterfaceSlot const* slot = SlotOf(reference, *registration);
  if (slot == nullptr) {
    return;
  }
  if (!(prototype && registration->IsPrototypeScope())) {
    // The hot path: a plain registered object, or a factory's object resolved for this bundle
    // once; the same at every call, so this thread's copy is handed out.
    auto const index = static_cast<std::size_t>(slot - registration->Interfaces().data());
    auto fetch = [&]() -> std::shared_ptr<void> {
      if (!registration->IsFactory()) {
        return slot->object;
      }
      std::shared_ptr<void> object;
      registration->GetFactoryObject(
        *bundle_, index,
        [](std::shared_ptr<void> const& found, void* out) { *static_cast<std::shared_ptr<void>*>(out) = found; },
        &object);
      return object;
    };
    Framework().Lookups().Object(*registration, bundle_->id, index, fetch, take, typed);
    return;
  }
  std::shared_ptr<void> const object = PrototypeObject(registration->GetPrototypeService(*bundle_), *slot);
  if (object) {
    take(object, typed);
  }
}

} // namespace cppmicroservices
