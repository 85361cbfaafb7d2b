#include "RichTextNodeBuilderImpl.hpp"

#include <document/vxzero/Document.hpp>
#include <document/vxzero/ModelJsonWriter.hpp>
#include <foundation/json/Parser.hpp>
#include <richmarkup/shared/logging/Logger.hpp>
#include <richmarkup/test/RecordCapture.hpp>

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

using foundation::json::parse;
using richmarkup::build::json::text::RichTextNodeBuilderImpl;
using richmarkup::test::RecordCapture;
using Messages = std::vector<std::string>;

namespace {

std::string conversionError(std::function<void()> const& f) {
    try {
        f();
    } catch (std::runtime_error const& e) {
        return e.what();
    }
    return "no error";
}

document::vxzero::RichTextNode::Impl& run(document::vxzero::Node const& node) {
    EXPECT_EQ(node->getKind(), document::vxzero::NodeKind::RichTextNode);
    return static_cast<document::vxzero::RichTextNode::Impl&>(*node.getImpl());
}

} // namespace

TEST(RichTextNodeBuilder, CanBuildOnlyExactRunObjects) {
    RecordCapture capture;
    RichTextNodeBuilderImpl builder;
    EXPECT_TRUE(builder.canBuild(parse(R"({"className":"RichTextNode","text":"x"})")));
    EXPECT_FALSE(builder.canBuild(parse(R"({"className":"RichTextNode "})")));
    EXPECT_FALSE(builder.canBuild(parse(R"({"className":"richtextnode"})")));
    EXPECT_FALSE(builder.canBuild(parse(R"({"className":"RichText"})")));
    EXPECT_FALSE(builder.canBuild(parse(R"({"text":"no class"})")));
    EXPECT_EQ(capture.messages(), Messages(5, "Checking if can build RichTextNode"));
}

TEST(RichTextNodeBuilder, NonObjectsAnswerFalseWithARecord) {
    RichTextNodeBuilderImpl builder;
    for (char const* text : {"[1]", "\"RichTextNode\"", "3", "true", "null"}) {
        RecordCapture capture;
        EXPECT_FALSE(builder.canBuild(parse(text))) << text;
        EXPECT_EQ(capture.messages(),
                  (Messages{"Checking if can build RichTextNode", "Incoming JSON was not an Object"}));
    }
}

TEST(RichTextNodeBuilder, NonStringClassNameThrowsFromCanBuild) {
    RichTextNodeBuilderImpl builder;
    EXPECT_EQ(conversionError([&] { builder.canBuild(parse(R"({"className":5})")); }),
              "invalid conversion: double to string");
}

TEST(RichTextNodeBuilder, BuildsTextAndAlwaysStoresFormatting) {
    RecordCapture capture;
    vx::zero::Model model;
    RichTextNodeBuilderImpl builder;
    auto node = builder.build(model, parse(R"({"className":"RichTextNode","text":"Hello"})"));
    ASSERT_TRUE(node);
    EXPECT_EQ(run(node).getText(), std::u16string(u"Hello"));
    ASSERT_TRUE(run(node).getFormatting().has_value());
    EXPECT_FALSE(run(node).getFormatting()->getBold().has_value());
    EXPECT_EQ(capture.messages(), (Messages{"Starting to build a RichTextNode", "Setting node text to Hello"}));
    EXPECT_EQ(document::vxzero::ModelJsonWriter::toString({node}, {false, 2}),
              R"([{"kind":"RichTextNode","text":"Hello","formatting":{}}])");
}

TEST(RichTextNodeBuilder, FalseFlagsAreSetAndAbsentOnesAreNot) {
    vx::zero::Model model;
    RichTextNodeBuilderImpl builder;
    auto node = builder.build(model, parse(R"({"text":"", "bold":true, "underline":false})"));
    auto const& f = *run(node).getFormatting();
    EXPECT_EQ(f.getBold(), std::optional<bool>(true));
    EXPECT_EQ(f.getUnderline(), std::optional<bool>(false));
    EXPECT_FALSE(f.getItalic().has_value());
    EXPECT_FALSE(f.getMonospace().has_value());
    EXPECT_EQ(run(node).getText(), std::u16string());

    // Keys that only start like a flag set nothing; the other two flags are read as well.
    auto other =
        builder.build(model, parse(R"({"text":"", "bolder":1, "i":"x", "italic":true, "monospace":true, "u":[]})"));
    auto const& g = *run(other).getFormatting();
    EXPECT_FALSE(g.getBold().has_value());
    EXPECT_FALSE(g.getUnderline().has_value());
    EXPECT_EQ(g.getItalic(), std::optional<bool>(true));
    EXPECT_EQ(g.getMonospace(), std::optional<bool>(true));
}

TEST(RichTextNodeBuilder, NonAsciiTextIsLoggedAsReadAndStoredAsUtf16) {
    RecordCapture capture;
    vx::zero::Model model;
    RichTextNodeBuilderImpl builder;
    auto node = builder.build(model, parse("{\"text\":\"gr\xC3\xBC\xC3\x9F \xF0\x9F\x98\x80\"}"));
    EXPECT_EQ(run(node).getText(), std::u16string(u"gr\u00fc\u00df \U0001F600"));
    EXPECT_EQ(capture.messages().back(), "Setting node text to gr\xC3\xBC\xC3\x9F \xF0\x9F\x98\x80");
}

TEST(RichTextNodeBuilder, MistypedKeysThrowAfterTheNodeWasCreated) {
    RichTextNodeBuilderImpl builder;
    struct Case {
        char const* element;
        char const* error;
    } const cases[] = {
        {R"({"text":42})", "invalid conversion: double to string"},
        {R"({"bold":true})", "invalid conversion: undefined to string"},
        {R"({"text":"a","bold":1})", "invalid conversion: double to bool"},
        {R"({"text":"a","italic":null})", "invalid conversion: null to bool"},
        {R"({"text":"a","monospace":"true"})", "invalid conversion: string to bool"},
    };
    for (Case const& c : cases) {
        vx::zero::Model model;
        EXPECT_EQ(conversionError([&] { builder.build(model, parse(c.element)); }), c.error) << c.element;
        EXPECT_EQ(model.nodeCount(), 1u) << c.element;
    }
}

TEST(RichTextNodeBuilder, LevelEightOffGivesTheSameNodeAndNoRecords) {
    RecordCapture capture;
    richmarkup::shared::logging::getLogger().disable(8);
    vx::zero::Model model;
    RichTextNodeBuilderImpl builder;
    auto const element = parse(R"({"className":"RichTextNode","text":"quiet","italic":true})");
    ASSERT_TRUE(builder.canBuild(element));
    auto node = builder.build(model, element);
    EXPECT_EQ(run(node).getText(), std::u16string(u"quiet"));
    EXPECT_EQ(run(node).getFormatting()->getItalic(), std::optional<bool>(true));
    EXPECT_TRUE(capture.messages().empty());
    EXPECT_EQ(model.typeNameQueries(), 0u);
}
