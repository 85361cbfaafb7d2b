#pragma once

#include "cppmicroservices/AnyMap.h"

#include <string>
#include <vector>

namespace cppmicroservices {

/// A bundle found in a library: its symbolic name and its manifest.
struct BundleManifest
{
  std::string symbolicName;
  AnyMap headers;
};

/**
 * Reads the manifests of a bundle library: every top directory of its resource archive
 * that holds a manifest.json is one bundle.
 */
class BundleManifestLoader
{
public:
  /// \throws std::runtime_error naming the file and what is wrong with it.
  static std::vector<BundleManifest> Load(std::string const& location);

  /// Manifests given by the caller: symbolic name -> manifest map.
  static std::vector<BundleManifest> FromMap(std::string const& location, AnyMap const& manifests);

private:
  static std::string SymbolicNameOf(std::string const& location, std::string const& where, AnyMap const& headers);
};

} // namespace cppmicroservices
