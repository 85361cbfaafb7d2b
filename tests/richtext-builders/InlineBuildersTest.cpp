// Image, equation and hyperlink builders as plain classes; links get a text-block builder
// made of the real registry and text-block builder over an in-process framework.
#include "EquationNodeBuilderImpl.hpp"
#include "HyperlinkNodeBuilderImpl.hpp"
#include "ImageNodeBuilderImpl.hpp"
#include "RichTextNodeBuilderImpl.hpp"
#include "TextBlockBuilderImpl.hpp"
#include "TextElementBuilderServicesProviderImpl.hpp"

#include <document/vxzero/EquationNode.hpp>
#include <document/vxzero/HyperlinkNode.hpp>
#include <document/vxzero/ImageNode.hpp>
#include <foundation/cppmicroservices/FrameworkAccess.hpp>
#include <foundation/json/Parser.hpp>
#include <richmarkup/test/RecordCapture.hpp>
#include <richmarkup/test/RunningFramework.hpp>
#include <richmarkup/shared/logging/Logger.hpp>

#include <gtest/gtest.h>

#include <cstdint>
#include <stdexcept>

namespace {

using namespace richmarkup::build::json::text;
using foundation::json::parse;
using richmarkup::test::RecordCapture;
using Messages = std::vector<std::string>;

template <class Impl>
Impl& as(document::vxzero::Node const& node) {
    return static_cast<Impl&>(*node.getImpl());
}

TEST(ImageNodeBuilder, ReadsEachKeyOnlyWhenPresentWithItsKind) {
    ImageNodeBuilderImpl builder;
    vx::zero::Model model;
    RecordCapture capture;
    auto const node = builder.build(model, parse(R"({"className":"ImageNode","imageId":7,"imgSrc":"a.png",
        "height":"240","width":320.9,"altText":"Ä caption","verticalAlign":"sideways"})"));
    auto const& image = as<document::vxzero::ImageNode::Impl>(node);
    EXPECT_FALSE(image.getId());
    ASSERT_TRUE(image.getData());
    auto const& data = *image.getData();
    EXPECT_EQ(data.getImgSrc(), std::u16string(u"a.png"));
    EXPECT_FALSE(data.getHeight());
    EXPECT_EQ(data.getWidth(), 320u);
    EXPECT_EQ(data.getAltText(), std::u16string(u"Ä caption"));
    EXPECT_EQ(data.getVerticalAlignment(), std::u16string(u"sideways"));
    EXPECT_EQ(capture.messages(),
              (Messages{"Starting to build ImageNode", "Setting imgSrc", "Setting width", "Setting altText",
                        "Setting verticalAlign", "Finished building ImageNode"}));
}

TEST(ImageNodeBuilder, SizesTruncateAndNegativeOnesWrap) {
    ImageNodeBuilderImpl builder;
    vx::zero::Model model;
    auto const height = [&](char const* value) {
        auto node = builder.build(model, parse(std::string(R"({"className":"ImageNode","height":)") + value + "}"));
        return *as<document::vxzero::ImageNode::Impl>(node).getData()->getHeight();
    };
    EXPECT_EQ(height("240.75"), 240u);
    EXPECT_EQ(height("0.7"), 0u);
    EXPECT_EQ(height("-0.5"), 0u);
    EXPECT_EQ(height("-1.0"), UINT64_MAX);
    EXPECT_EQ(height("-2.5"), UINT64_MAX - 1);
    EXPECT_EQ(height("1e300"), UINT64_MAX); // beyond any 64-bit size: saturates, no undefined cast

    // Integer kinds are not the double kind: skipped like an absent key.
    foundation::json::Object members{{"className", foundation::json::Value("ImageNode")},
                                     {"width", foundation::json::Value(static_cast<long long>(5))}};
    auto node = builder.build(model, foundation::json::Value(members));
    EXPECT_FALSE(as<document::vxzero::ImageNode::Impl>(node).getData()->getWidth());
}

TEST(EquationNodeBuilder, LogsEveryStepAndSetsOnlyRightlyTypedKeys) {
    EquationNodeBuilderImpl builder;
    vx::zero::Model model;
    RecordCapture capture;
    auto const node = builder.build(model, parse(R"({"className":"EquationNode","texString":"x^2",
        "displayStyle":1,"encoding":"latex","altTextString":"x squared"})"));
    auto const& equation = as<document::vxzero::EquationNode::Impl>(node);
    EXPECT_EQ(equation.getTexString(), std::u16string(u"x^2"));
    auto const& data = *equation.getEquationData();
    EXPECT_FALSE(data.getDisplayStyle());
    EXPECT_EQ(data.getEncoding(), std::u16string(u"latex"));
    EXPECT_EQ(data.getAltText(), std::u16string(u"x squared"));
    Messages const steps = {"Starting to build a EquationNode",
                            "Setting Node Tex String from JSON",
                            "Setting properties on EquationData",
                            "Setting displayStyle on EquationData if exists and right type",
                            "Setting encoding on EquationData if exists and right type",
                            "Setting altTextString on EquationData if exists and right type",
                            "Setting EquationData on the EquationNode"};
    EXPECT_EQ(capture.messages(), steps);

    capture.clear();
    auto const bare =
        builder.build(model, parse(R"({"className":"EquationNode","texString":null,"displayStyle":false})"));
    EXPECT_FALSE(as<document::vxzero::EquationNode::Impl>(bare).getTexString());
    EXPECT_EQ(as<document::vxzero::EquationNode::Impl>(bare).getEquationData()->getDisplayStyle(), false);
    EXPECT_EQ(capture.messages(), steps);
}

TEST(InlineObjectCheck, EveryInlineBuilderAnswersAlikeForStrangeElements) {
    ImageNodeBuilderImpl image;
    EquationNodeBuilderImpl equation;
    HyperlinkNodeBuilderImpl link;
    struct Case {
        TextElementBuilder* builder;
        char const* kind;
    };
    for (Case c : {Case{&image, "ImageNode"}, Case{&equation, "EquationNode"}, Case{&link, "HyperlinkNode"}}) {
        std::string const kind = c.kind;
        RecordCapture capture;
        EXPECT_TRUE(c.builder->canBuild(parse(R"({"className":")" + kind + R"("})")));
        EXPECT_FALSE(c.builder->canBuild(parse(R"({"className":")" + kind + R"( "})")));
        EXPECT_FALSE(c.builder->canBuild(parse(R"({"className":")" + kind.substr(0, 4) + R"("})")));
        EXPECT_FALSE(c.builder->canBuild(parse("[]")));
        EXPECT_THROW(c.builder->canBuild(parse(R"({"className":5})")), std::runtime_error);
        EXPECT_EQ(capture.messages()[4], "Incoming JSON was not an Object");
    }
}

TEST(InlineBuilders, LevelEightOffGivesTheSameNodesAndNoRecords) {
    RecordCapture capture;
    richmarkup::shared::logging::getLogger().disable(8);
    vx::zero::Model model;
    ImageNodeBuilderImpl image;
    EquationNodeBuilderImpl equation;
    HyperlinkNodeBuilderImpl link;
    EXPECT_FALSE(image.canBuild(parse("[]")));
    auto const imageNode = image.build(model, parse(R"({"className":"ImageNode","imageId":"i1","height":-1.0})"));
    EXPECT_EQ(as<document::vxzero::ImageNode::Impl>(imageNode).getId(), std::u16string(u"i1"));
    EXPECT_EQ(as<document::vxzero::ImageNode::Impl>(imageNode).getData()->getHeight(), UINT64_MAX);
    auto const equationNode = equation.build(model, parse(R"({"className":"EquationNode","displayStyle":true})"));
    EXPECT_EQ(as<document::vxzero::EquationNode::Impl>(equationNode).getEquationData()->getDisplayStyle(), true);
    auto const linkNode =
        link.build(model, parse(R"({"className":"HyperlinkNode","hyperlink":{"target":"t"},"children":[]})"));
    EXPECT_EQ(as<document::vxzero::HyperlinkNode::Impl>(linkNode).getTarget(), std::u16string(u"t"));
    EXPECT_TRUE(capture.messages().empty());
    EXPECT_EQ(model.typeNameQueries(), 0u);
}

TEST(HyperlinkNodeBuilderWithoutFramework, BuildsEmptyLinksAndRefusesToDropText) {
    foundation::cppmicroservices::setFramework({});
    HyperlinkNodeBuilderImpl builder;
    vx::zero::Model model;
    RecordCapture capture;
    auto const empty =
        builder.build(model, parse(R"({"className":"HyperlinkNode","hyperlink":{"anchor":"a"},"children":[]})"));
    EXPECT_EQ(as<document::vxzero::HyperlinkNode::Impl>(empty).getAnchor(), std::u16string(u"a"));
    EXPECT_EQ(capture.messages(),
              (Messages{"Starting to build Hyperlink Node", "Extracting hyperlink object", "Setting anchor"}));
    EXPECT_THROW(
        builder.build(model,
                      parse(R"({"className":"HyperlinkNode","children":[{"className":"RichTextNode","text":"x"}]})")),
        std::runtime_error);
}

// A framework with the real registry, text-block builder and the run and link builders.
class HyperlinkNodeBuilderTest : public ::testing::Test {
protected:
    void SetUp() override {
        auto ctx = fw_.context();
        regs_.push_back(ctx.RegisterService<TextElementBuilder>(std::make_shared<HyperlinkNodeBuilderImpl>()));
        regs_.push_back(ctx.RegisterService<TextElementBuilder>(std::make_shared<RichTextNodeBuilderImpl>()));
        blocks_ = ctx.RegisterService<TextBlockBuilder>(
            std::make_shared<TextBlockBuilderImpl>(std::make_shared<TextElementBuilderServicesProviderImpl>()));
    }

