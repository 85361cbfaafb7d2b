#include "cppmicroservices/servicecomponent/ComponentContext.hpp"

namespace cppmicroservices::service::component {

// Out of line so that the type info lives in the runtime library only.
ComponentContext::~ComponentContext() noexcept = default;

} // namespace cppmicroservices::service::component
