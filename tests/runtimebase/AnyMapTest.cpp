#include <cppmicroservices/AnyMap.h>
#include <cppmicroservices/ServiceProperties.h>

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

using cppmicroservices::Any;
using cppmicroservices::any_cast;
using cppmicroservices::AnyMap;

namespace {

TEST(AnyMap, CaseInsensitiveMapFindsAnyCaseOfAKey)
{
  AnyMap map(AnyMap::UNORDERED_MAP_CASEINSENSITIVE_KEYS);
  map["Service.Ranking"] = 5;
  EXPECT_EQ(map.count("service.ranking"), 1u);
  EXPECT_EQ(map.count("SERVICE.RANKING"), 1u);
  EXPECT_EQ(any_cast<int>(map.at("service.RANKING")), 5);
  map["SERVICE.ranking"] = 6; // the same key: replaces, does not add
  EXPECT_EQ(map.size(), 1u);
  EXPECT_EQ(map.find("service.ranking")->first, "Service.Ranking") << "the first spelling is kept";
  EXPECT_EQ(map.erase("service.ranking"), 1u);
  EXPECT_TRUE(map.empty());

  // The case-insensitive hash must agree with the equality for long keys too.
  std::string const longKey(100, 'K');
  map[longKey] = 1;
  EXPECT_EQ(map.count(std::string(100, 'k')), 1u);
  EXPECT_EQ(map.count(std::string(99, 'k')), 0u);
}

TEST(AnyMap, OtherMapsAreCaseSensitive)
{
  for (auto const type : {AnyMap::ORDERED_MAP, AnyMap::UNORDERED_MAP}) {
    AnyMap map(type);
    map["Key"] = 1;
    EXPECT_EQ(map.count("key"), 0u);
    EXPECT_EQ(map.find("key"), map.end());
    EXPECT_THROW(map.at("key"), std::out_of_range);
    EXPECT_EQ(map.GetType(), type);
  }
}

TEST(AnyMap, IteratesEveryEntryOnceWhateverTheContainer)
{
  for (auto const type : {AnyMap::ORDERED_MAP, AnyMap::UNORDERED_MAP, AnyMap::UNORDERED_MAP_CASEINSENSITIVE_KEYS}) {
    AnyMap map(type);
    EXPECT_TRUE(map.emplace("one", Any(1)).second);
    EXPECT_FALSE(map.emplace("one", Any(9)).second);
    EXPECT_TRUE(map.insert({"two", Any(2)}).second);
    map["three"] = 3;

    std::set<std::string> keys;
    int sum = 0;
    for (auto const& entry : map) {
      keys.insert(entry.first);
      sum += any_cast<int>(entry.second);
    }
    EXPECT_EQ(keys, (std::set<std::string>{"one", "two", "three"}));
    EXPECT_EQ(sum, 6);

    // Mutable iteration changes the stored values.
    for (auto it = map.begin(); it != map.end(); ++it) {
      it->second = 0;
    }
    AnyMap::const_iterator found = map.find("two");
    EXPECT_EQ(any_cast<int>(found->second), 0);
  }
}

TEST(AnyMap, OrderedMapIteratesInKeyOrder)
{
  AnyMap map(AnyMap::ORDERED_MAP);
  map["b"] = 2;
  map["a"] = 1;
  map["c"] = 3;
  std::string order;
  for (auto const& entry : map) {
    order += entry.first;
  }
  EXPECT_EQ(order, "abc");
  EXPECT_EQ(Any(map).ToString(), "{a : 1, b : 2, c : 3}");
}

TEST(AnyMap, EqualityComparesContentAcrossContainerTypes)
{
  AnyMap ordered(AnyMap::ORDERED_MAP);
  AnyMap unordered(AnyMap::UNORDERED_MAP);
  ordered["x"] = std::string("1");
  unordered["x"] = std::string("1");
  EXPECT_TRUE(ordered == unordered);
  unordered["x"] = 1;
  EXPECT_TRUE(ordered != unordered);
  unordered["x"] = std::string("1");
  unordered["y"] = 2;
  EXPECT_FALSE(ordered == unordered);

  AnyMap copy = unordered;
  copy["y"] = 3;
  EXPECT_EQ(any_cast<int>(unordered["y"]), 2) << "a copy owns its entries";
}

TEST(AnyMap, CompoundKeysWalkNestedMapsAndVectors)
{
  AnyMap inner(AnyMap::UNORDERED_MAP_CASEINSENSITIVE_KEYS);
  inner["a"] = std::string("anton");
  inner["b"] = std::vector<Any>{Any(3), Any(8)};
  AnyMap root(AnyMap::ORDERED_MAP);
  root["one"] = 1;
  root["three"] = inner;

  EXPECT_EQ(any_cast<int>(root.AtCompoundKey("one")), 1);
  EXPECT_EQ(any_cast<std::string>(root.AtCompoundKey("three.a")), "anton");
  EXPECT_EQ(any_cast<int>(root.AtCompoundKey("three.b.1")), 8);

  EXPECT_THROW(root.AtCompoundKey("four"), std::out_of_range);
  EXPECT_THROW(root.AtCompoundKey("three.b.2"), std::out_of_range);
  EXPECT_THROW(root.AtCompoundKey("three.b.x"), std::out_of_range);
  EXPECT_THROW(root.AtCompoundKey("three.b.-1"), std::out_of_range);
  EXPECT_THROW(root.AtCompoundKey("one.x"), std::invalid_argument);
  EXPECT_THROW(root.AtCompoundKey(""), std::out_of_range);

  EXPECT_TRUE(root.AtCompoundKey("three.c", Any()).Empty());
  EXPECT_EQ(any_cast<int>(root.AtCompoundKey("three.b.99999999999999", Any(7))), 7);
}

TEST(AnyMap, ServicePropertiesKeysAreCaseInsensitive)
{
  cppmicroservices::ServiceProperties properties;
  properties["Test_Id"] = std::string("X");
  EXPECT_EQ(properties.count("test_id"), 1u);
  AnyMap const map(properties);
  EXPECT_EQ(map.GetType(), AnyMap::UNORDERED_MAP_CASEINSENSITIVE_KEYS);
  EXPECT_EQ(map.count("TEST_ID"), 1u);
}

} // namespace
