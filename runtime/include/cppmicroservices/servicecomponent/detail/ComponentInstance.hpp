#ifndef CPPMICROSERVICES_SERVICECOMPONENT_DETAIL_COMPONENTINSTANCE_HPP
#define CPPMICROSERVICES_SERVICECOMPONENT_DETAIL_COMPONENTINSTANCE_HPP

#include "cppmicroservices/ServiceInterface.h"
#include "cppmicroservices/ServiceReference.h"
#include "cppmicroservices/servicecomponent/ComponentContext.hpp"
#include "cppmicroservices/servicecomponent/ServiceComponentExport.h"

#include <memory>
#include <string>

namespace cppmicroservices::service::component::detail {

/**
 * The runtime's handle on one object of a component's implementation class. A bundle's
 * NewInstance_<class> factory creates it; the runtime creates the object through it on
 * activation and destroys it through DeleteInstance_<class>.
 */
class US_ServiceComponent_EXPORT ComponentInstance
{
public:
  virtual ~ComponentInstance() noexcept;

  /// Constructs the implementation object, passing the located references to its constructor.
  virtual void CreateInstance(std::shared_ptr<ComponentContext> const& ctxt) = 0;

  /// Hands the references that have binders to the object.
  virtual void BindReferences(std::shared_ptr<ComponentContext> const& ctxt) = 0;

  virtual void UnbindReferences() = 0;

  /// Calls the object's Activate(context) if it has one.
  virtual void Activate() = 0;

  /// Calls the object's Deactivate(context) if it has one.
  virtual void Deactivate() = 0;

  /// Calls the object's Modified(context, properties) if it has one.
  virtual void Modified() = 0;

  virtual bool DoesModifiedMethodExist() = 0;

  virtual void InvokeUnbindMethod(std::string const& refName, ServiceReferenceBase const& sRef) = 0;
  virtual void InvokeBindMethod(std::string const& refName, ServiceReferenceBase const& sRef) = 0;

  /// The object under each of the component's interfaces; empty before CreateInstance.
  virtual InterfaceMapPtr GetInterfaceMap() = 0;

  /// CreateInstance then BindReferences.
  void CreateInstanceAndBindReferences(std::shared_ptr<ComponentContext> const& ctxt)
  {
    CreateInstance(ctxt);
    BindReferences(ctxt);
  }
};

} // namespace cppmicroservices::service::component::detail

#endif // CPPMICROSERVICES_SERVICECOMPONENT_DETAIL_COMPONENTINSTANCE_HPP
