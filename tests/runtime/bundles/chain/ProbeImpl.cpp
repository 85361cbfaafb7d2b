#include "ProbeImpl.hpp"

#include <cppmicroservices/GetBundleContext.h>

namespace runtimetest {

bool ProbeImpl::OwnContextValid() const
{
  return static_cast<bool>(cppmicroservices::GetBundleContext());
}

} // namespace runtimetest
