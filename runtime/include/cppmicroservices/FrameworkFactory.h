#ifndef CPPMICROSERVICES_FRAMEWORKFACTORY_H
#define CPPMICROSERVICES_FRAMEWORKFACTORY_H

#include "cppmicroservices/Any.h"
#include "cppmicroservices/FrameworkConfig.h"

#include <map>
#include <ostream>
#include <string>
#include <unordered_map>

namespace cppmicroservices {

class Framework;

/// Framework properties, e.g. Constants::FRAMEWORK_STORAGE.
using FrameworkConfiguration = std::unordered_map<std::string, Any>;

/// Creates frameworks; each one has its own bundles and service registry.
class US_Framework_EXPORT FrameworkFactory
{
public:
  /**
   * A new framework in STATE_INSTALLED. Diagnostics (components that cannot be
   * activated, failing service factories and listeners) go to logger, or std::cerr
   * when it is null.
   */
  Framework NewFramework(FrameworkConfiguration const& configuration, std::ostream* logger = nullptr);

  Framework NewFramework();

  Framework NewFramework(std::map<std::string, Any> const& configuration, std::ostream* logger = nullptr);
};

} // namespace cppmicroservices

#endif // CPPMICROSERVICES_FRAMEWORKFACTORY_H
