#include "LDAPParser.hpp"

#include <cctype>
#include <charconv>
#include <stdexcept>

namespace cppmicroservices::detail {

namespace {

bool IsSpace(char c) noexcept
{
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v';
}

char LowerAscii(char c) noexcept
{
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + ('a' - 'A')) : c;
}

std::string_view Trim(std::string_view s) noexcept
{
  while (!s.empty() && IsSpace(s.front())) {
    s.remove_prefix(1);
  }
  while (!s.empty() && IsSpace(s.back())) {
    s.remove_suffix(1);
  }
  return s;
}

template <class T>
bool ParseWhole(std::string_view s, T& out) noexcept
{
  if (!s.empty() && s.front() == '+') {
    s.remove_prefix(1);
    if (!s.empty() && (s.front() == '-' || s.front() == '+')) {
      return false;
    }
  }
  if (s.empty()) {
    return false;
  }
  auto const [end, ec] = std::from_chars(s.data(), s.data() + s.size(), out);
  return ec == std::errc() && end == s.data() + s.size();
}

bool EqualsIgnoreCase(std::string_view a, std::string_view b) noexcept
{
  if (a.size() != b.size()) {
    return false;
  }
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (LowerAscii(a[i]) != LowerAscii(b[i])) {
      return false;
    }
  }
  return true;
}

// Reads the value once in every form a property may be compared in.
void PrepareComparisons(LDAPExpr::Node& node)
{
  std::string_view const trimmed = Trim(node.value);
  node.hasSigned = ParseWhole(trimmed, node.signedValue);
  node.hasUnsigned = ParseWhole(trimmed, node.unsignedValue);
  node.hasDouble = ParseWhole(trimmed, node.doubleValue);
  if (EqualsIgnoreCase(trimmed, "true")) {
    node.boolValue = 1;
  } else if (EqualsIgnoreCase(trimmed, "false")) {
    node.boolValue = 0;
  }
  if (node.kind == LDAPExpr::Kind::Approx) {
    for (char const c : node.value) {
      if (!IsSpace(c)) {
        node.approxValue.push_back(LowerAscii(c));
      }
    }
  }
}

void AppendEscaped(std::string const& value, std::string& out)
{
  for (char const c : value) {
    if (c == '\\' || c == '(' || c == ')' || c == '*') {
      out.push_back('\\');
    }
    out.push_back(c);
  }
}

constexpr std::size_t kQuotedTextLimit = 200;

} // namespace

void LDAPParser::Run()
{
  SkipWhitespace();
  if (AtEnd()) {
    Fail("empty filter");
  }
  uint32_t const root = ParseFilter(1);
  SkipWhitespace();
  if (!AtEnd()) {
    Fail("unexpected text after the end of the filter");
  }
  expr_.root_ = root;
  WriteNormalForm(root, expr_.normalized_);
}

uint32_t LDAPParser::ParseFilter(int depth)
{
  if (depth > LDAPExpr::kMaxDepth) {
    Fail("filter nested deeper than " + std::to_string(LDAPExpr::kMaxDepth) + " levels");
  }
  SkipWhitespace();
  if (AtEnd()) {
    Fail("expected '(' but the filter ended");
  }
  if (Peek() != '(') {
    Fail(std::string("expected '(' but found '") + Peek() + "'");
  }
  ++pos_;
  SkipWhitespace();
  if (AtEnd()) {
    Fail("missing ')': the filter ended");
  }

  uint32_t index = 0;
  char const c = Peek();
  if (c == '&' || c == '|' || c == '!') {
    std::size_t const operatorPos = pos_;
    ++pos_;
    LDAPExpr::Node node;
    node.kind = c == '&' ? LDAPExpr::Kind::And : c == '|' ? LDAPExpr::Kind::Or : LDAPExpr::Kind::Not;
    SkipWhitespace();
    while (!AtEnd() && Peek() == '(') {
      node.children.push_back(ParseFilter(depth + 1));
      SkipWhitespace();
    }
    if (node.children.empty()) {
      Fail(std::string("'") + c + "' must be followed by at least one filter", operatorPos);
    }
    if (node.kind == LDAPExpr::Kind::Not && node.children.size() != 1) {
      Fail("'!' takes exactly one filter", operatorPos);
    }
    index = AddNode(std::move(node));
  } else {
    index = ParseItem();
  }

  SkipWhitespace();
  if (AtEnd()) {
    Fail("missing ')': the filter ended");
  }
  if (Peek() != ')') {
    Fail(std::string("expected ')' but found '") + Peek() + "'");
  }
  ++pos_;
  return index;
}

