#pragma once

#include "ComponentConfiguration.hpp"
#include "ComponentMetadata.hpp"
#include "ReferenceManager.hpp"

#include "cppmicroservices/Any.h"
#include "cppmicroservices/ServiceEvent.h"
#include "cppmicroservices/ServiceProperties.h"

#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace cppmicroservices {
class BundlePrivate;
class FrameworkPrivate;
} // namespace cppmicroservices
namespace cppmicroservices::service::component::detail {
class ComponentInstance;
}

namespace cppmicroservices::scr {

class ServiceComponentRuntime;

/**
 * One component of a started bundle: enables and disables it, finds its factory
 * functions in the bundle library, tracks its references and drives its configuration
 * from the service events. A component that cannot work (no factory, a factory that
 * returns null) is disabled with its reason logged; the bundle's other components go on.
 */
class ComponentManager : public std::enable_shared_from_this<ComponentManager>
{
public:
  using NewInstanceFunction = service::component::detail::ComponentInstance* (*)();
  using DeleteInstanceFunction = void (*)(service::component::detail::ComponentInstance*);

  ComponentManager(ServiceComponentRuntime& runtime, FrameworkPrivate& framework, std::shared_ptr<BundlePrivate> bundle,
                   ComponentMetadata metadata, long id);
  ~ComponentManager();

  ComponentManager(ComponentManager const&) = delete;
  ComponentManager& operator=(ComponentManager const&) = delete;

  ComponentMetadata const& Metadata() const noexcept { return metadata_; }
  long Id() const noexcept { return id_; }
  BundlePrivate& Bundle() const noexcept { return *bundle_; }
  FrameworkPrivate& Framework() const noexcept { return framework_; }
  ServiceComponentRuntime& Runtime() const noexcept { return runtime_; }
  bool IsEnabled() const noexcept { return enabled_; }
  ComponentConfiguration::State State() const noexcept { return configuration_.GetState(); }
  std::string const& Error() const noexcept { return error_; }

  void Enable();
  /// Disables the component; a non-empty reason is logged and kept as its error.
  void Disable(std::string const& reason = std::string());

  void ServiceChanged(ServiceEvent const& event);

  InterfaceMapConstPtr GetService() { return configuration_.GetService(); }
  ServiceReferenceBase GetServiceReference() const { return configuration_.GetServiceReference(); }

  /// \throws service::component::ComponentException for an unknown or unbound reference.
  std::shared_ptr<void> LocateService(std::string const& refName, std::string const& type) const;
  std::vector<std::shared_ptr<void>> LocateServices(std::string const& refName, std::string const& type) const;

  std::unordered_map<std::string, Any> Properties() const;
  ServiceProperties RegistrationProperties() const;

  // For the configuration.
  bool AllSatisfied() const;
  void BindReferences();
  void UnbindReferences();
  NewInstanceFunction NewInstance() const noexcept { return newInstance_; }
  DeleteInstanceFunction DeleteInstance() const noexcept { return deleteInstance_; }

  /// "bundle "<symbolic name>": component "<name>"", the start of every message.
  std::string Describe() const;
  void Log(std::string const& message) const;

private:
  ReferenceManager const& FindReference(std::string const& refName) const;
  std::vector<std::shared_ptr<void>> Objects(ReferenceManager const& reference, std::string const& type) const;

  ServiceComponentRuntime& runtime_;
  FrameworkPrivate& framework_;
  std::shared_ptr<BundlePrivate> const bundle_;
  ComponentMetadata const metadata_;
  long const id_;

  bool enabled_ = false;
  std::string error_;
  NewInstanceFunction newInstance_ = nullptr;
  DeleteInstanceFunction deleteInstance_ = nullptr;
  std::vector<std::unique_ptr<ReferenceManager>> references_;
  ComponentConfiguration configuration_;
};

} // namespace cppmicroservices::scr
