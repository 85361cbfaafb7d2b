#include <foundation/json/Value.hpp>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <stdexcept>
#include <string>

using namespace foundation::json;

namespace {

std::string conversionError(std::function<void()> const& read) {
    try {
        read();
    } catch (std::runtime_error const& e) {
        return e.what();
    }
    return "no error";
}

} // namespace

TEST(Value, KindsInOrderWithTheirNames) {
    Value const values[] = {Value(),        Value(Null{}),   Value(true), Value(1.5),  Value("s"),
                            Value(Array{}), Value(Object{}), Value(1.5f), Value(-3LL), Value(3ULL)};
    char const* const names[] = {"undefined", "null",   "bool",  "double", "string",
                                 "array",     "object", "float", "int64",  "uint64"};
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(static_cast<int>(values[i].kind()), i);
        EXPECT_STREQ(values[i].kindName(), names[i]);
    }
}

TEST(Value, StrictReadsAcceptOnlyTheExactKind) {
    EXPECT_EQ(conversionError([] { (void)Value(1.0).asString(); }), "invalid conversion: double to string");
    EXPECT_EQ(conversionError([] { (void)Value(1.0f).asDouble(); }), "invalid conversion: float to double");
    EXPECT_EQ(conversionError([] { (void)Value(2LL).asDouble(); }), "invalid conversion: int64 to double");
    EXPECT_EQ(conversionError([] { (void)Value(2ULL).asDouble(); }), "invalid conversion: uint64 to double");
    EXPECT_EQ(conversionError([] { (void)Value(1.0).asBool(); }), "invalid conversion: double to bool");
    EXPECT_EQ(conversionError([] { (void)Value("true").asBool(); }), "invalid conversion: string to bool");
    EXPECT_EQ(conversionError([] { (void)Value(Null{}).asBool(); }), "invalid conversion: null to bool");
    EXPECT_EQ(conversionError([] { (void)Value().asArray(); }), "invalid conversion: undefined to array");
    EXPECT_EQ(conversionError([] { (void)Value(Array{}).asObject(); }), "invalid conversion: array to object");
    EXPECT_EQ(Value(true).get<bool>(), true);
    EXPECT_EQ(Value(2.5).get<double>(), 2.5);
    EXPECT_EQ(Value("x").get<std::string>(), "x");
}

TEST(Value, CopiesShareStorage) {
    Value const s(std::string(1000, 'x'));
    Value const copy = s;
    EXPECT_EQ(&s.asString(), &copy.asString());

    Value const doc(Object{{"children", Value(Array{Value("a"), Value("b")})}});
    Value const docCopy = doc;
    EXPECT_EQ(&doc.asObject(), &docCopy.asObject());
    Array const arrayCopy = doc["children"].asArray();
    EXPECT_EQ(&arrayCopy[0].asString(), &doc["children"].asArray()[0].asString());
}

TEST(Value, SubscriptAndOwnProperty) {
    Value const doc(Object{{"a", Value(1.0)}, {"n", Value(Null{})}});
    EXPECT_EQ(doc["a"].asDouble(), 1.0);
    EXPECT_TRUE(doc["missing"].isUndefined());
    EXPECT_TRUE(doc.hasOwnProperty("n"));
    EXPECT_FALSE(doc.hasOwnProperty("missing"));
    EXPECT_TRUE(Value(Array{Value(1.0)})["a"].isUndefined());
    EXPECT_FALSE(Value("a").hasOwnProperty("a"));
    EXPECT_TRUE(doc["a"]["deeper"].isUndefined());
}

TEST(Object, DuplicateKeysKeepTheLastAndKeysAreOrdered) {
    Object const o(std::vector<Object::value_type>{
        {"b", Value(1.0)}, {"a", Value(2.0)}, {"b", Value(3.0)}, {"c", Value(4.0)}, {"b", Value(5.0)}});
    ASSERT_EQ(o.size(), 3u);
    EXPECT_EQ(o.at("b").asDouble(), 5.0);
    EXPECT_EQ(o.begin()->first, "a");
    EXPECT_THROW((void)o.at("z"), std::out_of_range);

    // Small and large objects are sorted by different means; both keep the last of a key.
    for (int const n : {9, 40}) {
        std::vector<Object::value_type> members;
        for (int i = 0; i < n; ++i) {
            members.emplace_back("k" + std::to_string(i % 7), Value(static_cast<double>(i)));
        }
        Object const many(std::move(members));
        ASSERT_EQ(many.size(), 7u) << n;
        for (int k = 0; k < 7; ++k) {
            int const last = (n - 1 - k) / 7 * 7 + k;
            EXPECT_EQ(many.at("k" + std::to_string(k)).asDouble(), last) << n;
        }
        EXPECT_TRUE(
            std::is_sorted(many.begin(), many.end(), [](auto const& a, auto const& b) { return a.first < b.first; }));
    }
}

TEST(Object, LargeObjectsFindEveryKey) {
    std::vector<Object::value_type> members;
    for (int i = 2000; i-- > 0;) {
        members.emplace_back("k" + std::to_string(i), Value(static_cast<double>(i)));
    }
    Object o(std::move(members));
    ASSERT_EQ(o.size(), 2000u);
    for (int i = 0; i < 2000; i += 37) {
        ASSERT_NE(o.get("k" + std::to_string(i)), nullptr);
        EXPECT_EQ(o.get("k" + std::to_string(i))->asDouble(), i);
    }
    EXPECT_EQ(o.get("k2000"), nullptr);
    o.set("k5", Value("replaced"));
    o.set("new", Value(true));
    EXPECT_EQ(o.at("k5").asString(), "replaced");
    EXPECT_TRUE(o.at("new").asBool());
    EXPECT_EQ(o.size(), 2001u);
}

TEST(Value, Equality) {
    EXPECT_EQ(Value(Object{{"a", Value(Array{Value(1.0)})}}), Value(Object{{"a", Value(Array{Value(1.0)})}}));
    EXPECT_NE(Value(1.0), Value(1LL));
    EXPECT_NE(Value("a"), Value("b"));
}
