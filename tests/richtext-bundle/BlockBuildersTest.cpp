// The block builders as a host meets them: services of the started bundles, each finding
// its children through the references and lookups the bundle wires up.
#include <richmarkup/build/json/NodeBuilder.hpp>
#include <richmarkup/test/RecordCapture.hpp>
#include <richmarkup/test/RunningFramework.hpp>

#include <document/vxzero/HeadingNode.hpp>
#include <document/vxzero/ListContainer.hpp>
#include <document/vxzero/TableNode.hpp>
#include <document/vxzero/TableOfContentsHeadingNode.hpp>
#include <foundation/json/Parser.hpp>
#include <vx/zero/Model.hpp>

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using document::vxzero::NodeKind;
using richmarkup::build::json::NodeBuilder;
using richmarkup::test::RecordCapture;
using Messages = std::vector<std::string>;

std::vector<std::string> allBundles() {
    std::vector<std::string> files;
#ifdef CODE_BUNDLE_FILE
    files.push_back(CODE_BUNDLE_FILE);
#endif
    files.push_back(RICHTEXT_BUNDLE_FILE);
    return files;
}

template <class Impl>
Impl const& as(document::vxzero::Node const& node) {
    return static_cast<Impl const&>(*node.getImpl());
}

std::vector<NodeKind> kindsOf(document::vxzero::Node const& node) {
    std::vector<NodeKind> kinds;
    for (auto const& child : node->getChildren()) {
        kinds.push_back(child->getKind());
    }
    return kinds;
}

class BlockBuilders : public ::testing::Test {
protected:
    // The host's way: the first block builder in the framework's order that accepts it.
    document::vxzero::Node build(std::string const& json) {
        auto const element = foundation::json::parse(json);
        for (auto const& builder : fw_.services<NodeBuilder>()) {
            if (builder->canBuild(element)) {
                return builder->build(model_, element);
            }
        }
        ADD_FAILURE() << "no builder for " << json;
        return {};
    }

    static std::string paragraph(std::string const& text) {
        return R"({"className":"RichTextParagraphNode","children":[{"className":"RichTextNode","text":")" + text +
               R"("}]})";
    }
    static std::string cell(std::string const& children) {
        return R"({"className":"TableCellNode","children":[)" + children + "]}";
    }
    static std::string table(std::string const& cells, std::string const& extra = "") {
        return R"({"className":"TableNode")" + extra + R"(,"children":[{"className":"TableRowNode","children":[)" +
               cells + "]}]}";
    }

    richmarkup::test::RunningFramework fw_{allBundles()};
    vx::zero::Model model_;
};

TEST_F(BlockBuilders, OneRowOneCellTableRecords) {
    RecordCapture capture;
    auto const node = build(table(cell(paragraph("x"))));
    auto const m = capture.messages();
    Messages const head = {"Building TableNode from JSON",
                           "Setting data for TableNode",
                           "Setting hasHeader Boolean from JSON",
                           "Setting columnWidths Array from JSON",
                           "Starting to build TableNode Children",
                           "Building Table Row Node",
                           "Checking if can build TableRowNode",
                           "Building TableRowNode from JSON",
                           "Starting to build TableRowNode Children",
                           "Building Table Cell Node",
                           "Checking if can build TableCellNode",
                           "Building Table Cell Node",
                           "Building text block into TableCellNode"};
    // The host's own canBuild calls come first; the table build starts at its first record.
    auto const start = std::find(m.begin(), m.end(), head.front());
    ASSERT_GE(m.end() - start, static_cast<long>(head.size()));
    EXPECT_EQ(Messages(start, start + static_cast<long>(head.size())), head);
    auto const found = std::find(start, m.end(), "Found an applicable node builder");
    ASSERT_NE(found, m.end());
    EXPECT_EQ(*(found - 1), "Checking if can build RichTextParagraphNode");
    for (auto it = start + static_cast<long>(head.size()); it != found; ++it) {
        EXPECT_EQ(it->rfind("Checking if can build ", 0), 0u) << *it;
    }
    EXPECT_EQ(*(found + 1), "Starting to build a RichTextParagraphNode");
    EXPECT_EQ(m[m.size() - 2], "Built a node of type document::vxzero::RichTextParagraphNode");
    EXPECT_EQ(m.back(), "Setting anchorId on TableNode");
    ASSERT_EQ(kindsOf(node), std::vector<NodeKind>{NodeKind::TableRowNode});
}

TEST_F(BlockBuilders, CellsTakeAnyBlockKindIncludingNestedTables) {
    std::string const any = paragraph("p") + "," + table(cell(paragraph("inner"))) + "," +
                            R"({"className":"HeadingNode","level":2,"children":[]},
                               {"className":"ListParagraph","children":[]},
                               {"className":"TableOfContentsContainer","children":[]},
                               {"className":"CodeExampleBlockNode","type":"sh","children":[]},
                               {"className":"RichTextNode","text":"inline: no block builder"})";
    auto const node = build(table(cell(any)));
    auto const& cellNode = node->getChildren()[0]->getChildren()[0];
    EXPECT_EQ(kindsOf(cellNode),
              (std::vector<NodeKind>{NodeKind::RichTextParagraphNode, NodeKind::TableNode, NodeKind::HeadingNode,
                                     NodeKind::ListContainer, NodeKind::TableOfContentsContainer,
                                     NodeKind::CodeExampleBlock}));
    auto const& nested = cellNode->getChildren()[1];
    EXPECT_EQ(kindsOf(nested->getChildren()[0]->getChildren()[0]),
              std::vector<NodeKind>{NodeKind::RichTextParagraphNode});
}

