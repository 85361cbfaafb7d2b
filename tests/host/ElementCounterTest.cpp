#include <richmarkup/host/ElementCounter.hpp>

#include <foundation/json/Parser.hpp>

#include <gtest/gtest.h>

#include <string>

namespace richmarkup::host {
namespace {

TEST(ElementCounterTest, CountsElementsAtEveryDepth) {
    auto const counts = ElementCounter::count(foundation::json::parse(R"([
        {"className":"A","children":[{"className":"B"},{"x":{"className":"C"}}]},
        {"noClass":true},
        3
    ])"));
    EXPECT_EQ(counts.topLevel, 3u);
    EXPECT_EQ(counts.total, 3u);

    auto const single = ElementCounter::count(foundation::json::parse(R"({"className":"A"})"));
    EXPECT_EQ(single.topLevel, 1u);
    EXPECT_EQ(single.total, 1u);
    EXPECT_EQ(ElementCounter::count(foundation::json::parse("7")).topLevel, 0u);
}

TEST(ElementCounterTest, CountsThroughNestingAsDeepAsTheParserAllows) {
    std::string text;
    for (int i = 0; i < 250; ++i) {
        text += R"({"className":"L","children":[)";
    }
    for (int i = 0; i < 250; ++i) {
        text += "]}";
    }
    EXPECT_EQ(ElementCounter::count(foundation::json::parse(text)).total, 250u);
}

} // namespace
} // namespace richmarkup::host
