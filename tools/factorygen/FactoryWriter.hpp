#pragma once

#include "ComponentDescription.hpp"

#include <string>
#include <vector>

namespace richmarkup::tools {

/**
 * Writes the C++ source of a bundle's component factories: for each component an
 * exported NewInstance_<C> that allocates its ComponentInstanceImpl without throwing,
 * and DeleteInstance_<C> that destroys it (C: the class name with "::" as "_").
 */
class FactoryWriter
{
public:
  static std::string Write(std::vector<ComponentDescription> const& components, std::string const& manifestName);

  /// "a::b::C" -> "a_b_C"; a leading "::" is dropped.
  static std::string SymbolSuffix(std::string const& qualifiedName);

  /// "a::b::C" -> "C": the header "C.hpp" is expected beside the bundle's sources.
  static std::string ShortName(std::string const& qualifiedName);
};

} // namespace richmarkup::tools
