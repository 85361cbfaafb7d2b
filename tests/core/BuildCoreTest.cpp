#include <richmarkup/build/json/core/BuildCore.hpp>

#include <foundation/json/Parser.hpp>

#include <gtest/gtest.h>

using document::vxzero::Alignment;
using foundation::json::parse;
using namespace richmarkup::build::json::core;

TEST(HasClassName, MatchesOnlyAnExactStringOfAnObject) {
    EXPECT_TRUE(has_className(parse(R"({"className":"TableNode"})"), "TableNode"));
    EXPECT_FALSE(has_className(parse(R"({"className":"tablenode"})"), "TableNode"));
    EXPECT_FALSE(has_className(parse(R"({"className":"TableNode "})"), "TableNode"));
    EXPECT_FALSE(has_className(parse(R"({"className":"Table"})"), "TableNode"));
    EXPECT_FALSE(has_className(parse(R"({"kind":"TableNode"})"), "TableNode"));
}

TEST(HasClassName, NeverThrowsOnOtherKinds) {
    for (char const* text : {R"({"className":5})", R"({"className":null})", R"({"className":["TableNode"]})",
                             R"(["TableNode"])", R"("TableNode")", "3", "true", "null"}) {
        EXPECT_NO_THROW(EXPECT_FALSE(has_className(parse(text), "TableNode"))) << text;
    }
    EXPECT_FALSE(has_className(foundation::json::Value(), "TableNode"));
}

TEST(GetAlignment, ReadsTheFourWordsAndDefaultsToLeft) {
    EXPECT_EQ(getAlignment(parse(R"({"alignment":"left"})")), Alignment::Left);
    EXPECT_EQ(getAlignment(parse(R"({"alignment":"center"})")), Alignment::Center);
    EXPECT_EQ(getAlignment(parse(R"({"alignment":"right"})")), Alignment::Right);
    EXPECT_EQ(getAlignment(parse(R"({"alignment":"justify"})")), Alignment::Justify);
    EXPECT_EQ(getAlignment(parse(R"({"alignment":"Center"})")), Alignment::Left);
    EXPECT_EQ(getAlignment(parse(R"({"alignment":2})")), Alignment::Left);
    EXPECT_EQ(getAlignment(parse(R"({})")), Alignment::Left);
    EXPECT_EQ(getAlignment(parse(R"([1,2])")), Alignment::Left);
}

TEST(ExtractAnchorId, PrefersAnchorIdThenTaggedIdThenEmpty) {
    EXPECT_EQ(extract_anchor_id(parse(R"({"anchorId":"intro","id":"7"})"), "M_"), u"intro");
    EXPECT_EQ(extract_anchor_id(parse(R"({"id":"7"})"), "M_"), u"M_7");
    EXPECT_EQ(extract_anchor_id(parse(R"({"id":"top"})"), "T_"), u"T_top");
    EXPECT_EQ(extract_anchor_id(parse(R"({"anchorId":3,"id":"7"})"), "H_"), u"H_7");
    EXPECT_EQ(extract_anchor_id(parse(R"({"id":7})"), "M_"), u"");
    EXPECT_EQ(extract_anchor_id(parse(R"({})"), "M_"), u"");
    EXPECT_EQ(extract_anchor_id(parse(R"("x")"), "M_"), u"");
}

TEST(ExtractAnchorId, KeepsNonAsciiText) {
    EXPECT_EQ(extract_anchor_id(parse(R"({"id":"\u00fcber"})"), "M_"), u"M_\u00fcber");
    EXPECT_EQ(extract_anchor_id(parse("{\"anchorId\":\"\xF0\x9F\x98\x80\"}"), "M_"), u"\U0001F600");
}
