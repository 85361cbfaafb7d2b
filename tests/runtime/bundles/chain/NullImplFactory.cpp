// Factories of a component whose instance can never be made: the manifest does not name
// it, so the tests reach it only through a manifest given at install time.

#include <cppmicroservices/GlobalConfig.h>
#include <cppmicroservices/servicecomponent/detail/ComponentInstance.hpp>

extern "C" US_ABI_EXPORT cppmicroservices::service::component::detail::ComponentInstance*
NewInstance_runtimetest_NullImpl()
{
  return nullptr;
}

extern "C" US_ABI_EXPORT void
DeleteInstance_runtimetest_NullImpl(cppmicroservices::service::component::detail::ComponentInstance* componentInstance)
{
  delete componentInstance;
}
