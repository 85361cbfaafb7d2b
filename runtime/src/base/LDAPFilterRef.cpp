// Matching against a service reference or a bundle: kept apart from LDAPFilter.cpp
// because it needs the framework's classes, which the filter itself does not.

#if __has_include("cppmicroservices/ServiceReferenceBase.h") && __has_include("cppmicroservices/Bundle.h")

#include "cppmicroservices/Bundle.h"
#include "cppmicroservices/LDAPFilter.h"
#include "cppmicroservices/ServiceReferenceBase.h"

#include "AnyMapLookup.hpp"
#include "LDAPExpr.hpp"

namespace cppmicroservices {

bool LDAPFilter::Match(ServiceReferenceBase const& reference) const
{
  if (!d) {
    return true;
  }
  // A reference hands its properties out one by one; gather them into a map whose keys
  // compare case-insensitively, as the filter looks them up.
  AnyMap properties(AnyMap::UNORDERED_MAP_CASEINSENSITIVE_KEYS);
  for (auto const& key : reference.GetPropertyKeys()) {
    properties.emplace(key, reference.GetProperty(key));
  }
  return d->Evaluate(detail::AnyMapLookup(properties, false));
}

bool LDAPFilter::Match(Bundle const& bundle) const
{
  if (!d) {
    return true;
  }
  auto const& headers = bundle.GetHeaders();
  return d->Evaluate(detail::AnyMapLookup(headers, false));
}

} // namespace cppmicroservices

#endif
