#pragma once

#include <string>

namespace cppmicroservices {

/**
 * Loading bundle libraries. A library stays loaded for the rest of the process: objects
 * it created may be held by the host long after the framework is gone, and their code
 * must still be there when they are destroyed.
 */
class BundleLibrary
{
public:
  /// \throws std::runtime_error "<path>: cannot load bundle library: <reason>".
  static void* Load(std::string const& path);

  /// The exported symbol, or nullptr.
  static void* Symbol(void* library, std::string const& name) noexcept;
};

} // namespace cppmicroservices
