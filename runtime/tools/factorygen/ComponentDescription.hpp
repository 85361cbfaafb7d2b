#pragma once

#include <string>
#include <vector>

namespace richmarkup::tools {

/// One service reference of a component, as the factory needs it.
struct ReferenceDescription
{
  std::string name;
  std::string interfaceName; // qualified C++ name
};

/// One component of a manifest's "scr" section, as the factory needs it.
struct ComponentDescription
{
  std::string implementationClass;     // qualified C++ name
  std::vector<std::string> interfaces; // qualified C++ names, manifest order
  std::vector<ReferenceDescription> references;
  bool injectReferences = false;
};

} // namespace richmarkup::tools
