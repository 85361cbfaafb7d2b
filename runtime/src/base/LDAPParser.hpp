#pragma once

#include "LDAPExpr.hpp"

#include <cstddef>
#include <cstdint>
#include <string>

namespace cppmicroservices::detail {

/**
 * Recursive-descent reader of the RFC 1960 filter syntax. Its recursion is bounded by
 * LDAPExpr::kMaxDepth, and every loop consumes input, so any text ends in a tree or in
 * std::invalid_argument.
 */
class LDAPParser
{
public:
  LDAPParser(std::string const& text, LDAPExpr& expr) : text_(text), expr_(expr) {}

  /// Fills expr's nodes (root first) and normal form.
  void Run();

private:
  uint32_t ParseFilter(int depth);
  uint32_t ParseItem();
  std::string ParseAttribute();
  void ReadValue(std::string& value, std::vector<std::string>& parts, bool& hasWildcard, bool wildcards);

  void SkipWhitespace();
  bool AtEnd() const noexcept { return pos_ >= text_.size(); }
  char Peek() const noexcept { return text_[pos_]; }
  [[noreturn]] void Fail(std::string const& reason) const;
  [[noreturn]] void Fail(std::string const& reason, std::size_t position) const;

  uint32_t AddNode(LDAPExpr::Node&& node);
  void WriteNormalForm(uint32_t index, std::string& out) const;

  std::string const& text_;
  LDAPExpr& expr_;
  std::size_t pos_ = 0;
};

} // namespace cppmicroservices::detail
