// Heading, list and table-of-contents builders as plain classes, with a stand-in text-block
// builder so that the records and the node state at the moment of the inline build are known.
#include "HeadingNodeBuilderImpl.hpp"
#include "ListContainerBuilderImpl.hpp"
#include "ListItemBuilderImpl.hpp"
#include "RecordWriter.hpp"
#include "TableOfContentsContainerBuilderImpl.hpp"
#include "TableOfContentsHeadingNodeBuilderImpl.hpp"

#include <document/vxzero/HeadingNode.hpp>
#include <document/vxzero/ListContainer.hpp>
#include <document/vxzero/ModelJsonWriter.hpp>
#include <document/vxzero/RichTextNode.hpp>
#include <foundation/json/Parser.hpp>
#include <richmarkup/shared/logging/Logger.hpp>
#include <richmarkup/test/ErrorOf.hpp>
#include <richmarkup/test/RecordCapture.hpp>

#include <boost/uuid/nil_generator.hpp>

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

using foundation::json::parse;
using richmarkup::build::json::NodeBuilder;
using richmarkup::build::json::text::HeadingNodeBuilderImpl;
using richmarkup::build::json::text::ListContainerBuilderImpl;
using richmarkup::build::json::text::ListItemBuilderImpl;
using richmarkup::build::json::text::RecordWriter;
using richmarkup::build::json::text::TableOfContentsContainerBuilderImpl;
using richmarkup::build::json::text::TableOfContentsHeadingNodeBuilderImpl;
using richmarkup::build::json::text::TextBlockBuilder;
using richmarkup::test::errorOf;
using richmarkup::test::RecordCapture;
using Messages = std::vector<std::string>;

namespace {

std::string dump(document::vxzero::Node const& node) {
    return document::vxzero::ModelJsonWriter::toString({node}, {false, 0});
}

// Appends one empty run per entry of "children" (read strictly, as the real one does) and
// remembers how the parent looked when it was called.
class TextBlockDouble : public TextBlockBuilder {
public:
    void buildTextBlock(document::vxzero::Node& parent, vx::zero::Model const& model,
                        foundation::json::Value const& element) override {
        RecordWriter::write("text block");
        seen.push_back(dump(parent));
        for (std::size_t i = 0; i < element["children"].asArray().size(); ++i) {
            parent->getChildrenMutable().add(
                document::vxzero::RichTextNode::Builder(model).createRichTextNode(boost::uuids::nil_uuid()));
        }
    }
    std::vector<std::string> seen;
};

// Passes through to a real child builder and keeps every node it built, so a test can
// reach the container through a child after the container's build threw.
class KeepingBuilder : public NodeBuilder {
public:
    explicit KeepingBuilder(std::shared_ptr<NodeBuilder> inner) : inner_(std::move(inner)) {}
    bool canBuild(foundation::json::Value const& element) override { return inner_->canBuild(element); }
    document::vxzero::Node build(vx::zero::Model const& model, foundation::json::Value const& element) override {
        built.push_back(inner_->build(model, element));
        return built.back();
    }
    std::vector<document::vxzero::Node> built;

private:
    std::shared_ptr<NodeBuilder> inner_;
};

} // namespace

TEST(HeadingNodeBuilder, LevelsTruncateToOneByteAndLevelOneTakesTheTitleTag) {
    struct Case {
        char const* level;
        unsigned expected;
        char const* anchor;
    };
    auto const blocks = std::make_shared<TextBlockDouble>();
    HeadingNodeBuilderImpl builder(blocks);
    for (Case c : {Case{"1", 1, "T_h"}, Case{"0", 0, "H_h"}, Case{"6", 6, "H_h"}, Case{"257", 1, "T_h"},
                   Case{"256", 0, "H_h"}, Case{"300", 44, "H_h"}, Case{"3.99", 3, "H_h"}, Case{"1.5", 1, "T_h"},
                   Case{"-0.5", 0, "H_h"}, Case{"-1", 255, "H_h"}, Case{"-255", 1, "T_h"},
                   Case{"2147483647.9", 255, "H_h"}, Case{"-2147483648.5", 0, "H_h"}, Case{"2147483649", 0, "H_h"},
                   Case{"-3e9", 0, "H_h"}, Case{"1e300", 0, "H_h"}}) {
        vx::zero::Model model;
        auto const node = builder.build(
            model, parse(std::string(R"({"className":"HeadingNode","id":"h","children":[],"level":)") + c.level + "}"));
        ASSERT_EQ(node->getKind(), document::vxzero::NodeKind::HeadingNode);
        auto const& heading = static_cast<document::vxzero::HeadingNode::Impl const&>(*node.getImpl());
        EXPECT_EQ(heading.getLevel(), std::optional<unsigned char>(static_cast<unsigned char>(c.expected))) << c.level;
        std::string const anchor = c.anchor;
        EXPECT_EQ(heading.getAnchorId(), std::u16string(anchor.begin(), anchor.end())) << c.level;
    }
}

