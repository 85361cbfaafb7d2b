#include "cppmicroservices/servicecomponent/ComponentException.hpp"

namespace cppmicroservices::service::component {

ComponentException::ComponentException(std::string const& message) : std::runtime_error(message) {}
ComponentException::ComponentException(char const* message) : std::runtime_error(message) {}
ComponentException::~ComponentException() = default;

} // namespace cppmicroservices::service::component
