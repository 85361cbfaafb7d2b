#include "cppmicroservices/LDAPFilter.h"

#include "AnyMapLookup.hpp"
#include "LDAPExpr.hpp"

namespace cppmicroservices {

namespace {

bool IsBlank(std::string const& text) noexcept
{
  for (char const c : text) {
    if (!(c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v')) {
      return false;
    }
  }
  return true;
}

} // namespace

LDAPFilter::LDAPFilter() = default;

LDAPFilter::LDAPFilter(std::string const& filter)
{
  // Lookups pass "" for "no filter"; treat it as the filter that matches everything.
  if (!IsBlank(filter)) {
    d = detail::LDAPExpr::Parse(filter);
  }
}

LDAPFilter::LDAPFilter(LDAPFilter const& other) = default;
LDAPFilter& LDAPFilter::operator=(LDAPFilter const& filter) = default;
LDAPFilter::~LDAPFilter() = default;

LDAPFilter::operator bool() const
{
  return static_cast<bool>(d);
}

bool LDAPFilter::Match(AnyMap const& dictionary) const
{
  return !d || d->Evaluate(detail::AnyMapLookup(dictionary, false));
}

bool LDAPFilter::MatchCase(AnyMap const& dictionary) const
{
  return !d || d->Evaluate(detail::AnyMapLookup(dictionary, true));
}

std::string LDAPFilter::ToString() const
{
  return d ? d->ToString() : std::string();
}

bool LDAPFilter::operator==(LDAPFilter const& other) const
{
  return ToString() == other.ToString();
}

std::ostream& operator<<(std::ostream& os, LDAPFilter const& filter)
{
  return os << filter.ToString();
}

} // namespace cppmicroservices
