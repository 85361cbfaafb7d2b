#include "LDAPExpr.hpp"

#include "LDAPParser.hpp"

#include <list>
#include <set>
#include <string_view>
#include <type_traits>
#include <typeinfo>

namespace cppmicroservices::detail {

namespace {

using Kind = LDAPExpr::Kind;
using Node = LDAPExpr::Node;

bool IsSpace(char c) noexcept
{
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v';
}

char LowerAscii(char c) noexcept
{
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + ('a' - 'A')) : c;
}

// "a*b*c": the first part is a prefix, the last a suffix, the others appear in order.
bool MatchSubstring(std::string_view text, std::vector<std::string> const& parts) noexcept
{
  std::string_view const first = parts.front();
  std::string_view const last = parts.back();
  if (text.size() < first.size() || text.substr(0, first.size()) != first) {
    return false;
  }
  text.remove_prefix(first.size());
  for (std::size_t i = 1; i + 1 < parts.size(); ++i) {
    std::size_t const found = text.find(parts[i]);
    if (found == std::string_view::npos) {
      return false;
    }
    text.remove_prefix(found + parts[i].size());
  }
  return text.size() >= last.size() && text.substr(text.size() - last.size()) == last;
}

// Whitespace-insensitive, case-insensitive equality against the prepared value.
bool MatchApprox(std::string_view text, std::string const& prepared) noexcept
{
  std::size_t j = 0;
  for (char const c : text) {
    if (IsSpace(c)) {
      continue;
    }
    if (j >= prepared.size() || LowerAscii(c) != prepared[j]) {
      return false;
    }
    ++j;
  }
  return j == prepared.size();
}

bool CompareString(Node const& node, std::string_view text) noexcept
{
  switch (node.kind) {
  case Kind::Equal: return text == node.value;
  case Kind::Approx: return MatchApprox(text, node.approxValue);
  case Kind::GreaterEq: return text >= std::string_view(node.value);
  case Kind::LessEq: return text <= std::string_view(node.value);
  case Kind::Substring: return MatchSubstring(text, node.parts);
  default: return false;
  }
}

template <class T>
bool Ordered(Kind kind, T lhs, T rhs) noexcept
{
  switch (kind) {
  case Kind::Equal:
  case Kind::Approx: return lhs == rhs;
  case Kind::GreaterEq: return lhs >= rhs;
  case Kind::LessEq: return lhs <= rhs;
  default: return false;
  }
}

bool CompareDouble(Node const& node, long double value) noexcept
{
  return node.hasDouble && Ordered<long double>(node.kind, value, static_cast<long double>(node.doubleValue));
}

bool CompareSigned(Node const& node, long long value) noexcept
{
  if (node.hasSigned) {
    return Ordered(node.kind, value, node.signedValue);
  }
  if (node.hasUnsigned) {
    // The filter's number is above every signed value.
    return node.kind == Kind::LessEq;
  }
  return CompareDouble(node, static_cast<long double>(value));
}

bool CompareUnsigned(Node const& node, unsigned long long value) noexcept
{
  if (node.hasUnsigned) {
    return Ordered(node.kind, value, node.unsignedValue);
  }
  if (node.hasSigned) {
    // A negative filter number is below every unsigned value.
    return node.kind == Kind::GreaterEq;
  }
  return CompareDouble(node, static_cast<long double>(value));
}

bool CompareBool(Node const& node, bool value) noexcept
{
  if (node.kind != Kind::Equal && node.kind != Kind::Approx) {
    return false;
  }
  return node.boolValue >= 0 && (node.boolValue == 1) == value;
}

template <class T>
bool Holds(Any const& value) noexcept
{
  return value.Type() == typeid(T);
}

template <class T>
T const& Held(Any const& value) noexcept
{
  return *unsafe_any_cast<T>(&value);
}

template <class Container, class Compare>
bool AnyElement(Container const& container, Compare const& compare)
{
  for (auto const& element : container) {
    if (compare(element)) {
      return true;
    }
  }
  return false;
}

} // namespace

std::shared_ptr<LDAPExpr const> LDAPExpr::Parse(std::string const& text)
{
  auto expr = std::make_shared<LDAPExpr>();
  LDAPParser(text, *expr).Run();
  return expr;
}

bool LDAPExpr::Evaluate(PropertyLookup const& lookup) const
{
  return nodes_.empty() || EvaluateNode(root_, lookup);
}

