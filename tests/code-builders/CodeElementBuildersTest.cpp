#include "CodeIndentNodeBuilderImpl.hpp"
#include "CodeTextNodeBuilderImpl.hpp"

#include <document/vxzero/CodeTextNode.hpp>
#include <document/vxzero/ModelJsonWriter.hpp>
#include <foundation/json/Parser.hpp>
#include <richmarkup/shared/logging/Logger.hpp>
#include <richmarkup/test/ErrorOf.hpp>
#include <richmarkup/test/RecordCapture.hpp>

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

using foundation::json::parse;
using richmarkup::build::json::code::CodeIndentNodeBuilderImpl;
using richmarkup::build::json::code::CodeTextNodeBuilderImpl;
using richmarkup::test::errorOf;
using richmarkup::test::RecordCapture;

using Messages = std::vector<std::string>;

namespace {

std::string json(document::vxzero::Node const& node) {
    return document::vxzero::ModelJsonWriter::toString({node}, {false, 2});
}

} // namespace

TEST(CodeElementBuilders, EachAcceptsOnlyItsExactClassName) {
    RecordCapture capture;
    CodeTextNodeBuilderImpl text;
    CodeIndentNodeBuilderImpl indent;
    EXPECT_TRUE(text.canBuild(parse(R"({"className":"CodeTextNode","text":"x"})")));
    EXPECT_FALSE(text.canBuild(parse(R"({"className":"codetextnode"})")));
    EXPECT_FALSE(text.canBuild(parse(R"(["CodeTextNode"])")));
    EXPECT_TRUE(indent.canBuild(parse(R"({"className":"CodeIndentNode","width":2})")));
    EXPECT_FALSE(indent.canBuild(parse(R"({"className":"CodeTextNode"})")));
    EXPECT_EQ(capture.messages(),
              (Messages{"Checking if can build CodeTextNode", "Checking if can build CodeTextNode",
                        "Checking if can build CodeTextNode", "Checking if can build CodeIndentNode",
                        "Checking if can build CodeIndentNode"}));
}

TEST(CodeElementBuilders, TextRunKeepsTextAndTokenKindAsWritten) {
    RecordCapture capture;
    vx::zero::Model model;
    CodeTextNodeBuilderImpl builder;
    auto node = builder.build(model, parse(R"({"className":"CodeTextNode","text":"while","tokenKind":"keyword"})"));
    EXPECT_EQ(json(node), R"([{"kind":"CodeTextNode","text":"while","tokenKind":"keyword"}])");
    EXPECT_EQ(capture.messages(), (Messages{"Starting to build a CodeTextNode", "Setting code text to while",
                                            "Setting token kind to keyword"}));

    // No kind is no kind, not an empty one; unknown kinds are kept for the renderer to judge.
    EXPECT_EQ(json(builder.build(model, parse(R"({"text":" = "})"))), R"([{"kind":"CodeTextNode","text":" = "}])");
    EXPECT_EQ(json(builder.build(model, parse(R"({"text":"@x","tokenKind":"Decorator"})"))),
              R"([{"kind":"CodeTextNode","text":"@x","tokenKind":"Decorator"}])");
}

TEST(CodeElementBuilders, MistypedKeysThrowTheConversionError) {
    CodeTextNodeBuilderImpl text;
    CodeIndentNodeBuilderImpl indent;
    struct Case {
        richmarkup::build::json::code::CodeElementBuilder* builder;
        char const* element;
        char const* error;
    } const cases[] = {
        {&text, R"({"className":"CodeTextNode"})", "invalid conversion: undefined to string"},
        {&text, R"({"text":7})", "invalid conversion: double to string"},
        {&text, R"({"text":"a","tokenKind":null})", "invalid conversion: null to string"},
        {&indent, R"({"className":"CodeIndentNode"})", "invalid conversion: undefined to double"},
        {&indent, R"({"width":"4"})", "invalid conversion: string to double"},
    };
    for (Case const& c : cases) {
        vx::zero::Model model;
        EXPECT_EQ(errorOf<std::exception>([&] { c.builder->build(model, parse(c.element)); }), c.error) << c.element;
    }
}

TEST(CodeElementBuilders, IndentIsThatManySpacesOfWhitespace) {
    RecordCapture capture;
    vx::zero::Model model;
    CodeIndentNodeBuilderImpl builder;
    EXPECT_EQ(json(builder.build(model, parse(R"({"className":"CodeIndentNode","width":4})"))),
              R"([{"kind":"CodeTextNode","text":"    ","tokenKind":"whitespace"}])");
    EXPECT_EQ(capture.messages(), (Messages{"Starting to build a CodeIndentNode", "Setting indentation to 4 spaces"}));
    EXPECT_EQ(json(builder.build(model, parse(R"({"width":0})"))),
              R"([{"kind":"CodeTextNode","text":"","tokenKind":"whitespace"}])");
    auto widest = builder.build(model, parse(R"({"width":256})"));
    EXPECT_EQ(static_cast<document::vxzero::CodeTextNode::Impl&>(*widest.getImpl()).getText()->size(), 256u);
}

TEST(CodeElementBuilders, IndentRejectsWidthsThatAreNoSmallWholeNumbers) {
    CodeIndentNodeBuilderImpl builder;
    struct Case {
        char const* width;
        char const* shown;
    } const cases[] = {{"-1", "-1"}, {"2.5", "2.5"}, {"257", "257"}, {"1e300", "1e+300"}, {"-0.5", "-0.5"}};
    for (Case const& c : cases) {
        vx::zero::Model model;
        std::string const element = std::string(R"({"width":)") + c.width + "}";
        EXPECT_EQ(errorOf<std::exception>([&] { builder.build(model, parse(element)); }),
                  std::string("CodeIndentNode width must be a whole number from 0 to 256, not ") + c.shown)
            << element;
    }
}

TEST(CodeElementBuilders, LevelEightOffGivesTheSameNodesAndNoRecords) {
    RecordCapture capture;
    richmarkup::shared::logging::getLogger().disable(8);
    vx::zero::Model model;
    CodeTextNodeBuilderImpl text;
    CodeIndentNodeBuilderImpl indent;
    auto const run = parse(R"({"className":"CodeTextNode","text":"42","tokenKind":"number"})");
    auto const gap = parse(R"({"className":"CodeIndentNode","width":2})");
    ASSERT_TRUE(text.canBuild(run));
    ASSERT_TRUE(indent.canBuild(gap));
    EXPECT_EQ(json(text.build(model, run)), R"([{"kind":"CodeTextNode","text":"42","tokenKind":"number"}])");
    EXPECT_EQ(json(indent.build(model, gap)), R"([{"kind":"CodeTextNode","text":"  ","tokenKind":"whitespace"}])");
    EXPECT_TRUE(capture.messages().empty());
}
