#include "ComponentConfiguration.hpp"

#include "ComponentContextImpl.hpp"
#include "ComponentManager.hpp"
#include "ComponentServiceFactory.hpp"
#include "framework/BundlePrivate.hpp"
#include "framework/FrameworkPrivate.hpp"
#include "registry/ReferenceAccess.hpp"

#include "cppmicroservices/Constants.h"
#include "cppmicroservices/servicecomponent/detail/ComponentInstance.hpp"

#include <exception>
#include <stdexcept>
#include <utility>

namespace cppmicroservices::scr {

ComponentConfiguration::ComponentConfiguration(ComponentManager& manager) : manager_(manager) {}

ComponentConfiguration::~ComponentConfiguration() = default;

void ComponentConfiguration::Satisfy()
{
  if (state_ != State::UnsatisfiedReference) {
    return;
  }
  state_ = State::Satisfied;
  auto const& metadata = manager_.Metadata();
  if (!metadata.interfaces.empty()) {
    auto map = std::make_shared<InterfaceMap>();
    for (auto const& interfaceId : metadata.interfaces) {
      map->emplace(interfaceId, nullptr);
    }
    map->emplace(cppmicroservices::detail::ServiceFactoryKey(),
                 std::make_shared<ComponentServiceFactory>(manager_.weak_from_this()));
    std::shared_ptr<ServiceRegistrationBasePrivate> registration;
    try {
      registration = manager_.Framework().RegisterService(
        manager_.Bundle().shared_from_this(), map, manager_.RegistrationProperties(), Constants::SCOPE_SINGLETON);
    } catch (std::exception const& e) {
      state_ = State::UnsatisfiedReference;
      manager_.Log(manager_.Describe() + ": registering its service failed: " + e.what());
      return;
    }
    if (state_ == State::UnsatisfiedReference || registration_) {
      // The events of the registration itself made the component unsatisfied again (and
      // perhaps registered it anew).
      try {
        manager_.Framework().UnregisterService(*registration);
      } catch (std::logic_error const&) {}
      return;
    }
    registration_ = std::move(registration);
  }
  if (metadata.immediate) {
    GetService();
  }
}

void ComponentConfiguration::Unsatisfy()
{
  if (state_ == State::UnsatisfiedReference) {
    return;
  }
  state_ = State::UnsatisfiedReference;
  auto registration = std::move(registration_);
  registration_.reset();
  auto* instance = std::exchange(instance_, nullptr);
  objects_.reset();
  // The service goes first, so that the components using it are deactivated before it.
  if (registration && registration->IsRegistered()) {
    try {
      manager_.Framework().UnregisterService(*registration);
    } catch (std::logic_error const&) {}
  }
  if (instance != nullptr) {
    DestroyInstance(instance, true);
  }
  manager_.UnbindReferences();
}

InterfaceMapConstPtr ComponentConfiguration::GetService()
{
  if (state_ == State::Active) {
    return objects_;
  }
  if (state_ != State::Satisfied || !Activate()) {
    return nullptr;
  }
  return objects_;
}

bool ComponentConfiguration::Activate()
{
  std::string const describe = manager_.Describe();
  manager_.BindReferences();

  service::component::detail::ComponentInstance* instance = nullptr;
  try {
    instance = manager_.NewInstance()();
  } catch (std::exception const& e) {
    manager_.UnbindReferences();
    manager_.Log(describe + ": its NewInstance function threw: " + e.what());
    return false;
  }
  if (instance == nullptr) {
    manager_.UnbindReferences();
    manager_.Disable("NewInstance_" + manager_.Metadata().FactorySuffix() + " returned no instance");
    return false;
  }

  try {
    auto context = std::make_shared<ComponentContextImpl>(manager_.weak_from_this());
    instance->CreateInstanceAndBindReferences(context);
    instance->Activate();
  } catch (std::exception const& e) {
    manager_.Log(describe + ": activation failed: " + e.what());
    DestroyInstance(instance, false);
    manager_.UnbindReferences();
    return false;
  } catch (...) {
    manager_.Log(describe + ": activation failed with an unknown exception");
    DestroyInstance(instance, false);
    manager_.UnbindReferences();
    return false;
  }

  if (state_ != State::Satisfied) {
    // Creating the references' services changed this component's fate meanwhile.
    DestroyInstance(instance, true);
    return false;
  }
  InterfaceMapConstPtr objects = instance->GetInterfaceMap();
  instance_ = instance;
  objects_ = std::move(objects);
  state_ = State::Active;
  return true;
}

void ComponentConfiguration::DestroyInstance(service::component::detail::ComponentInstance* instance, bool deactivate)
{
  try {
    if (deactivate) {
      instance->Deactivate();
    }
    instance->UnbindReferences();
  } catch (std::exception const& e) {
    manager_.Log(manager_.Describe() + ": deactivation failed: " + e.what());
  } catch (...) {
    manager_.Log(manager_.Describe() + ": deactivation failed with an unknown exception");
  }
  try {
    manager_.DeleteInstance()(instance);
  } catch (...) {
    manager_.Log(manager_.Describe() + ": its DeleteInstance function threw");
  }
}

ServiceReferenceBase ComponentConfiguration::GetServiceReference() const
{
  if (!registration_ || !registration_->IsRegistered() || registration_->Interfaces().empty()) {
    return ServiceReferenceU();
  }
  return cppmicroservices::detail::ReferenceAccess::Make(registration_, &registration_->Interfaces().front());
}

} // namespace cppmicroservices::scr