bool LDAPExpr::EvaluateNode(uint32_t index, PropertyLookup const& lookup) const
{
  Node const& node = nodes_[index];
  switch (node.kind) {
  case Kind::And:
    for (uint32_t const child : node.children) {
      if (!EvaluateNode(child, lookup)) {
        return false;
      }
    }
    return true;
  case Kind::Or:
    for (uint32_t const child : node.children) {
      if (EvaluateNode(child, lookup)) {
        return true;
      }
    }
    return false;
  case Kind::Not: return !EvaluateNode(node.children.front(), lookup);
  default: break;
  }
  Any const* value = lookup.Find(node.attribute);
  if (!value || value->Empty()) {
    return false;
  }
  return node.kind == Kind::Present || CompareValue(node, *value);
}

bool LDAPExpr::CompareValue(Node const& node, Any const& value) const
{
  // Most frequent first: string properties ("test_id", "component.name", ...).
  if (Holds<std::string>(value)) {
    return CompareString(node, Held<std::string>(value));
  }
  if (Holds<std::vector<std::string>>(value)) {
    return AnyElement(Held<std::vector<std::string>>(value),
                      [&node](std::string const& s) { return CompareString(node, s); });
  }
  if (Holds<std::vector<Any>>(value)) {
    return AnyElement(Held<std::vector<Any>>(value),
                      [this, &node](Any const& a) { return !a.Empty() && CompareValue(node, a); });
  }
  if (Holds<std::list<Any>>(value)) {
    return AnyElement(Held<std::list<Any>>(value),
                      [this, &node](Any const& a) { return !a.Empty() && CompareValue(node, a); });
  }
  if (Holds<std::list<std::string>>(value)) {
    return AnyElement(Held<std::list<std::string>>(value),
                      [&node](std::string const& s) { return CompareString(node, s); });
  }
  if (Holds<std::set<std::string>>(value)) {
    return AnyElement(Held<std::set<std::string>>(value),
                      [&node](std::string const& s) { return CompareString(node, s); });
  }
  if (Holds<char const*>(value)) {
    char const* text = Held<char const*>(value);
    return text && CompareString(node, text);
  }
  if (Holds<bool>(value)) {
    return CompareBool(node, Held<bool>(value));
  }
  if (Holds<char>(value)) {
    char const c = Held<char>(value);
    return CompareString(node, std::string_view(&c, 1));
  }
  if (Holds<int>(value)) {
    return CompareSigned(node, Held<int>(value));
  }
  if (Holds<long>(value)) {
    return CompareSigned(node, Held<long>(value));
  }
  if (Holds<long long>(value)) {
    return CompareSigned(node, Held<long long>(value));
  }
  if (Holds<short>(value)) {
    return CompareSigned(node, Held<short>(value));
  }
  if (Holds<signed char>(value)) {
    return CompareSigned(node, Held<signed char>(value));
  }
  if (Holds<unsigned int>(value)) {
    return CompareUnsigned(node, Held<unsigned int>(value));
  }
  if (Holds<unsigned long>(value)) {
    return CompareUnsigned(node, Held<unsigned long>(value));
  }
  if (Holds<unsigned long long>(value)) {
    return CompareUnsigned(node, Held<unsigned long long>(value));
  }
  if (Holds<unsigned short>(value)) {
    return CompareUnsigned(node, Held<unsigned short>(value));
  }
  if (Holds<unsigned char>(value)) {
    return CompareUnsigned(node, Held<unsigned char>(value));
  }
  if (Holds<double>(value)) {
    return CompareDouble(node, Held<double>(value));
  }
  if (Holds<float>(value)) {
    return CompareDouble(node, Held<float>(value));
  }
  if (Holds<long double>(value)) {
    return CompareDouble(node, Held<long double>(value));
  }
  if (Holds<std::vector<int>>(value)) {
    return AnyElement(Held<std::vector<int>>(value), [&node](int v) { return CompareSigned(node, v); });
  }
  if (Holds<std::vector<long>>(value)) {
    return AnyElement(Held<std::vector<long>>(value), [&node](long v) { return CompareSigned(node, v); });
  }
  if (Holds<std::vector<double>>(value)) {
    return AnyElement(Held<std::vector<double>>(value), [&node](double v) { return CompareDouble(node, v); });
  }
  // Any other type compares by its text.
  return CompareString(node, value.ToString());
}

} // namespace cppmicroservices::detail
