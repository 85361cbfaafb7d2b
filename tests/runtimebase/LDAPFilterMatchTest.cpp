#include <cppmicroservices/LDAPFilter.h>

#include <gtest/gtest.h>

#include <atomic>
#include <climits>
#include <list>
#include <string>
#include <thread>
#include <vector>

using cppmicroservices::Any;
using cppmicroservices::AnyMap;
using cppmicroservices::LDAPFilter;

namespace {

class LDAPFilterMatch : public ::testing::Test
{
protected:
  LDAPFilterMatch() : properties(AnyMap::UNORDERED_MAP_CASEINSENSITIVE_KEYS)
  {
    properties["test_id"] = std::string("ListItemBuilderImpl");
    properties["objectclass"] = std::vector<std::string>{"a::First", "b::Second"};
    properties["service.ranking"] = 5;
    properties["service.id"] = 12L;
    properties["big"] = 18446744073709551615ULL;
    properties["ratio"] = 0.5;
    properties["enabled"] = true;
    properties["name"] = std::string("Babs Jensen");
    properties["mixed"] = std::vector<Any>{Any(3), Any(std::string("three"))};
    properties["special"] = std::string("a*b(c)\\");
  }

  bool Matches(std::string const& filter) const { return LDAPFilter(filter).Match(properties); }

