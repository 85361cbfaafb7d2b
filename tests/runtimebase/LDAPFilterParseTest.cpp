#include <cppmicroservices/LDAPFilter.h>

#include <gtest/gtest.h>

#include <random>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

using cppmicroservices::AnyMap;
using cppmicroservices::LDAPFilter;

namespace {

std::string ErrorOf(std::string const& text)
{
  try {
    LDAPFilter const filter(text);
    return "parsed as " + filter.ToString();
  } catch (std::invalid_argument const& e) {
    return e.what();
  }
}

TEST(LDAPFilterParse, NormalFormDropsInsignificantWhitespace)
{
  std::vector<std::pair<std::string, std::string>> const cases = {
    {"(a=b)", "(a=b)"},
    {"  ( & ( a = b) ( c>=1 ) )  ", "(&(a= b)(c>=1 ))"}, // value whitespace is significant
    {"(|(a~=x)(b<=2)(!(c=*)))", "(|(a~=x)(b<=2)(!(c=*)))"},
    {"(o=univ*of*mich*)", "(o=univ*of*mich*)"},
    {"(cn=*Jensen)", "(cn=*Jensen)"},
    {"(cn=a\\*b)", "(cn=a\\*b)"},
    {"(cn=\\(x\\)\\\\)", "(cn=\\(x\\)\\\\)"},
    {"(x>=*)", "(x>=\\*)"}, // '*' is a wildcard for '=' only
    {"(a=)", "(a=)"},
    {"(Test_Id=X)", "(Test_Id=X)"},
  };
  for (auto const& [text, normal] : cases) {
    LDAPFilter const filter(text);
    EXPECT_EQ(filter.ToString(), normal) << text;
    EXPECT_TRUE(static_cast<bool>(filter));
    // The normal form parses to itself.
    EXPECT_EQ(LDAPFilter(filter.ToString()).ToString(), normal) << text;
    std::ostringstream streamed;
    streamed << filter;
    EXPECT_EQ(streamed.str(), normal);
  }
  EXPECT_TRUE(LDAPFilter("( a=b)") == LDAPFilter("(a=b)"));
  EXPECT_FALSE(LDAPFilter("(a=b )") == LDAPFilter("(a=b)"));
  EXPECT_FALSE(LDAPFilter("(a=b)") == LDAPFilter("(a=c)"));
}

TEST(LDAPFilterParse, EmptyFilterMatchesEverything)
{
  AnyMap const nothing(AnyMap::UNORDERED_MAP);
  for (LDAPFilter const& filter : {LDAPFilter(), LDAPFilter(""), LDAPFilter(" \t ")}) {
    EXPECT_FALSE(static_cast<bool>(filter));
    EXPECT_EQ(filter.ToString(), "");
    EXPECT_TRUE(filter.Match(nothing));
    EXPECT_TRUE(filter.MatchCase(nothing));
  }
  LDAPFilter copy(LDAPFilter("(a=1)"));
  copy = LDAPFilter();
  EXPECT_TRUE(copy == LDAPFilter());
}

TEST(LDAPFilterParse, MalformedFiltersNameTheProblemAndPosition)
{
  struct Case
  {
    std::string text;
    std::string expected; // part of the message
  };
  std::vector<Case> const cases = {
    {"a=b", "expected '(' but found 'a' at position 0"},
    {"(a=b", "missing ')' after the value: the filter ended at position 4"},
    {"(a=b))", "unexpected text after the end of the filter at position 5"},
    {"(a=b)(c=d)", "unexpected text after the end of the filter at position 5"},
    {"(=b)", "missing attribute name at position 1"},
    {"(  =b)", "missing attribute name at position 3"},
    {"(a)", "missing operator after attribute 'a' at position 2"},
    {"(a<b)", "invalid operator after attribute 'a'"},
    {"(a~b)", "invalid operator after attribute 'a'"},
    {"(a=b(c)", "unescaped '(' in a value"},
    {"(a=b\\", "'\\' at the end of the filter escapes nothing at position 4"},
    {"(&)", "'&' must be followed by at least one filter at position 1"},
    {"(|", "'|' must be followed by at least one filter"},
    {"(!(a=b)(c=d))", "'!' takes exactly one filter"},
    {"(&(a=b)c=d)", "expected ')' but found 'c' at position 7"},
    {"(", "missing ')': the filter ended at position 1"},
    {")", "expected '(' but found ')' at position 0"},
    {"(()", "expected an attribute name but found '('"},
  };
  for (auto const& c : cases) {
    std::string const message = ErrorOf(c.text);
    EXPECT_NE(message.find(c.expected), std::string::npos) << c.text << " -> " << message;
    EXPECT_NE(message.find("Invalid LDAP filter"), std::string::npos) << message;
  }
}

TEST(LDAPFilterParse, DeepNestingIsRejectedNotOverflowed)
{
  auto nested = [](int depth) {
    std::string text;
    for (int i = 0; i < depth; ++i) {
      text += "(!";
    }
    text += "(a=b)";
    text += std::string(static_cast<std::size_t>(depth), ')');
    return text;
  };
  EXPECT_NO_THROW(LDAPFilter(nested(100)));
  EXPECT_NE(ErrorOf(nested(100000)).find("nested deeper than"), std::string::npos);
  // An unclosed run of '(' is also cut short at the limit.
  EXPECT_NE(ErrorOf(std::string(1000000, '(')).find("Invalid LDAP filter"), std::string::npos);

  // Messages quote long filters only in part.
  EXPECT_LT(ErrorOf(std::string(1000000, '(')).size(), 400u);
}

TEST(LDAPFilterParse, GarbageNeverCrashes)
{
  // Characters that steer the parser, plus a few ordinary ones.
  std::string const alphabet = "()&|!=~<>*\\ ab1";
  std::mt19937 random(12345);
  AnyMap properties(AnyMap::UNORDERED_MAP_CASEINSENSITIVE_KEYS);
  properties["a"] = std::string("ab");
  properties["b"] = 1;
  int parsed = 0;
  for (int round = 0; round < 20000; ++round) {
    std::string text;
    std::size_t const length = random() % 24;
    for (std::size_t i = 0; i < length; ++i) {
      text.push_back(round % 4 == 0 ? static_cast<char>(random() % 256) : alphabet[random() % alphabet.size()]);
    }
    try {
      LDAPFilter const filter(text);
      ++parsed;
      (void)filter.Match(properties);
      // Whatever parses has a normal form that parses to the same thing.
      EXPECT_EQ(LDAPFilter(filter.ToString()).ToString(), filter.ToString()) << text;
    } catch (std::invalid_argument const&) {}
  }
  EXPECT_GT(parsed, 0);
}

} // namespace
