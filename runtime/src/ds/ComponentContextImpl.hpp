#pragma once

#include "cppmicroservices/servicecomponent/ComponentContext.hpp"

#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace cppmicroservices::scr {

class ComponentManager;

/// The ComponentContext handed to one instance of a component.
class ComponentContextImpl final : public service::component::ComponentContext
{
public:
  explicit ComponentContextImpl(std::weak_ptr<ComponentManager> manager);

  std::unordered_map<std::string, Any> GetProperties() const override;
  BundleContext GetBundleContext() const override;
  Bundle GetUsingBundle() const override;
  void EnableComponent(std::string const& name) override;
  void DisableComponent(std::string const& name) override;
  ServiceReferenceBase GetServiceReference() const override;

protected:
  std::shared_ptr<void> LocateService(std::string const& name, std::string const& type) const override;
  std::vector<std::shared_ptr<void>> LocateServices(std::string const& name, std::string const& type) const override;

private:
  std::shared_ptr<ComponentManager> Manager() const;

  std::weak_ptr<ComponentManager> manager_;
};

} // namespace cppmicroservices::scr
