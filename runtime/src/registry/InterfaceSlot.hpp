#pragma once

#include <memory>
#include <string>

namespace cppmicroservices::detail {

/// One interface a service was registered under, with its object (empty for factories).
struct InterfaceSlot
{
  std::string id;
  std::shared_ptr<void> object;
};

} // namespace cppmicroservices::detail