TEST(HeadingNodeBuilder, InlineContentComesFirstThenAlignmentLevelAndAnchor) {
    auto const blocks = std::make_shared<TextBlockDouble>();
    HeadingNodeBuilderImpl builder(blocks);
    RecordCapture capture;
    vx::zero::Model model;
    auto const node = builder.build(
        model,
        parse(R"({"className":"HeadingNode","level":2,"alignment":"center","anchorId":"a","children":[{},{}]})"));
    EXPECT_EQ(blocks->seen, Messages{R"([{"kind":"HeadingNode","children":[]}])"});
    EXPECT_EQ(dump(node), R"([{"kind":"HeadingNode","anchorId":"a","alignment":"center","level":2,)"
                          R"("children":[{"kind":"RichTextNode"},{"kind":"RichTextNode"}]}])");
    EXPECT_EQ(capture.messages(),
              (Messages{"Starting to build a HeadingNode", "text block", "Setting anchorId on HeadingNode"}));
}

TEST(HeadingNodeBuilder, CanBuildTakesOnlyHeadingNodeAndNeverThrows) {
    HeadingNodeBuilderImpl builder(std::make_shared<TextBlockDouble>());
    RecordCapture capture;
    EXPECT_TRUE(builder.canBuild(parse(R"({"className":"HeadingNode"})")));
    EXPECT_FALSE(builder.canBuild(parse(R"({"className":"TableOfContentsHeadingNode"})")));
    EXPECT_FALSE(builder.canBuild(parse(R"({"className":"Heading"})")));
    EXPECT_FALSE(builder.canBuild(parse(R"({"className":5})")));
    EXPECT_FALSE(builder.canBuild(parse(R"("HeadingNode")")));
    EXPECT_EQ(capture.messages(), Messages(5, "Checking if can build HeadingNode"));
}

TEST(HeadingNodeBuilder, BadOrMissingLevelThrowsAfterTheInlineContent) {
    auto const blocks = std::make_shared<TextBlockDouble>();
    HeadingNodeBuilderImpl builder(blocks);
    vx::zero::Model model;
    EXPECT_EQ(
        errorOf([&] { builder.build(model, parse(R"({"className":"HeadingNode","level":"2","children":[{}]})")); }),
        "invalid conversion: string to double");
    EXPECT_EQ(model.nodeCount(), 2u); // the heading and its run stay in the model
    EXPECT_THROW(builder.build(model, parse(R"({"className":"HeadingNode","children":[]})")), std::runtime_error);
    EXPECT_EQ(blocks->seen.size(), 2u);
    // Without "children" the inline build fails before any of the heading's keys is read.
    EXPECT_THROW(builder.build(model, parse(R"({"className":"HeadingNode","level":1})")), std::runtime_error);
}

namespace {

class ListBuilders : public ::testing::Test {
protected:
    document::vxzero::Node buildList(std::string const& extra, std::string const& children = "") {
        return container_.build(
            model_, parse(R"({"className":"ListParagraph","id":"l")" + extra + R"(,"children":[)" + children + "]}"));
    }
    std::optional<bool> orderedFlag(std::string const& extra) {
        auto const node = buildList(extra);
        return static_cast<document::vxzero::ListContainer::Impl const&>(*node.getImpl()).getIsOrdered();
    }

