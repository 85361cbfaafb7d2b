#include "ComponentServiceFactory.hpp"

#include "ComponentManager.hpp"
#include "ServiceComponentRuntime.hpp"

#include <mutex>

namespace cppmicroservices::scr {

ComponentServiceFactory::ComponentServiceFactory(std::weak_ptr<ComponentManager> manager) : manager_(std::move(manager))
{}

InterfaceMapConstPtr ComponentServiceFactory::GetService(Bundle const&, ServiceRegistrationBase const&)
{
  auto manager = manager_.lock();
  if (!manager) {
    return nullptr;
  }
  std::lock_guard<std::recursive_mutex> lock(manager->Runtime().Mutex());
  return manager->GetService();
}

void ComponentServiceFactory::UngetService(Bundle const&, ServiceRegistrationBase const&, InterfaceMapConstPtr const&)
{
  // A singleton component keeps its instance until it is deactivated, whoever stops using it.
}

} // namespace cppmicroservices::scr
