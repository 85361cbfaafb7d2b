#pragma once

#include "ReferenceMetadata.hpp"

#include "cppmicroservices/AnyMap.h"

#include <string>
#include <vector>

namespace cppmicroservices::scr {

/// One component of a bundle's "scr" section, read once and validated.
struct ComponentMetadata
{
  std::string name;                    // defaults to the implementation class
  std::string implementationClass;     // qualified C++ name
  std::vector<std::string> interfaces; // empty: the component provides no service
  AnyMap properties{AnyMap::UNORDERED_MAP_CASEINSENSITIVE_KEYS};
  bool injectReferences = false;
  bool immediate = false; // true when it provides no service
  bool enabled = true;
  std::vector<ReferenceMetadata> references;

  /// The suffix of the factory symbols: the class name with "::" written as "_".
  std::string FactorySuffix() const;
};

} // namespace cppmicroservices::scr
