#pragma once

#include "cppmicroservices/ServiceRegistrationBase.h"

#include <memory>

namespace cppmicroservices::detail {

/// The runtime's way into a registration handle.
struct RegistrationAccess
{
  static ServiceRegistrationBase Make(std::shared_ptr<ServiceRegistrationBasePrivate> registration)
  {
    return ServiceRegistrationBase(std::move(registration));
  }

  static std::shared_ptr<ServiceRegistrationBasePrivate> const&
  Registration(ServiceRegistrationBase const& reg) noexcept
  {
    return reg.d;
  }
};

} // namespace cppmicroservices::detail
