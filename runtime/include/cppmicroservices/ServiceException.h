#ifndef CPPMICROSERVICES_SERVICEEXCEPTION_H
#define CPPMICROSERVICES_SERVICEEXCEPTION_H

#include "cppmicroservices/FrameworkConfig.h"

#include <ostream>
#include <stdexcept>
#include <string>

namespace cppmicroservices {

/// A problem with a service: its registration, its factory or its interface id.
class US_Framework_EXPORT ServiceException : public std::runtime_error
{
public:
  enum Type
  {
    UNSPECIFIED = 0,
    UNREGISTERED = 1,
    FACTORY_ERROR = 2,
    FACTORY_EXCEPTION = 3,
    REMOTE = 5,
    FACTORY_RECURSION = 6
  };

  ServiceException(std::string const& msg, Type const& type = UNSPECIFIED);
  ServiceException(ServiceException const& o);
  ServiceException& operator=(ServiceException const& o);
  ~ServiceException() override;

  Type GetType() const;

private:
  Type type;
};

US_Framework_EXPORT std::ostream& operator<<(std::ostream& os, ServiceException const& exc);

} // namespace cppmicroservices

#endif // CPPMICROSERVICES_SERVICEEXCEPTION_H