    std::shared_ptr<TextBlockDouble> blocks_ = std::make_shared<TextBlockDouble>();
    std::shared_ptr<KeepingBuilder> items_ =
        std::make_shared<KeepingBuilder>(std::make_shared<ListItemBuilderImpl>(blocks_));
    ListContainerBuilderImpl container_{items_};
    vx::zero::Model model_;
};

} // namespace

TEST_F(ListBuilders, OnlyTheExactStringOrderedMakesAnOrderedList) {
    EXPECT_EQ(orderedFlag(R"(,"type":"ordered")"), std::optional<bool>(true));
    EXPECT_EQ(orderedFlag(R"(,"type":"Ordered")"), std::optional<bool>(false));
    EXPECT_EQ(orderedFlag(R"(,"type":"ordered ")"), std::optional<bool>(false));
    EXPECT_EQ(orderedFlag(R"(,"type":"")"), std::optional<bool>(false));
    EXPECT_EQ(orderedFlag(R"(,"type":"unordered")"), std::optional<bool>(false));
    // Absent or not a string: the flag is left alone.
    EXPECT_EQ(orderedFlag(""), std::nullopt);
    EXPECT_EQ(orderedFlag(R"(,"type":1)"), std::nullopt);
    EXPECT_EQ(orderedFlag(R"(,"type":true)"), std::nullopt);
    EXPECT_EQ(orderedFlag(R"(,"type":null)"), std::nullopt);
}

TEST_F(ListBuilders, RefusedChildrenAreDroppedSilentlyAndItemsKeepTheirOrder) {
    RecordCapture capture;
    auto const node =
        buildList(R"(,"type":"ordered")",
                  R"({"className":"ListItem","alignment":"right","children":[{}]},"text",{"children":[]},)"
                  R"({"className":"RichTextParagraphNode","children":[]},{"className":"ListItem","children":[]})");
    EXPECT_EQ(dump(node), R"([{"kind":"ListContainer","anchorId":"M_l","isOrdered":true,"children":[)"
                          R"({"kind":"ListItem","alignment":"right","children":[{"kind":"RichTextNode"}]},)"
                          R"({"kind":"ListItem","alignment":"left","children":[]}]}])");
    // An item's alignment is set before its inline content is built.
    EXPECT_EQ(blocks_->seen, (Messages{R"([{"kind":"ListItem","alignment":"right","children":[]}])",
                                       R"([{"kind":"ListItem","alignment":"left","children":[]}])"}));
    EXPECT_EQ(
        capture.messages(),
        (Messages{"Starting to build a ListContainer", "Checking if can build ListItem", "Starting to build a ListItem",
                  "text block", "Finished building a ListItem", "Checking if can build ListItem",
                  "Incoming JSON was not an Object", "Checking if can build ListItem", "Checking if can build ListItem",
                  "Checking if can build ListItem", "Starting to build a ListItem", "text block",
                  "Finished building a ListItem", "Determining the type of list - ordered or unordered",
                  "Setting anchorId on ListContainerNode", "Finished building the list container"}));
}

TEST_F(ListBuilders, EmptyListStillGetsItsFlagAndAnchor) {
    RecordCapture capture;
    auto const node = buildList(R"(,"type":"bullets")");
    EXPECT_EQ(dump(node), R"([{"kind":"ListContainer","anchorId":"M_l","isOrdered":false,"children":[]}])");
    EXPECT_EQ(capture.messages(),
              (Messages{"Starting to build a ListContainer", "Determining the type of list - ordered or unordered",
                        "Setting anchorId on ListContainerNode", "Finished building the list container"}));
}

