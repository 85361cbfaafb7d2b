#pragma once

#include "cppmicroservices/ServiceInterface.h"
#include "cppmicroservices/ServiceReferenceBase.h"

#include <memory>

namespace cppmicroservices {
class ServiceRegistrationBasePrivate;
}
namespace cppmicroservices::service::component::detail {
class ComponentInstance;
}

namespace cppmicroservices::scr {

class ComponentContextImpl;
class ComponentManager;

/**
 * The life of a component's one (singleton) configuration:
 *
 *   UnsatisfiedReference --Satisfy--> Satisfied (service registered, no instance)
 *   Satisfied --GetService (or at once when immediate)--> Active (instance created)
 *   Satisfied / Active --Unsatisfy--> UnsatisfiedReference (service unregistered, then
 *                                     the instance destroyed)
 *
 * Every transition changes the state before it calls into the framework, so the events
 * it causes (handled on the same thread) see the new state and cannot repeat it.
 */
class ComponentConfiguration
{
public:
  enum class State
  {
    UnsatisfiedReference,
    Satisfied,
    Active
  };

  explicit ComponentConfiguration(ComponentManager& manager);
  ~ComponentConfiguration();

  ComponentConfiguration(ComponentConfiguration const&) = delete;
  ComponentConfiguration& operator=(ComponentConfiguration const&) = delete;

  State GetState() const noexcept { return state_; }

  void Satisfy();
  void Unsatisfy();

  /// The instance's objects, creating the instance first; empty when that fails.
  InterfaceMapConstPtr GetService();

  ServiceReferenceBase GetServiceReference() const;

private:
  bool Activate();
  void DestroyInstance(service::component::detail::ComponentInstance* instance, bool deactivate);

  ComponentManager& manager_;
  State state_ = State::UnsatisfiedReference;
  std::shared_ptr<ServiceRegistrationBasePrivate> registration_;
  service::component::detail::ComponentInstance* instance_ = nullptr;
  InterfaceMapConstPtr objects_;
};

} // namespace cppmicroservices::scr
