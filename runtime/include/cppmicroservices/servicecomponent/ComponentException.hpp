#ifndef CPPMICROSERVICES_SERVICECOMPONENT_COMPONENTEXCEPTION_HPP
#define CPPMICROSERVICES_SERVICECOMPONENT_COMPONENTEXCEPTION_HPP

#include "cppmicroservices/servicecomponent/ServiceComponentExport.h"

#include <stdexcept>
#include <string>

namespace cppmicroservices::service::component {

/// A component could not be activated, or a reference could not be located.
class US_ServiceComponent_EXPORT ComponentException : public std::runtime_error
{
public:
  explicit ComponentException(std::string const& message);
  explicit ComponentException(char const* message);
  ComponentException(ComponentException const&) = default;
  ComponentException& operator=(ComponentException const&) = default;
  ~ComponentException() override;
};

} // namespace cppmicroservices::service::component

#endif // CPPMICROSERVICES_SERVICECOMPONENT_COMPONENTEXCEPTION_HPP