TEST_F(ListBuilders, AChildThatThrowsEndsTheBuildWithEarlierItemsInPlace) {
    EXPECT_EQ(
        errorOf([&] {
            buildList(
                "", R"({"className":"ListItem","children":[]},{"className":5},{"className":"ListItem","children":[]})");
        }),
        "invalid conversion: double to string");
    ASSERT_EQ(items_->built.size(), 1u);
    auto const* list = items_->built[0]->getParent();
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->getKind(), document::vxzero::NodeKind::ListContainer);
    EXPECT_EQ(list->getChildren().size(), 1u);

    for (char const* bad : {R"({"className":"ListParagraph"})", R"({"className":"ListParagraph","children":{}})"}) {
        EXPECT_THROW(container_.build(model_, parse(bad)), std::runtime_error) << bad;
    }
    EXPECT_EQ(items_->built.size(), 1u);
}

TEST_F(ListBuilders, CanBuildForms) {
    ListItemBuilderImpl item(blocks_);
    RecordCapture capture;
    EXPECT_TRUE(container_.canBuild(parse(R"({"className":"ListParagraph"})")));
    EXPECT_FALSE(container_.canBuild(parse(R"({"className":"ListContainer"})")));
    EXPECT_FALSE(container_.canBuild(parse(R"({"className":5})")));
    EXPECT_EQ(capture.messages(), Messages(3, "Checking if can build ListContainer"));

    capture.clear();
    EXPECT_TRUE(item.canBuild(parse(R"({"className":"ListItem"})")));
    EXPECT_FALSE(item.canBuild(parse(R"({"className":"listitem"})")));
    EXPECT_FALSE(item.canBuild(parse(R"({"className":"ListItem "})")));
    EXPECT_FALSE(item.canBuild(parse(R"({"children":[]})")));
    EXPECT_EQ(capture.messages(), Messages(4, "Checking if can build ListItem"));
    EXPECT_EQ(errorOf([&] { item.canBuild(parse(R"({"className":null})")); }), "invalid conversion: null to string");
    for (char const* notObject : {"[]", "\"ListItem\"", "1", "false", "null"}) {
        capture.clear();
        EXPECT_FALSE(item.canBuild(parse(notObject))) << notObject;
        EXPECT_EQ(capture.messages(), (Messages{"Checking if can build ListItem", "Incoming JSON was not an Object"}));
    }
}

namespace {

class TableOfContentsBuilders : public ::testing::Test {
protected:
    std::shared_ptr<TextBlockDouble> blocks_ = std::make_shared<TextBlockDouble>();
    std::shared_ptr<KeepingBuilder> entries_ =
        std::make_shared<KeepingBuilder>(std::make_shared<TableOfContentsHeadingNodeBuilderImpl>(blocks_));
    TableOfContentsContainerBuilderImpl container_{entries_};
    vx::zero::Model model_;
};

} // namespace

TEST_F(TableOfContentsBuilders, KeepsEntriesInOrderAndDropsHeadings) {
    RecordCapture capture;
    auto const node = container_.build(model_, parse(R"({"className":"TableOfContentsContainer","id":"c","children":[
        {"className":"TableOfContentsHeadingNode","alignment":"justify","children":[{}]},
        {"className":"HeadingNode","level":1,"children":[]},
        {"className":"TableOfContentsHeadingNode","children":[]}]})"));
    EXPECT_EQ(dump(node),
              R"([{"kind":"TableOfContentsContainer","anchorId":"M_c","children":[)"
              R"({"kind":"TableOfContentsHeadingNode","alignment":"justify","children":[{"kind":"RichTextNode"}]},)"
              R"({"kind":"TableOfContentsHeadingNode","alignment":"left","children":[]}]}])");
    // An entry's alignment is set only after its inline content.
    EXPECT_EQ(blocks_->seen, Messages(2, R"([{"kind":"TableOfContentsHeadingNode","children":[]}])"));
    EXPECT_EQ(
        capture.messages(),
        (Messages{"Starting to build a TableOfContentsContainer", "Checking if can build TableOfContentsHeadingNode",
                  "Starting to build a TableOfContentsHeadingNode", "text block",
                  "Checking if can build TableOfContentsHeadingNode",
                  "Checking if can build TableOfContentsHeadingNode", "Starting to build a TableOfContentsHeadingNode",
                  "text block", "Setting anchor id on TableOfContentsContainer"}));
}

