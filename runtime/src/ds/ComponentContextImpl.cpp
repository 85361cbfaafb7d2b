#include "ComponentContextImpl.hpp"

#include "ComponentManager.hpp"
#include "ServiceComponentRuntime.hpp"
#include "framework/BundleContextPrivate.hpp"
#include "framework/BundlePrivate.hpp"

#include "cppmicroservices/servicecomponent/ComponentException.hpp"

#include <mutex>

namespace cppmicroservices::scr {

ComponentContextImpl::ComponentContextImpl(std::weak_ptr<ComponentManager> manager) : manager_(std::move(manager)) {}

std::shared_ptr<ComponentManager> ComponentContextImpl::Manager() const
{
  auto manager = manager_.lock();
  if (!manager) {
    throw service::component::ComponentException("The component no longer exists");
  }
  return manager;
}

std::unordered_map<std::string, Any> ComponentContextImpl::GetProperties() const
{
  return Manager()->Properties();
}

BundleContext ComponentContextImpl::GetBundleContext() const
{
  auto context = Manager()->Bundle().GetContext();
  return context ? MakeBundleContext(context) : BundleContext();
}

Bundle ComponentContextImpl::GetUsingBundle() const
{
  return Bundle();
}

void ComponentContextImpl::EnableComponent(std::string const& name)
{
  auto manager = Manager();
  manager->Runtime().EnableComponent(manager->Bundle().id, name);
}

void ComponentContextImpl::DisableComponent(std::string const& name)
{
  auto manager = Manager();
  manager->Runtime().DisableComponent(manager->Bundle().id, name);
}

ServiceReferenceBase ComponentContextImpl::GetServiceReference() const
{
  auto manager = Manager();
  std::lock_guard<std::recursive_mutex> lock(manager->Runtime().Mutex());
  return manager->GetServiceReference();
}

std::shared_ptr<void> ComponentContextImpl::LocateService(std::string const& name, std::string const& type) const
{
  auto manager = Manager();
  std::lock_guard<std::recursive_mutex> lock(manager->Runtime().Mutex());
  return manager->LocateService(name, type);
}

std::vector<std::shared_ptr<void>> ComponentContextImpl::LocateServices(std::string const& name,
                                                                        std::string const& type) const
{
  auto manager = Manager();
  std::lock_guard<std::recursive_mutex> lock(manager->Runtime().Mutex());
  return manager->LocateServices(name, type);
}

} // namespace cppmicroservices::scr
