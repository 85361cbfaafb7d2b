#pragma once

#include "cppmicroservices/ServiceFactory.h"

#include <memory>

namespace cppmicroservices::scr {

class ComponentManager;

/**
 * What a component registers instead of an object: the instance is created on the
 * first GetService and shared by every bundle until the component is deactivated.
 */
class ComponentServiceFactory final : public ServiceFactory
{
public:
  explicit ComponentServiceFactory(std::weak_ptr<ComponentManager> manager);

  InterfaceMapConstPtr GetService(Bundle const& bundle, ServiceRegistrationBase const& registration) override;
  void UngetService(Bundle const& bundle, ServiceRegistrationBase const& registration,
                    InterfaceMapConstPtr const& service) override;

private:
  std::weak_ptr<ComponentManager> manager_;
};

} // namespace cppmicroservices::scr