uint32_t LDAPParser::ParseItem()
{
  LDAPExpr::Node node;
  node.attribute = ParseAttribute();

  std::size_t const operatorPos = pos_;
  if (AtEnd()) {
    Fail("missing operator after attribute '" + node.attribute + "': the filter ended");
  }
  char const c = Peek();
  bool wildcards = false;
  if (c == '=') {
    node.kind = LDAPExpr::Kind::Equal;
    wildcards = true;
    ++pos_;
  } else if ((c == '~' || c == '>' || c == '<') && pos_ + 1 < text_.size() && text_[pos_ + 1] == '=') {
    node.kind = c == '~' ? LDAPExpr::Kind::Approx : c == '>' ? LDAPExpr::Kind::GreaterEq : LDAPExpr::Kind::LessEq;
    pos_ += 2;
  } else {
    Fail("invalid operator after attribute '" + node.attribute + "' (expected '=', '~=', '>=' or '<=')", operatorPos);
  }

  bool hasWildcard = false;
  ReadValue(node.value, node.parts, hasWildcard, wildcards);
  if (hasWildcard) {
    // "(a=*)" only asks whether the attribute is there.
    bool const presence = node.parts.size() == 2 && node.parts[0].empty() && node.parts[1].empty();
    node.kind = presence ? LDAPExpr::Kind::Present : LDAPExpr::Kind::Substring;
    node.value.clear();
    if (presence) {
      node.parts.clear();
    }
  } else {
    node.parts.clear();
    PrepareComparisons(node);
  }
  return AddNode(std::move(node));
}

std::string LDAPParser::ParseAttribute()
{
  SkipWhitespace();
  std::size_t const start = pos_;
  while (!AtEnd()) {
    char const c = Peek();
    if (c == '=' || c == '<' || c == '>' || c == '~' || c == '(' || c == ')') {
      break;
    }
    ++pos_;
  }
  std::string_view const name = Trim(std::string_view(text_).substr(start, pos_ - start));
  if (name.empty()) {
    if (!AtEnd() && (Peek() == '(' || Peek() == ')')) {
      Fail(std::string("expected an attribute name but found '") + Peek() + "'");
    }
    Fail("missing attribute name");
  }
  if (!AtEnd() && Peek() == '(') {
    Fail("'(' is not allowed in an attribute name");
  }
  if (!AtEnd() && Peek() == ')') {
    Fail("missing operator after attribute '" + std::string(name) + "'");
  }
  return std::string(name);
}

void LDAPParser::ReadValue(std::string& value, std::vector<std::string>& parts, bool& hasWildcard, bool wildcards)
{
  std::string current;
  while (true) {
    if (AtEnd()) {
      Fail("missing ')' after the value: the filter ended");
    }
    char const c = Peek();
    if (c == ')') {
      break;
    }
    if (c == '(') {
      Fail("unescaped '(' in a value (write '\\(')");
    }
    if (c == '\\') {
      if (pos_ + 1 >= text_.size()) {
        Fail("'\\' at the end of the filter escapes nothing");
      }
      current.push_back(text_[pos_ + 1]);
      value.push_back(text_[pos_ + 1]);
      pos_ += 2;
      continue;
    }
    if (c == '*' && wildcards) {
      hasWildcard = true;
      parts.push_back(std::move(current));
      current.clear();
    } else {
      current.push_back(c);
    }
    value.push_back(c);
    ++pos_;
  }
  parts.push_back(std::move(current));
}

void LDAPParser::SkipWhitespace()
{
  while (!AtEnd() && IsSpace(Peek())) {
    ++pos_;
  }
}

void LDAPParser::Fail(std::string const& reason) const
{
  Fail(reason, pos_);
}

void LDAPParser::Fail(std::string const& reason, std::size_t position) const
{
  std::string quoted = text_.size() > kQuotedTextLimit ? text_.substr(0, kQuotedTextLimit) + "..." : text_;
  throw std::invalid_argument("Invalid LDAP filter \"" + quoted + "\": " + reason + " at position " +
                              std::to_string(position));
}

uint32_t LDAPParser::AddNode(LDAPExpr::Node&& node)
{
  expr_.nodes_.push_back(std::move(node));
  return static_cast<uint32_t>(expr_.nodes_.size() - 1);
}

void LDAPParser::WriteNormalForm(uint32_t index, std::string& out) const
{
  LDAPExpr::Node const& node = expr_.nodes_[index];
  out.push_back('(');
  switch (node.kind) {
  case LDAPExpr::Kind::And:
  case LDAPExpr::Kind::Or:
  case LDAPExpr::Kind::Not:
    out.push_back(node.kind == LDAPExpr::Kind::And ? '&' : node.kind == LDAPExpr::Kind::Or ? '|' : '!');
    for (uint32_t const child : node.children) {
      WriteNormalForm(child, out);
    }
    break;
  case LDAPExpr::Kind::Present:
    out += node.attribute;
    out += "=*";
    break;
  case LDAPExpr::Kind::Substring:
    out += node.attribute;
    out.push_back('=');
    for (std::size_t i = 0; i < node.parts.size(); ++i) {
      if (i > 0) {
        out.push_back('*');
      }
      AppendEscaped(node.parts[i], out);
    }
    break;
  default:
    out += node.attribute;
    out += node.kind == LDAPExpr::Kind::Equal       ? "="
           : node.kind == LDAPExpr::Kind::Approx    ? "~="
           : node.kind == LDAPExpr::Kind::GreaterEq ? ">="
                                                    : "<=";
    AppendEscaped(node.value, out);
    break;
  }
  out.push_back(')');
}

} // namespace cppmicroservices::detail
