#ifndef CPPMICROSERVICES_LDAPFILTER_H
#define CPPMICROSERVICES_LDAPFILTER_H

#include "cppmicroservices/AnyMap.h"

#include <memory>
#include <ostream>
#include <string>

namespace cppmicroservices {

class Bundle;
class ServiceReferenceBase;

namespace detail {
class LDAPExpr;
}

/**
 * An RFC 1960 filter, e.g. "(&(objectclass=a::B)(|(test_id=X)(count>=3)))", parsed once
 * and matched against property maps any number of times. Immutable once built, so one
 * filter may be matched from many threads; copies share the parsed tree.
 *
 * Attribute names are matched case-insensitively (except by MatchCase). A property value
 * is compared according to its type: strings as strings (with '*' wildcards for '='),
 * integral and floating types numerically, bools against "true"/"false", and a
 * std::vector / std::list of values matches when any element matches.
 */
class US_Framework_EXPORT LDAPFilter
{
public:
  /// An empty filter: matches everything, ToString() is "" and it converts to false.
  LDAPFilter();

  /**
   * Parses filter; an empty or blank string gives an empty filter.
   * \throws std::invalid_argument naming the position where the text stopped making sense.
   */
  LDAPFilter(std::string const& filter);

  LDAPFilter(LDAPFilter const& other);
  LDAPFilter& operator=(LDAPFilter const& filter);
  ~LDAPFilter();

  /// False for an empty filter.
  explicit operator bool() const;

  /// Matches the service's properties, keys compared case-insensitively.
  bool Match(ServiceReferenceBase const& reference) const;

  /// Matches the bundle's manifest headers, keys compared case-insensitively.
  bool Match(Bundle const& bundle) const;

  /// Matches dictionary, keys compared case-insensitively.
  bool Match(AnyMap const& dictionary) const;

  /// Matches dictionary, keys compared exactly.
  bool MatchCase(AnyMap const& dictionary) const;

  /// The filter in normal form: no insignificant whitespace, special characters escaped.
  std::string ToString() const;

  /// Same normal form.
  bool operator==(LDAPFilter const& other) const;

protected:
  std::shared_ptr<detail::LDAPExpr const> d;
};

US_Framework_EXPORT std::ostream& operator<<(std::ostream& os, LDAPFilter const& filter);

} // namespace cppmicroservices

#endif // CPPMICROSERVICES_LDAPFILTER_H
