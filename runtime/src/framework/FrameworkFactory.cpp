#include "cppmicroservices/FrameworkFactory.h"

#include "FrameworkPrivate.hpp"

#include "cppmicroservices/Framework.h"

namespace cppmicroservices {

Framework FrameworkFactory::NewFramework(FrameworkConfiguration const& configuration, std::ostream* logger)
{
  return Framework(std::make_shared<FrameworkPrivate>(configuration, logger));
}

Framework FrameworkFactory::NewFramework()
{
  return NewFramework(FrameworkConfiguration());
}

Framework FrameworkFactory::NewFramework(std::map<std::string, Any> const& configuration, std::ostream* logger)
{
  return NewFramework(FrameworkConfiguration(configuration.begin(), configuration.end()), logger);
}

} // namespace cppmicroservices
