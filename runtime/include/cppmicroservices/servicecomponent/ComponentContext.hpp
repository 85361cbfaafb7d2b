#ifndef CPPMICROSERVICES_SERVICECOMPONENT_COMPONENTCONTEXT_HPP
#define CPPMICROSERVICES_SERVICECOMPONENT_COMPONENTCONTEXT_HPP

#include "cppmicroservices/Any.h"
#include "cppmicroservices/Bundle.h"
#include "cppmicroservices/BundleContext.h"
#include "cppmicroservices/ServiceInterface.h"
#include "cppmicroservices/ServiceReference.h"
#include "cppmicroservices/servicecomponent/ServiceComponentExport.h"

#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace cppmicroservices::service::component {

/**
 * What a component instance sees of its runtime: its properties, its bundle's context
 * and the services bound to its references, located by reference name.
 */
class US_ServiceComponent_EXPORT ComponentContext
{
public:
  virtual ~ComponentContext() noexcept;

  /// The component's properties: the manifest's, plus "component.name" and "component.id".
  virtual std::unordered_map<std::string, Any> GetProperties() const = 0;

  /// The context of the bundle that declares the component.
  virtual BundleContext GetBundleContext() const = 0;

  /// Always invalid here: components are singletons shared by every bundle.
  virtual Bundle GetUsingBundle() const = 0;

  /// Enables a component of the same bundle (every one when name is empty).
  virtual void EnableComponent(std::string const& name) = 0;

  /// Disables a component of the same bundle.
  virtual void DisableComponent(std::string const& name) = 0;

  /// The reference of the component's own service, or an invalid one.
  virtual ServiceReferenceBase GetServiceReference() const = 0;

  /**
   * The service bound to the reference refName, as T.
   * \throws ComponentException if no service is bound or it cannot be obtained.
   */
  template <class T>
  std::shared_ptr<T> LocateService(std::string const& refName) const
  {
    return std::static_pointer_cast<T>(LocateService(refName, cppmicroservices::detail::ServiceInterfaceId<T>()));
  }

  /// The services bound to the reference refName, as T (one for a unary reference).
  template <class T>
  std::vector<std::shared_ptr<T>> LocateServices(std::string const& refName) const
  {
    auto const objects = LocateServices(refName, cppmicroservices::detail::ServiceInterfaceId<T>());
    std::vector<std::shared_ptr<T>> result;
    result.reserve(objects.size());
    for (auto const& object : objects) {
      result.push_back(std::static_pointer_cast<T>(object));
    }
    return result;
  }

protected:
  virtual std::shared_ptr<void> LocateService(std::string const& name, std::string const& type) const = 0;
  virtual std::vector<std::shared_ptr<void>> LocateServices(std::string const& name, std::string const& type) const = 0;
};

} // namespace cppmicroservices::service::component

#endif // CPPMICROSERVICES_SERVICECOMPONENT_COMPONENTCONTEXT_HPP
