#include "cppmicroservices/servicecomponent/detail/ComponentInstance.hpp"

namespace cppmicroservices::service::component::detail {

// Out of line so that the type info lives in the runtime library only.
ComponentInstance::~ComponentInstance() noexcept = default;

} // namespace cppmicroservices::service::component::detail
