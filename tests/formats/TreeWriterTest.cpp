#include "NodeMaker.hpp"

#include <richmarkup/formats/TreeWriter.hpp>

#include <gtest/gtest.h>

#include <sstream>

namespace richmarkup::formats {
namespace {

using test::NodeMaker;
namespace dv = document::vxzero;
namespace cm = quillix::contentmodel::vxzero;

class TreeWriterTest : public ::testing::Test {
protected:
    vx::zero::Model model;
    NodeMaker make{model};
};

TEST_F(TreeWriterTest, WritesEveryKindWithWhatWasSetInOrder) {
    auto paragraph = make.paragraph({
        make.run(u"plain"),
        make.run(u"strong", cm::Formatting().setBold(true).setItalic(false)),
        make.link(u"https://example.org", {make.run(u"inside")}),
    });
    paragraph->setAnchorId(u"M_p");
    paragraph->setAlignment(dv::Alignment::Center);
    auto link = dv::nodeCast<dv::HyperlinkNode>(paragraph->getChildren()[2]);
    link->setAnchor(u"top");
    link->setTargetType(u"url");

    auto image = make.image();
    image->setId(u"logo");
    image->setData(cm::ImageData().setImgSrc(u"a.png").setWidth(18446744073709551615ull).setHeight(2));
    auto equation = make.equation(u"x^2");
    equation->setEquationData(cm::EquationData().setDisplayStyle(true).setEncoding(u"latex"));
    auto list = make.list({make.item({make.run(u"one")})});
    list->setIsOrdered(false);
    auto table = make.table({make.row({make.cell()})});
    cm::TableNodeMetaData meta;
    meta.setHasHeader(true);
    meta.getColumnWidthsMutable() = {100, -3};
    table->setTableNodeMetaData(meta);

    std::string const tree = TreeWriter::toString({
        paragraph,
        make.heading(2, {make.run(u"Title")}),
        make.paragraph({image, equation}),
        list,
        table,
        make.codeBlock(u"cpp", {make.codeLine({make.code(u"int", u"keyword"), make.code(u" x")})}),
        make.toc({make.tocEntry()}),
    });
    EXPECT_EQ(tree, "RichTextParagraphNode anchorId=\"M_p\" alignment=center\n"
                    "  RichTextNode \"plain\"\n"
                    "  RichTextNode \"strong\" bold=true italic=false\n"
                    "  HyperlinkNode target=\"https://example.org\" anchor=\"top\" targetType=\"url\"\n"
                    "    RichTextNode \"inside\"\n"
                    "HeadingNode level=2\n"
                    "  RichTextNode \"Title\"\n"
                    "RichTextParagraphNode\n"
                    "  ImageNode id=\"logo\" imgSrc=\"a.png\" height=2 width=18446744073709551615\n"
                    "  EquationNode texString=\"x^2\" displayStyle=true encoding=\"latex\"\n"
                    "ListContainer isOrdered=false\n"
                    "  ListItem\n"
                    "    RichTextNode \"one\"\n"
                    "TableNode hasHeader=true columnWidths=[100,-3]\n"
                    "  TableRowNode\n"
                    "    TableCellNode\n"
                    "CodeExampleBlock codeExampleType=\"cpp\"\n"
                    "  CodeExampleLine\n"
                    "    CodeTextNode \"int\" tokenKind=\"keyword\"\n"
                    "    CodeTextNode \" x\"\n"
                    "TableOfContentsContainer\n"
                    "  TableOfContentsHeadingNode\n");
}

TEST_F(TreeWriterTest, QuotesTextSoEveryNodeStaysOnOneLine) {
    std::u16string text = u"say \"hi\"\\ \n\t\r";
    text += char16_t(0x01);
    text += u"caf\u00e9 ";
    text += char16_t(0xD800); // a lone surrogate: no builder makes one, the writer must not fail
    std::string const tree = TreeWriter::toString({make.run(text)});
    EXPECT_EQ(tree, "RichTextNode \"say \\\"hi\\\"\\\\ \\n\\t\\r\\u0001caf\xC3\xA9 \xEF\xBF\xBD\"\n");
}

TEST_F(TreeWriterTest, EmptyAnchorIdIsLeftOutAndNullNodesAreShown) {
    auto paragraph = make.paragraph();
    paragraph->setAnchorId(u"");
    EXPECT_EQ(TreeWriter::toString({paragraph, dv::Node()}), "RichTextParagraphNode\n(null)\n");
    EXPECT_EQ(TreeWriter::toString({}), "");
}

TEST_F(TreeWriterTest, DeepNestingNeedsNoNativeStack) {
    constexpr std::size_t depth = 5000; // the outline itself grows with depth squared
    dv::Node top = make.link(u"0");
    dv::Node parent = top;
    for (std::size_t i = 1; i < depth; ++i) {
        dv::Node child = make.link(u"x");
        parent->getChildrenMutable().add(child);
        parent = child;
    }
    std::ostringstream out;
    TreeWriter::write(out, {top});
    std::string const tree = out.str();
    std::size_t lines = 0;
    for (char c : tree) {
        lines += c == '\n' ? 1 : 0;
    }
    EXPECT_EQ(lines, depth);
    std::string const last = std::string((depth - 1) * 2, ' ') + "HyperlinkNode target=\"x\"\n";
    ASSERT_GE(tree.size(), last.size());
    EXPECT_EQ(tree.substr(tree.size() - last.size()), last);
}

} // namespace
} // namespace richmarkup::formats
