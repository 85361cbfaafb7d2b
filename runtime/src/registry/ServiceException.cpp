#include "cppmicroservices/ServiceException.h"

namespace cppmicroservices {

ServiceException::ServiceException(std::string const& msg, Type const& t) : std::runtime_error(msg), type(t) {}
ServiceException::ServiceException(ServiceException const& o) = default;
ServiceException& ServiceException::operator=(ServiceException const& o) = default;
ServiceException::~ServiceException() = default;

ServiceException::Type ServiceException::GetType() const
{
  return type;
}

std::ostream& operator<<(std::ostream& os, ServiceException const& exc)
{
  return os << "ServiceException: " << exc.what();
}

} // namespace cppmicroservices
