#include <document/vxzero/Document.hpp>

#include <boost/uuid/nil_generator.hpp>

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <type_traits>

namespace {

using namespace document::vxzero;
using namespace quillix::contentmodel::vxzero;
using vx::zero::Model;

boost::uuids::uuid const nil = boost::uuids::nil_uuid();

TEST(NodeSetters, RememberWhatWasSet) {
    Model model;
    auto const heading = HeadingNode::Builder(model).createHeadingNode(nil);
    EXPECT_FALSE(heading->getAnchorId());
    EXPECT_FALSE(heading->getAlignment());
    EXPECT_FALSE(heading->getLevel());
    heading->setAnchorId(u"");
    heading->setAlignment(Alignment::Justify);
    unsigned char const level = 6;
    heading->setLevel(level);
    EXPECT_EQ(heading->getAnchorId(), std::u16string()) << "an empty id is still set";
    EXPECT_EQ(heading->getAlignment(), Alignment::Justify);
    EXPECT_EQ(heading->getLevel(), 6);

    auto const list = ListContainer::Builder(model).createListContainer(nil);
    EXPECT_FALSE(list->getIsOrdered());
    list->setIsOrdered(false);
    EXPECT_EQ(list->getIsOrdered(), false);

    auto const image = ImageNode::Builder(model).createImageNode(nil);
    ImageData data;
    data.setHeight(UINT64_MAX).setImgSrc(u"a.png");
    image->setData(data);
    data.setWidth(3); // the node stored a copy
    EXPECT_EQ(image->getData()->getHeight(), UINT64_MAX);
    EXPECT_FALSE(image->getData()->getWidth());
    EXPECT_FALSE(image->getData()->getAltText());
    EXPECT_FALSE(image->getId());
}

TEST(NodeRecords, FieldsAndEmptyListsCountAsSet) {
    Formatting formatting;
    formatting.setBold(false).setUnderline(true);
    EXPECT_EQ(formatting.getBold(), false);
    EXPECT_FALSE(formatting.getItalic());
    EXPECT_FALSE(formatting.getMonospace());
    EXPECT_EQ(formatting.getUnderline(), true);
    EXPECT_NE(formatting, Formatting());

    TableNodeMetaData meta;
    EXPECT_FALSE(meta.getColumnWidths());
    meta.getColumnWidthsMutable();
    ASSERT_TRUE(meta.getColumnWidths());
    EXPECT_TRUE(meta.getColumnWidths()->empty());
    meta.getColumnWidthsMutable().push_back(-5);
    meta.getColumnWidthsMutable().push_back(LLONG_MAX);
    EXPECT_EQ(*meta.getColumnWidths(), (std::vector<long long>{-5, LLONG_MAX}));
    EXPECT_FALSE(meta.getHasHeader());

    EquationData equation;
    equation.setDisplayStyle(true).setEncoding(u"tex");
    EXPECT_EQ(equation.getEncoding(), std::u16string(u"tex"));
    EXPECT_FALSE(equation.getAltText());
}

TEST(NodeHandles, ConvertToTheirBasesAndCastBack) {
    static_assert(std::is_convertible_v<HeadingNode, RichTextParagraphNode>);
    static_assert(std::is_convertible_v<HeadingNode, Node>);
    static_assert(std::is_convertible_v<CodeTextNode, TextNode>);
    static_assert(!std::is_convertible_v<Node, HeadingNode>);

    Model model;
    auto const heading = HeadingNode::Builder(model).createHeadingNode(nil);
    RichTextParagraphNode const asParagraph = heading;
    asParagraph->setAlignment(Alignment::Center);
    Node const asNode = heading;
    EXPECT_EQ(asNode, heading);
    EXPECT_EQ(asNode->getKind(), NodeKind::HeadingNode);
    EXPECT_EQ(heading->getAlignment(), Alignment::Center);

    EXPECT_EQ(nodeCast<RichTextParagraphNode>(asNode), heading);
    EXPECT_FALSE(nodeCast<ListItem>(asNode));
    EXPECT_FALSE(nodeCast<HeadingNode>(Node()));
    auto const code = CodeTextNode::Builder(model).createCodeTextNode(nil);
    nodeCast<TextNode>(code)->setText(u"x");
    EXPECT_EQ(code->getText(), std::u16string(u"x"));
}

TEST(NodeKinds, NamesAndChildSequences) {
    EXPECT_STREQ(kindName(NodeKind::RichTextParagraphNode), "RichTextParagraphNode");
    EXPECT_STREQ(kindName(NodeKind::TableOfContentsHeadingNode), "TableOfContentsHeadingNode");
    EXPECT_STREQ(kindName(NodeKind::CodeTextNode), "CodeTextNode");
    EXPECT_STREQ(alignmentName(Alignment::Right), "right");

    Model model;
    EXPECT_FALSE(RichTextNode::Builder(model).createRichTextNode(nil)->hasChildSequence());
    EXPECT_FALSE(ImageNode::Builder(model).createImageNode(nil)->hasChildSequence());
    EXPECT_FALSE(EquationNode::Builder(model).createEquationNode(nil)->hasChildSequence());
    EXPECT_FALSE(CodeTextNode::Builder(model).createCodeTextNode(nil)->hasChildSequence());
    EXPECT_TRUE(HyperlinkNode::Builder(model).createHyperlinkNode(nil)->hasChildSequence());
    EXPECT_TRUE(CodeExampleLine::Builder(model).createCodeExampleLine(nil)->hasChildSequence());
    EXPECT_TRUE(TableOfContentsContainer::Builder(model).createTableOfContentsContainer(nil)->hasChildSequence());
}

} // namespace