TEST_F(TableOfContentsBuilders, EmptyContainerAndCanBuild) {
    RecordCapture capture;
    auto const node = container_.build(model_, parse(R"({"className":"TableOfContentsContainer","children":[]})"));
    EXPECT_EQ(dump(node), R"([{"kind":"TableOfContentsContainer","anchorId":"","children":[]}])");
    EXPECT_EQ(capture.messages(), (Messages{"Starting to build a TableOfContentsContainer",
                                            "Setting anchor id on TableOfContentsContainer"}));

    capture.clear();
    TableOfContentsHeadingNodeBuilderImpl entry(blocks_);
    EXPECT_TRUE(container_.canBuild(parse(R"({"className":"TableOfContentsContainer"})")));
    EXPECT_FALSE(container_.canBuild(parse(R"([{"className":"TableOfContentsContainer"}])")));
    EXPECT_TRUE(entry.canBuild(parse(R"({"className":"TableOfContentsHeadingNode"})")));
    EXPECT_FALSE(entry.canBuild(parse(R"({"className":"HeadingNode"})")));
    EXPECT_EQ(capture.messages(), (Messages{"Checking if can build TableOfContentsContainer",
                                            "Checking if can build TableOfContentsContainer",
                                            "Checking if can build TableOfContentsHeadingNode",
                                            "Checking if can build TableOfContentsHeadingNode"}));
}

TEST_F(TableOfContentsBuilders, AnEntryThatThrowsEndsTheBuildWithEarlierEntriesInPlace) {
    EXPECT_EQ(errorOf([&] {
                  container_.build(model_, parse(R"({"className":"TableOfContentsContainer","children":[
                      {"className":"TableOfContentsHeadingNode","children":[]},
                      {"className":"TableOfContentsHeadingNode","children":"x"},
                      {"className":"TableOfContentsHeadingNode","children":[]}]})"));
              }),
              "invalid conversion: string to array");
    ASSERT_EQ(entries_->built.size(), 1u);
    auto const* contents = entries_->built[0]->getParent();
    ASSERT_NE(contents, nullptr);
    EXPECT_EQ(contents->getKind(), document::vxzero::NodeKind::TableOfContentsContainer);
    EXPECT_EQ(contents->getChildren().size(), 1u);
    EXPECT_THROW(container_.build(model_, parse(R"({"className":"TableOfContentsContainer","children":3})")),
                 std::runtime_error);
}

TEST(BlockBuildersQuiet, LevelEightOffGivesTheSameNodesAndNoRecords) {
    auto const blocks = std::make_shared<TextBlockDouble>();
    ListContainerBuilderImpl list(std::make_shared<ListItemBuilderImpl>(blocks));
    TableOfContentsContainerBuilderImpl contents(std::make_shared<TableOfContentsHeadingNodeBuilderImpl>(blocks));
    HeadingNodeBuilderImpl heading(blocks);
    auto const listElement = parse(R"({"className":"ListParagraph","type":"ordered","children":[
        {"className":"ListItem","children":[{}]},"x"]})");
    auto const contentsElement = parse(R"({"className":"TableOfContentsContainer","children":[
        {"className":"TableOfContentsHeadingNode","children":[]}]})");
    auto const headingElement = parse(R"({"className":"HeadingNode","level":1,"id":"q","children":[]})");
    auto const dumpAll = [&](vx::zero::Model const& model) {
        EXPECT_TRUE(list.canBuild(listElement));
        EXPECT_TRUE(contents.canBuild(contentsElement));
        EXPECT_TRUE(heading.canBuild(headingElement));
        return dump(list.build(model, listElement)) + dump(contents.build(model, contentsElement)) +
               dump(heading.build(model, headingElement));
    };
    vx::zero::Model loud;
    std::string expected;
    {
        RecordCapture capture;
        expected = dumpAll(loud);
        EXPECT_FALSE(capture.messages().empty());
    }
    RecordCapture capture;
    richmarkup::shared::logging::getLogger().disable(8);
    vx::zero::Model quiet;
    EXPECT_EQ(dumpAll(quiet), expected);
    EXPECT_TRUE(capture.messages().empty());
    EXPECT_EQ(quiet.typeNameQueries(), 0u);
}
