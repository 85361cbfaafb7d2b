#ifndef CPPMICROSERVICES_SERVICECOMPONENT_COMPONENTCONSTANTS_HPP
#define CPPMICROSERVICES_SERVICECOMPONENT_COMPONENTCONSTANTS_HPP

#include "cppmicroservices/servicecomponent/ServiceComponentExport.h"

#include <string>

namespace cppmicroservices::service::component::ComponentConstants {

/// Manifest key of the Declarative Services section ("scr").
US_ServiceComponent_EXPORT extern std::string const SERVICE_COMPONENT;
/// Component property with the component's name ("component.name").
US_ServiceComponent_EXPORT extern std::string const COMPONENT_NAME;
/// Component property with the component's id, a long ("component.id").
US_ServiceComponent_EXPORT extern std::string const COMPONENT_ID;
/// Suffix of the property that holds a reference's target filter (".target").
US_ServiceComponent_EXPORT extern std::string const REFERENCE_TARGET_SUFFIX;

} // namespace cppmicroservices::service::component::ComponentConstants

#endif // CPPMICROSERVICES_SERVICECOMPONENT_COMPONENTCONSTANTS_HPP
