#pragma once

#include "cppmicroservices/Any.h"

#include <string>

namespace cppmicroservices::detail {

/// Where a filter finds the value of an attribute.
class PropertyLookup
{
public:
  virtual ~PropertyLookup() = default;
  /// The value stored under key, or nullptr when there is none.
  virtual Any const* Find(std::string const& key) const = 0;
};

} // namespace cppmicroservices::detail
