#pragma once

#include "ComponentDescription.hpp"

#include <string>
#include <vector>

namespace richmarkup::tools {

/**
 * Writes the C++ source of a bundle's component factories: for each component an
 * exported NewInstance_<C> that allocates its ComponentInstanceImpl and gives null, never an
 * exception, when memory runs out,
 * and DeleteInstance_<C> that destroys it (C: the class name with "::" as "_").
 */
class FactoryWriter
{
public:
  /// Includes headers in their order, or, when none is given, "<ShortName>.hpp" of each
  /// implementation class.
  static std::string Write(std::vector<ComponentDescription> const& components, std::string const& manifestName,
                           std::vector<std::string> const& headers = {});

  /// "a::b::C" -> "a_b_C"; a leading "::" is dropped.
  static std::string SymbolSuffix(std::string const& qualifiedName);

  /// "a::b::C" -> "C": the header "C.hpp" is expected beside the bundle's sources.
  static std::string ShortName(std::string const& qualifiedName);
};

} // namespace richmarkup::tools
