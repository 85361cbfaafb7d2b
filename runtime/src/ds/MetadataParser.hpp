#pragma once

#include "ComponentMetadata.hpp"

#include "cppmicroservices/AnyMap.h"

#include <string>
#include <vector>

namespace cppmicroservices::scr {

/// What a bundle's "scr" section holds: the valid components and one text per error.
struct BundleMetadata
{
  std::vector<ComponentMetadata> components;
  std::vector<std::string> errors;
};

/**
 * Reads the "scr" section of a manifest. An error in one component (each message names
 * bundle and component) leaves that component out and the others in; an error in the
 * section itself leaves every component out.
 */
class MetadataParser
{
public:
  static BundleMetadata Parse(std::string const& bundleName, AnyMap const& headers);

private:
  static bool ParseComponent(std::string const& bundleName, std::size_t index, Any const& value,
                             ComponentMetadata& component, std::string& error);
  static bool ParseReference(std::string const& where, std::size_t index, Any const& value,
                             ReferenceMetadata& reference, std::string& error);
};

} // namespace cppmicroservices::scr