  AnyMap properties;
};

TEST_F(LDAPFilterMatch, StringEqualityIsExactButKeysIgnoreCase)
{
  EXPECT_TRUE(Matches("(test_id=ListItemBuilderImpl)"));
  EXPECT_TRUE(Matches("(TEST_ID=ListItemBuilderImpl)"));
  EXPECT_FALSE(Matches("(test_id=listitembuilderimpl)"));
  EXPECT_FALSE(Matches("(test_id=ListItemBuilderImp)"));
  EXPECT_FALSE(Matches("(test_id=ListItemBuilderImpl )")) << "value whitespace counts for strings";
  EXPECT_FALSE(Matches("(missing=x)"));
  EXPECT_TRUE(Matches("(special=a\\*b\\(c\\)\\\\)"));
}

TEST_F(LDAPFilterMatch, MatchCaseComparesKeysExactly)
{
  EXPECT_TRUE(LDAPFilter("(test_id=ListItemBuilderImpl)").MatchCase(properties));
  EXPECT_FALSE(LDAPFilter("(Test_Id=ListItemBuilderImpl)").MatchCase(properties));

  // With a case-sensitive container, Match still ignores case; MatchCase does not.
  AnyMap ordered(AnyMap::ORDERED_MAP);
  ordered["Test_Id"] = std::string("X");
  EXPECT_TRUE(LDAPFilter("(test_id=X)").Match(ordered));
  EXPECT_FALSE(LDAPFilter("(test_id=X)").MatchCase(ordered));
  EXPECT_TRUE(LDAPFilter("(Test_Id=X)").MatchCase(ordered));
}

TEST_F(LDAPFilterMatch, SubstringsPresenceAndApproximation)
{
  EXPECT_TRUE(Matches("(name=Babs*)"));
  EXPECT_TRUE(Matches("(name=*Jensen)"));
  EXPECT_TRUE(Matches("(name=B*s*J*n)"));
  EXPECT_TRUE(Matches("(name=*)"));
  EXPECT_TRUE(Matches("(name=**)"));
  EXPECT_FALSE(Matches("(name=*Babs)"));
  EXPECT_FALSE(Matches("(name=B*x*)"));
  EXPECT_FALSE(Matches("(name=Jensen*Babs)"));
  EXPECT_FALSE(Matches("(name=Babs Jensen*Jensen)")) << "pieces must not overlap";
  EXPECT_TRUE(Matches("(special=a\\**)")) << "escaped star is literal, the other a wildcard";
  EXPECT_TRUE(Matches("(service.ranking=*)"));
  EXPECT_FALSE(Matches("(absent=*)"));
  EXPECT_TRUE(Matches("(name~=babsjensen)"));
  EXPECT_TRUE(Matches("(name~= BABS  JENSEN )"));
  EXPECT_FALSE(Matches("(name~=babs)"));
}

TEST_F(LDAPFilterMatch, NumbersCompareNumerically)
{
  EXPECT_TRUE(Matches("(service.ranking=5)"));
  EXPECT_TRUE(Matches("(service.ranking= 5 )")) << "numbers ignore surrounding whitespace";
  EXPECT_TRUE(Matches("(service.ranking>=5)"));
  EXPECT_TRUE(Matches("(service.ranking<=10)")) << "10 > 5 numerically though \"10\" < \"5\" as text";
  EXPECT_FALSE(Matches("(service.ranking>=10)"));
  EXPECT_FALSE(Matches("(service.ranking=05x)"));
  EXPECT_TRUE(Matches("(service.ranking>=4.5)"));
  EXPECT_TRUE(Matches("(service.id=12)"));
  EXPECT_TRUE(Matches("(service.id<=+12)"));
  EXPECT_TRUE(Matches("(big=18446744073709551615)"));
  EXPECT_TRUE(Matches("(big>=-1)")) << "an unsigned value is above every negative number";
  EXPECT_FALSE(Matches("(big<=-1)"));
  EXPECT_TRUE(Matches("(service.ranking<=18446744073709551615)"));
  EXPECT_TRUE(Matches("(ratio=0.5)"));
  EXPECT_TRUE(Matches("(ratio<=0.75)"));
  EXPECT_FALSE(Matches("(ratio>=1)"));
  EXPECT_FALSE(Matches("(service.ranking=5*)")) << "wildcards do not apply to numbers";
}

TEST_F(LDAPFilterMatch, BoolsAndMultiValuedProperties)
{
  EXPECT_TRUE(Matches("(enabled=true)"));
  EXPECT_TRUE(Matches("(enabled=TRUE)"));
  EXPECT_FALSE(Matches("(enabled=false)"));
  EXPECT_FALSE(Matches("(enabled=1)"));
  EXPECT_FALSE(Matches("(enabled>=true)"));

  EXPECT_TRUE(Matches("(objectclass=b::Second)"));
  EXPECT_TRUE(Matches("(objectclass=a::*)"));
  EXPECT_FALSE(Matches("(objectclass=c::Third)"));
  EXPECT_TRUE(Matches("(mixed=3)"));
  EXPECT_TRUE(Matches("(mixed=three)"));
  EXPECT_TRUE(Matches("(mixed>=2)"));
  EXPECT_FALSE(Matches("(mixed=four)"));
  EXPECT_FALSE(Matches("(!(objectclass=a::First))")) << "not: no element may match";

  properties["list"] = std::list<std::string>{"x", "y"};
  EXPECT_TRUE(Matches("(list=y)"));
}

TEST_F(LDAPFilterMatch, CompositesCombineTheirParts)
{
  EXPECT_TRUE(Matches("(&(objectclass=a::First)(test_id=ListItemBuilderImpl))"));
  EXPECT_FALSE(Matches("(&(objectclass=a::First)(test_id=Other))"));
  EXPECT_TRUE(Matches("(|(test_id=Other)(service.ranking>=1))"));
  EXPECT_FALSE(Matches("(|(test_id=Other)(absent=*))"));
  EXPECT_TRUE(Matches("(!(test_id=Other))"));
  EXPECT_TRUE(Matches("(!(absent=x))")) << "a missing attribute makes the item false, its negation true";
  EXPECT_TRUE(Matches("(&(|(a=1)(enabled=true))(!(&(ratio=0.5)(name=x))))"));
}

TEST_F(LDAPFilterMatch, EmptyAndUnusualValuesDoNotMatchByAccident)
{
  properties["empty"] = Any();
  properties["blank"] = std::string();
  EXPECT_FALSE(Matches("(empty=*)"));
  EXPECT_FALSE(Matches("(empty=)"));
  EXPECT_TRUE(Matches("(blank=)"));
  EXPECT_TRUE(Matches("(blank=*)"));
  EXPECT_FALSE(Matches("(blank=?*)"));
  properties["nested"] = AnyMap(AnyMap::ORDERED_MAP);
  EXPECT_TRUE(Matches("(nested={})")) << "other types compare by their text";
}

TEST_F(LDAPFilterMatch, CopiesShareOneFilterAcrossThreads)
{
  LDAPFilter const original("(&(test_id=ListItemBuilderImpl)(|(service.ranking>=1)(name=x*)))");
  std::vector<std::thread> threads;
  std::atomic<int> matches{0};
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&, copy = original] {
      for (int i = 0; i < 2000; ++i) {
        matches += copy.Match(properties) ? 1 : 0;
      }
    });
  }
  for (auto& thread : threads) {
    thread.join();
  }
  EXPECT_EQ(matches.load(), 4 * 2000);
}

} // namespace
