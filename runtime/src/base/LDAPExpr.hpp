#pragma once

#include "PropertyLookup.hpp"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace cppmicroservices::detail {

/**
 * A parsed filter: a small tree kept in one vector (children before parents), so that a match
 * walks it without allocating. Built once by Parse and immutable afterwards.
 */
class LDAPExpr
{
public:
  /// Nesting deeper than this is rejected: it bounds the recursion of parse and match.
  static constexpr int kMaxDepth = 128;

  /// \throws std::invalid_argument naming the position of the first error.
  static std::shared_ptr<LDAPExpr const> Parse(std::string const& text);

  bool Evaluate(PropertyLookup const& lookup) const;

  /// The normal form of the filter.
  std::string const& ToString() const noexcept { return normalized_; }

  enum class Kind : uint8_t
  {
    And,
    Or,
    Not,
    Equal,
    Approx,
    GreaterEq,
    LessEq,
    Present,
    Substring
  };

  struct Node
  {
    Kind kind = Kind::And;
    std::vector<uint32_t> children; // And, Or, Not
    std::string attribute;          // leaves
    std::string value;              // Equal, Approx, GreaterEq, LessEq: the unescaped value
    std::vector<std::string> parts; // Substring: the pieces around each '*'
    std::string approxValue;        // Approx: value without whitespace, lower case
    // The value read as a number or bool once, so that matching never parses.
    bool hasSigned = false;
    bool hasUnsigned = false;
    bool hasDouble = false;
    int8_t boolValue = -1; // -1: not a bool, 0: false, 1: true
    long long signedValue = 0;
    unsigned long long unsignedValue = 0;
    double doubleValue = 0.0;
  };

private:
  friend class LDAPParser;

  bool EvaluateNode(uint32_t index, PropertyLookup const& lookup) const;
  bool CompareValue(Node const& node, Any const& value) const;

  std::vector<Node> nodes_;
  uint32_t root_ = 0;
  std::string normalized_;
};

} // namespace cppmicroservices::detail
