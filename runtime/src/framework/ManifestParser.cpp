#include "ManifestParser.hpp"

#include <simdjson.h>

#include <cstdint>
#include <limits>
#include <stdexcept>
#include <vector>

namespace cppmicroservices {

namespace {

Any Convert(simdjson::dom::element const& element);

AnyMap ConvertObject(simdjson::dom::object const& object)
{
  AnyMap map(AnyMap::UNORDERED_MAP_CASEINSENSITIVE_KEYS);
  for (auto const field : object) {
    // Of duplicate keys the last one wins, as in most JSON readers.
    map[std::string(field.key)] = Convert(field.value);
  }
  return map;
}

// simdjson limits the nesting depth, so this recursion is bounded.
Any Convert(simdjson::dom::element const& element)
{
  switch (element.type()) {
  case simdjson::dom::element_type::OBJECT: return ConvertObject(simdjson::dom::object(element));
  case simdjson::dom::element_type::ARRAY: {
    std::vector<Any> values;
    for (auto const item : simdjson::dom::array(element)) {
      values.push_back(Convert(item));
    }
    return values;
  }
  case simdjson::dom::element_type::STRING: return std::string(std::string_view(element));
  case simdjson::dom::element_type::INT64: {
    int64_t const value = int64_t(element);
    if (value >= std::numeric_limits<int>::min() && value <= std::numeric_limits<int>::max()) {
      return static_cast<int>(value);
    }
    return static_cast<long long>(value);
  }
  case simdjson::dom::element_type::UINT64: {
    uint64_t const value = uint64_t(element);
    return static_cast<unsigned long long>(value);
  }
  case simdjson::dom::element_type::DOUBLE: return double(element);
  case simdjson::dom::element_type::BOOL: return bool(element);
  case simdjson::dom::element_type::NULL_VALUE:
  default: return Any();
  }
}

} // namespace

AnyMap ManifestParser::Parse(std::string const& text, std::string const& where)
{
  simdjson::dom::parser parser;
  simdjson::padded_string const padded(text);
  simdjson::dom::element document;
  auto const error = parser.parse(padded).get(document);
  if (error) {
    throw std::runtime_error(where + " is not valid JSON: " + simdjson::error_message(error));
  }
  if (document.type() != simdjson::dom::element_type::OBJECT) {
    throw std::runtime_error(where + " is not a JSON object");
  }
  return ConvertObject(simdjson::dom::object(document));
}

} // namespace cppmicroservices
