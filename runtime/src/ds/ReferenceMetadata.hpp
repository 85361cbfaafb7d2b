#pragma once

#include "cppmicroservices/LDAPFilter.h"

#include <string>

namespace cppmicroservices::scr {

/// One reference of a component, as the manifest declares it (validated).
struct ReferenceMetadata
{
  std::string name;
  std::string interfaceName;
  std::string target;    // the filter text, empty for none
  LDAPFilter filter;     // parsed once from target
  bool optional = false; // cardinality 0..1 / 0..n
  bool multiple = false; // cardinality 0..n / 1..n
};

} // namespace cppmicroservices::scr