TEST_F(BlockBuilders, TableMetadataWidthsTruncateAndABadWidthFailsTheTable) {
    auto const node = build(table(cell(""), R"(,"hasHeader":true,"columnWidths":[100.7,-3.9,0])"));
    auto const& meta = *as<document::vxzero::TableNode::Impl>(node).getTableNodeMetaData();
    EXPECT_EQ(meta.getHasHeader(), true);
    EXPECT_EQ(meta.getColumnWidths(), (std::vector<long long>{100, -3, 0}));

    auto const plain = build(table(cell(""), R"(,"hasHeader":"yes","columnWidths":{})"));
    auto const& defaults = *as<document::vxzero::TableNode::Impl>(plain).getTableNodeMetaData();
    EXPECT_FALSE(defaults.getHasHeader());

    try {
        build(table(cell(paragraph("lost")), R"(,"columnWidths":[10,"20"])"));
        FAIL() << "a string width was accepted";
    } catch (std::runtime_error const& e) {
        EXPECT_STREQ(e.what(), "invalid conversion: string to double");
    }
}

TEST_F(BlockBuilders, HeadingLevelsWrapToEightBitsAndTagTheAnchor) {
    struct Case {
        char const* level;
        unsigned expected;
        char const* anchor;
    };
    for (Case c : {Case{"1", 1, "T_h"}, Case{"2", 2, "H_h"}, Case{"0", 0, "H_h"}, Case{"257", 1, "T_h"},
                   Case{"256", 0, "H_h"}, Case{"300", 44, "H_h"}, Case{"3.99", 3, "H_h"}, Case{"-0.5", 0, "H_h"},
                   Case{"-1", 255, "H_h"}, Case{"1e12", 0, "H_h"}}) {
        auto const node =
            build(std::string(R"({"className":"HeadingNode","id":"h","children":[],"level":)") + c.level + "}");
        auto const& heading = as<document::vxzero::HeadingNode::Impl>(node);
        EXPECT_EQ(heading.getLevel(), static_cast<unsigned char>(c.expected)) << c.level;
        std::string const anchor = c.anchor;
        EXPECT_EQ(heading.getAnchorId(), std::u16string(anchor.begin(), anchor.end())) << c.level;
    }
    EXPECT_THROW(build(R"({"className":"HeadingNode","level":"2","children":[]})"), std::runtime_error);
    EXPECT_THROW(build(R"({"className":"HeadingNode","children":[]})"), std::runtime_error);
}

TEST_F(BlockBuilders, ListTypeRulesAndDroppedChildren) {
    auto const ordered = [&](char const* type) {
        auto const node = build(std::string(R"({"className":"ListParagraph","children":[)") +
                                R"({"className":"ListItem","children":[]},"text",{"children":[]},)" +
                                paragraph("not an item") + R"(,{"className":"ListItem","children":[]}])" + type + "}");
        EXPECT_EQ(kindsOf(node), (std::vector<NodeKind>{NodeKind::ListItem, NodeKind::ListItem}));
        return as<document::vxzero::ListContainer::Impl>(node).getIsOrdered();
    };
    EXPECT_EQ(ordered(R"(,"type":"ordered")"), true);
    EXPECT_EQ(ordered(R"(,"type":"Ordered")"), false);
    EXPECT_EQ(ordered(R"(,"type":"")"), false);
    EXPECT_FALSE(ordered(""));
    EXPECT_FALSE(ordered(R"(,"type":1)"));
    EXPECT_THROW(build(R"({"className":"ListParagraph","children":[{"className":5}]})"), std::runtime_error);
}

TEST_F(BlockBuilders, TableOfContentsKeepsItsEntriesOnly) {
    RecordCapture capture;
    auto const node = build(R"({"className":"TableOfContentsContainer","children":[
        {"className":"TableOfContentsHeadingNode","alignment":"right","children":[{"className":"RichTextNode","text":"1"}]},
        {"className":"HeadingNode","level":1,"children":[]},
        {"className":"TableOfContentsHeadingNode","children":[]}]})");
    EXPECT_EQ(kindsOf(node),
              (std::vector<NodeKind>{NodeKind::TableOfContentsHeadingNode, NodeKind::TableOfContentsHeadingNode}));
    EXPECT_EQ(as<document::vxzero::TableOfContentsHeadingNode::Impl>(node->getChildren()[0]).getAlignment(),
              document::vxzero::Alignment::Right);
    EXPECT_EQ(node->getChildren()[0]->getChildren().size(), 1u);
    EXPECT_EQ(capture.messages().back(), "Setting anchor id on TableOfContentsContainer");
}

} // namespace
