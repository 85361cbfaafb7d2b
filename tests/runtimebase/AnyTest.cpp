#include <cppmicroservices/Any.h>
#include <cppmicroservices/AnyMap.h>

#include <gtest/gtest.h>

#include <list>
#include <map>
#include <string>
#include <vector>

using cppmicroservices::Any;
using cppmicroservices::any_cast;
using cppmicroservices::BadAnyCastException;
using cppmicroservices::ref_any_cast;

namespace {

struct Opaque
{
  int value = 0;
};

TEST(Any, HoldsExactlyTheStoredType)
{
  Any const text = std::string("abc");
  Any const number = 42;
  Any const empty;

  EXPECT_EQ(text.Type(), typeid(std::string));
  EXPECT_EQ(number.Type(), typeid(int));
  EXPECT_EQ(empty.Type(), typeid(void));
  EXPECT_TRUE(empty.Empty());

  EXPECT_EQ(any_cast<std::string>(text), "abc");
  EXPECT_EQ(ref_any_cast<int>(number), 42);
  EXPECT_EQ(any_cast<long>(&number), nullptr) << "int is not long: no conversions";
  EXPECT_EQ(any_cast<int>(static_cast<Any const*>(nullptr)), nullptr);
  EXPECT_THROW(any_cast<long>(number), BadAnyCastException);
  EXPECT_THROW(ref_any_cast<std::string>(empty), BadAnyCastException);
}

TEST(Any, BadCastNamesBothTypes)
{
  Any const number = 1;
  try {
    (void)any_cast<std::string>(number);
    FAIL() << "expected BadAnyCastException";
  } catch (BadAnyCastException const& e) {
    std::string const what = e.what();
    EXPECT_NE(what.find("'int'"), std::string::npos) << what;
    EXPECT_NE(what.find("any_cast"), std::string::npos) << what;
  }
}

TEST(Any, CopiesAreIndependentAndMovesEmptyTheSource)
{
  Any original = std::vector<int>{1, 2};
  Any copy = original;
  ref_any_cast<std::vector<int>>(copy).push_back(3);
  EXPECT_EQ(ref_any_cast<std::vector<int>>(original).size(), 2u);

  Any moved = std::move(original);
  EXPECT_EQ(ref_any_cast<std::vector<int>>(moved).size(), 2u);

  Any other = std::string("x");
  moved.Swap(other);
  EXPECT_EQ(any_cast<std::string>(moved), "x");
  EXPECT_EQ(other.Type(), typeid(std::vector<int>));

  other = 5; // assigning a new type replaces the held value
  EXPECT_EQ(any_cast<int>(other), 5);
}

TEST(Any, EqualityNeedsSameTypeAndValue)
{
  EXPECT_TRUE(Any(std::string("a")) == Any(std::string("a")));
  EXPECT_FALSE(Any(std::string("a")) == Any(std::string("b")));
  EXPECT_FALSE(Any(1) == Any(1L)) << "int and long are different types";
  EXPECT_TRUE(Any() == Any());
  EXPECT_FALSE(Any() == Any(0));
  EXPECT_FALSE(Any(0) == Any());
  EXPECT_TRUE(Any(3) == 3);
  EXPECT_TRUE(Any(3) != 4);
  // A type without operator== can be held but never compares equal.
  EXPECT_FALSE(Any(Opaque{}) == Any(Opaque{}));
}

TEST(Any, ToStringOfScalarsAndContainers)
{
  EXPECT_EQ(Any(std::string("text")).ToString(), "text");
  EXPECT_EQ(Any(-7).ToString(), "-7");
  EXPECT_EQ(Any(true).ToString(), "true");
  EXPECT_EQ(Any(0.1).ToString(), "0.1");
  EXPECT_EQ(Any(std::vector<int>{1, 2, 3}).ToString(), "[1,2,3]");
  EXPECT_EQ(Any(std::list<std::string>{"a", "b"}).ToString(), "[a,b]");
  EXPECT_EQ(Any(std::vector<Any>{Any(1), Any(std::string("x"))}).ToString(), "[1,x]");
  EXPECT_EQ(Any(std::map<std::string, Any>{{"k", Any(1)}}).ToString(), "{k : 1}");
  EXPECT_NE(Any(Opaque{}).ToString().find("Opaque"), std::string::npos);

  EXPECT_THROW(Any().ToString(), std::logic_error);
  EXPECT_EQ(Any().ToStringNoExcept(), "");
}

TEST(Any, ToJSONQuotesAndEscapesStrings)
{
  EXPECT_EQ(Any().ToJSON(), "null");
  EXPECT_EQ(Any(std::string("a\"b\\c\n")).ToJSON(), R"("a\"b\\c\n")");
  EXPECT_EQ(Any(std::string("\x01")).ToJSON(), R"("\u0001")");
  EXPECT_EQ(Any(false).ToJSON(), "false");
  EXPECT_EQ(Any(std::vector<Any>{Any(1), Any(std::string("s")), Any(true)}).ToJSON(), R"([1,"s",true])");
  EXPECT_EQ(Any(std::vector<int>{}).ToJSON(), "[]");

  cppmicroservices::AnyMap map(cppmicroservices::AnyMap::ORDERED_MAP);
  map["b"] = std::string("x");
  map["a"] = std::vector<Any>{Any(1)};
  EXPECT_EQ(Any(map).ToJSON(), R"({"a" : [1],"b" : "x"})");
  EXPECT_EQ(Any(map).ToJSON(true), "{\n    \"a\" : [\n        1\n    ],\n    \"b\" : \"x\"\n}");
}

} // namespace
