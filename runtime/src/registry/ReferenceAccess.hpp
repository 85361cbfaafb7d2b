#pragma once

#include "InterfaceSlot.hpp"

#include "cppmicroservices/ServiceReferenceBase.h"

#include <memory>

namespace cppmicroservices::detail {

/// The runtime's way into a reference's registration.
struct ReferenceAccess
{
  static ServiceReferenceBase Make(std::shared_ptr<ServiceRegistrationBasePrivate> registration,
                                   InterfaceSlot const* slot) noexcept
  {
    return ServiceReferenceBase(std::move(registration), slot);
  }

  static std::shared_ptr<ServiceRegistrationBasePrivate> const& Registration(ServiceReferenceBase const& ref) noexcept
  {
    return ref.d;
  }

  static InterfaceSlot const* Slot(ServiceReferenceBase const& ref) noexcept { return ref.slot; }
};

} // namespace cppmicroservices::detail
