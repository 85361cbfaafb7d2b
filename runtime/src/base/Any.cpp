#include "cppmicroservices/Any.h"

#include <cxxabi.h>

#include <cstdio>
#include <cstdlib>
#include <iomanip>
#include <stdexcept>

namespace cppmicroservices {

namespace {

// Enough digits to tell typical values apart without printing binary noise.
constexpr int kFloatingPrecision = 12;

template <class T>
std::ostream& WriteFloating(std::ostream& os, T val)
{
  auto const oldPrecision = os.precision(kFloatingPrecision);
  os << val;
  os.precision(oldPrecision);
  return os;
}

} // namespace

std::ostream& newline_and_indent(std::ostream& os, uint8_t const increment, int32_t const indent)
{
  if (increment > 0) {
    os << '\n';
    for (int32_t i = 0; i < indent; ++i) {
      os << ' ';
    }
  }
  return os;
}

std::ostream& any_value_to_string(std::ostream& os, Any const& any)
{
  if (!any.Empty()) {
    os << any.ToString();
  }
  return os;
}

std::ostream& any_value_to_string(std::ostream& os, bool val)
{
  return os << (val ? "true" : "false");
}

std::ostream& any_value_to_string(std::ostream& os, float val)
{
  return WriteFloating(os, val);
}

std::ostream& any_value_to_string(std::ostream& os, double val)
{
  return WriteFloating(os, val);
}

std::ostream& any_value_to_json(std::ostream& os, Any const& val, uint8_t const increment, int32_t const indent)
{
  return os << val.ToJSON(increment, indent);
}

std::ostream& any_value_to_json(std::ostream& os, std::string const& val, uint8_t const, int32_t const)
{
  os << '"';
  for (char const c : val) {
    switch (c) {
    case '"': os << "\\\""; break;
    case '\\': os << "\\\\"; break;
    case '\b': os << "\\b"; break;
    case '\f': os << "\\f"; break;
    case '\n': os << "\\n"; break;
    case '\r': os << "\\r"; break;
    case '\t': os << "\\t"; break;
    default:
      if (static_cast<unsigned char>(c) < 0x20) {
        char buffer[8];
        std::snprintf(buffer, sizeof buffer, "\\u%04x", static_cast<unsigned>(static_cast<unsigned char>(c)));
        os << buffer;
      } else {
        os << c;
      }
    }
  }
  return os << '"';
}

std::ostream& any_value_to_json(std::ostream& os, char const* val, uint8_t const increment, int32_t const indent)
{
  return val ? any_value_to_json(os, std::string(val), increment, indent) : os << "null";
}

std::ostream& any_value_to_json(std::ostream& os, bool val, uint8_t const, int32_t const)
{
  return os << (val ? "true" : "false");
}

std::ostream& any_value_to_json(std::ostream& os, float val, uint8_t const, int32_t const)
{
  return WriteFloating(os, val);
}

std::ostream& any_value_to_json(std::ostream& os, double val, uint8_t const, int32_t const)
{
  return WriteFloating(os, val);
}

std::string Any::ToString() const
{
  if (Empty()) {
    throw std::logic_error("empty any");
  }
  return _content->ToString();
}

std::string Any::ToStringNoExcept() const
{
  return Empty() ? std::string() : _content->ToString();
}

namespace detail {

std::string GetDemangledName(std::type_info const& typeInfo)
{
  int status = 0;
  std::unique_ptr<char, void (*)(void*)> demangled(abi::__cxa_demangle(typeInfo.name(), nullptr, nullptr, &status),
                                                   std::free);
  if (status != 0 || !demangled) {
    return typeInfo.name();
  }
  return demangled.get();
}

std::ostream& WriteUnprintable(std::ostream& os, std::type_info const& type)
{
  return os << '<' << GetDemangledName(type) << '>';
}

void ThrowBadAnyCastException(std::string const& funcName, std::type_info const& source, std::type_info const& target)
{
  std::string message = "cppmicroservices::BadAnyCastException: " + funcName + ": cannot convert a value of type '" +
                        (source == typeid(void) ? std::string("<empty>") : GetDemangledName(source)) + "' to '" +
                        GetDemangledName(target) + "'";
  throw BadAnyCastException(std::move(message));
}

} // namespace detail
} // namespace cppmicroservices
