#pragma once

#include "ComponentDescription.hpp"

#include <stdexcept>
#include <string>
#include <vector>

namespace richmarkup::tools {

/// A manifest the generator cannot use; the text names the manifest and the component.
class ManifestError : public std::runtime_error
{
public:
  using std::runtime_error::runtime_error;
};

/**
 * Reads the components of a bundle manifest's "scr" section. A manifest without "scr"
 * has no components. Everything a factory needs is checked here, so that a bad manifest
 * stops the build with a message instead of producing code that does not compile.
 */
class ManifestReader
{
public:
  /// \throws ManifestError "<manifestName>: ..." for invalid JSON or an invalid component.
  static std::vector<ComponentDescription> Parse(std::string const& json, std::string const& manifestName);

  /// Reads path and parses it. \throws ManifestError also when the file cannot be read.
  static std::vector<ComponentDescription> ReadFile(std::string const& path);

  /// True for "a", "a::b::C" and "::a::C": names the generated code can spell.
  static bool IsQualifiedName(std::string const& name);
};

} // namespace richmarkup::tools
