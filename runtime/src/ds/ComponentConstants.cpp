#include "cppmicroservices/servicecomponent/ComponentConstants.hpp"

namespace cppmicroservices::service::component::ComponentConstants {

std::string const SERVICE_COMPONENT = "scr";
std::string const COMPONENT_NAME = "component.name";
std::string const COMPONENT_ID = "component.id";
std::string const REFERENCE_TARGET_SUFFIX = ".target";

} // namespace cppmicroservices::service::component::ComponentConstants