    richmarkup::test::RunningFramework fw_;
    std::vector<cppmicroservices::ServiceRegistration<TextElementBuilder>> regs_;
    cppmicroservices::ServiceRegistration<TextBlockBuilder> blocks_;
    HyperlinkNodeBuilderImpl builder_;
    vx::zero::Model model_;
};

TEST_F(HyperlinkNodeBuilderTest, SetsOnlyStringPropertiesOfTheHyperlinkObject) {
    RecordCapture capture;
    auto const node = builder_.build(model_, parse(R"({"className":"HyperlinkNode","target":"top-level",
        "hyperlink":{"target":12,"anchor":"sec-ü","targetType":"url"},"children":[]})"));
    auto const& link = as<document::vxzero::HyperlinkNode::Impl>(node);
    EXPECT_FALSE(link.getTarget());
    EXPECT_EQ(link.getAnchor(), std::u16string(u"sec-ü"));
    EXPECT_EQ(link.getTargetType(), std::u16string(u"url"));
    EXPECT_EQ(capture.messages(), (Messages{"Starting to build Hyperlink Node", "Extracting hyperlink object",
                                            "Setting anchor", "Setting targetType"}));

    for (char const* notAnObject : {R"("x")", "[]", "null"}) {
        capture.clear();
        builder_.build(model_, parse(std::string(R"({"className":"HyperlinkNode","children":[],"hyperlink":)") +
                                     notAnObject + "}"));
        EXPECT_EQ(capture.messages(), Messages{"Starting to build Hyperlink Node"}) << notAnObject;
    }
}

TEST_F(HyperlinkNodeBuilderTest, NestedLinksBecomeChildrenOfTheOuterLink) {
    auto const node = builder_.build(model_, parse(R"({"className":"HyperlinkNode","hyperlink":{"target":"a"},
        "children":[{"className":"RichTextNode","text":"see "},
                    {"className":"HyperlinkNode","hyperlink":{"target":"b"},
                     "children":[{"className":"RichTextNode","text":"inner"}]}]})"));
    auto const& outer = node->getChildren();
    ASSERT_EQ(outer.size(), 2u);
    ASSERT_EQ(outer[1]->getKind(), document::vxzero::NodeKind::HyperlinkNode);
    EXPECT_EQ(as<document::vxzero::HyperlinkNode::Impl>(outer[1]).getTarget(), std::u16string(u"b"));
    EXPECT_EQ(outer[1]->getChildren().size(), 1u);
}

TEST_F(HyperlinkNodeBuilderTest, ALinkWithoutChildrenFailsAfterItsProperties) {
    RecordCapture capture;
    try {
        builder_.build(model_, parse(R"({"className":"HyperlinkNode","hyperlink":{"target":"a"}})"));
        FAIL() << "a link without children was built";
    } catch (std::runtime_error const& e) {
        EXPECT_EQ(std::string(e.what()).rfind("invalid conversion: ", 0), 0u) << e.what();
    }
    EXPECT_EQ(capture.messages().back(), "Setting target");
}

TEST_F(HyperlinkNodeBuilderTest, WithoutATextBlockBuilderOnlyEmptyLinksCanBeBuilt) {
    blocks_.Unregister();
    auto const empty = builder_.build(model_, parse(R"({"className":"HyperlinkNode","children":[]})"));
    EXPECT_EQ(empty->getChildren().size(), 0u);
    try {
        builder_.build(model_,
                       parse(R"({"className":"HyperlinkNode","children":[{"className":"RichTextNode","text":"x"}]})"));
        FAIL() << "the link's text was dropped silently";
    } catch (std::runtime_error const& e) {
        EXPECT_NE(std::string(e.what()).find("no richmarkup::build::json::text::TextBlockBuilder"), std::string::npos);
    }
}

} // namespace
