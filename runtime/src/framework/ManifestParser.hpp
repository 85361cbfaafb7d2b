#pragma once

#include "cppmicroservices/AnyMap.h"

#include <string>

namespace cppmicroservices {

/**
 * Turns manifest JSON into the AnyMap that Bundle::GetHeaders() returns: objects become
 * AnyMaps with case-insensitive keys, arrays std::vector<Any>, integers int (or long
 * long when larger), other numbers double, null an empty Any.
 */
class ManifestParser
{
public:
  /// \throws std::runtime_error "<where> is not valid JSON: <reason>" or "... is not a JSON object".
  static AnyMap Parse(std::string const& text, std::string const& where);
};

} // namespace cppmicroservices
