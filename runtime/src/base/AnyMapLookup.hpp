#pragma once

#include "PropertyLookup.hpp"

#include "cppmicroservices/AnyMap.h"

namespace cppmicroservices::detail {

/// Looks keys up in an AnyMap, either case-insensitively or exactly, whatever the map's
/// own key comparison.
class AnyMapLookup final : public PropertyLookup
{
public:
  AnyMapLookup(AnyMap const& map, bool matchCase) : map_(map), matchCase_(matchCase) {}
  Any const* Find(std::string const& key) const override;

private:
  AnyMap const& map_;
  bool matchCase_;
};

} // namespace cppmicroservices::detail
