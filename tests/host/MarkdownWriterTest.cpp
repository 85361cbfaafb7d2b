#include "NodeMaker.hpp"

#include <richmarkup/host/MarkdownWriter.hpp>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace richmarkup::host {
namespace {

using test::NodeMaker;
using ::testing::HasSubstr;
using ::testing::Not;
namespace dv = document::vxzero;
namespace cm = quillix::contentmodel::vxzero;

class MarkdownWriterTest : public ::testing::Test {
protected:
    std::string md(std::vector<dv::Node> const& nodes) { return MarkdownWriter::toString(nodes); }
    // One paragraph of the given runs, as written.
    std::string inline_(std::initializer_list<dv::Node> runs) { return md({make.paragraph(runs)}); }

    static cm::Formatting bold() { return cm::Formatting().setBold(true); }
    static cm::Formatting italic() { return cm::Formatting().setItalic(true); }
    static cm::Formatting mono() { return cm::Formatting().setMonospace(true); }

    vx::zero::Model model;
    NodeMaker make{model};
};

TEST_F(MarkdownWriterTest, TextThatLooksLikeMarkupStaysText) {
    EXPECT_EQ(inline_({make.run(u"*not bold* [x](y) # h")}), "\\*not bold\\* \\[x\\](y) \\# h\n");
    EXPECT_EQ(inline_({make.run(u"a_b `c` <div> &amp; 1|2 ~x~ $5 !+-\\")}),
              "a\\_b \\`c\\` \\<div\\> \\&amp; 1\\|2 \\~x\\~ \\$5 \\!\\+\\-\\\\\n");
    // What begins a block only at the start of a line is escaped there only.
    EXPECT_EQ(inline_({make.run(u"2024. = 3)")}), "2024\\. = 3)\n");
    EXPECT_EQ(inline_({make.run(u"=")}), "\\=\n");
    EXPECT_EQ(inline_({make.run(u"20"), make.run(u"24) x")}), "2024\\) x\n");
    // Four blanks would make a code block.
    EXPECT_EQ(inline_({make.run(u"    code?")}), "code?\n");
}

TEST_F(MarkdownWriterTest, LineBreaksNeverStartABlock) {
    EXPECT_EQ(inline_({make.run(u"a  \n# b\r\n1. c\r    d\n\n=e\n\n")}),
              "a\\\n\\# b\\\n1\\. c\\\nd\\\n\\\n\\=e\n");
    // A break inside a formatted run closes and reopens it around the break.
    EXPECT_EQ(inline_({make.run(u"x\n- y", bold())}), "**x**\\\n**\\- y**\n");
    // Headings and table cells are one line.
    EXPECT_EQ(md({make.heading(2, {make.run(u"a\nb #")})}), "## a b \\#\n");
}

TEST_F(MarkdownWriterTest, EmphasisDelimitersAlwaysCount) {
    // Blanks move outside; an empty or blank run writes no delimiters.
    EXPECT_EQ(inline_({make.run(u"a"), make.run(u" b ", bold()), make.run(u"c")}), "a **b** c\n");
    EXPECT_EQ(inline_({make.run(u"a "), make.run(u""), make.run(u"  ", italic()), make.run(u"b")}), "a   b\n");
    EXPECT_EQ(inline_({make.run(u"a"), make.run(u"\u00A0b", italic())}), "a\u00A0*b*\n");
    // Punctuation inside the delimiters next to a word character outside: the outside
    // character becomes a reference so that the delimiters still open and close.
    EXPECT_EQ(inline_({make.run(u"a"), make.run(u"[x].", bold()), make.run(u"b")}), "&#x61;**\\[x\\].**&#x62;\n");
    EXPECT_EQ(inline_({make.run(u"\u00E9"), make.run(u"(x)", italic())}), "&#xE9;*(x)*\n");
    EXPECT_EQ(inline_({make.run(u"ab", bold()), make.run(u"cd")}), "**ab**cd\n");
    // Runs of one style are one; back-to-back runs of different styles alternate * and _.
    EXPECT_EQ(inline_({make.run(u"a", bold()), make.run(u"b", bold())}), "**ab**\n");
    EXPECT_EQ(inline_({make.run(u"a.", bold()), make.run(u"b", italic()), make.run(u"c", bold()), make.run(u"d")}),
              "**a.**_b_**c**d\n");
    EXPECT_EQ(inline_({make.run(u"a", bold()), make.run(u"b", italic()), make.run(u"c")}), "**a**_b_&#x63;\n");
}

TEST_F(MarkdownWriterTest, FormattingNestsAndCodeSpansOutlastTheirBackticks) {
    auto all = cm::Formatting().setBold(true).setItalic(true).setUnderline(true).setMonospace(true);
    EXPECT_EQ(inline_({make.run(u"x", all)}), "***<u>`x`</u>***\n");
    EXPECT_EQ(inline_({make.run(u"u*", cm::Formatting().setUnderline(true))}), "<u>u\\*</u>\n");
    EXPECT_EQ(inline_({make.run(u"a `b` c", mono())}), "``a `b` c``\n");
    EXPECT_EQ(inline_({make.run(u"`x``", mono())}), "``` `x`` ```\n");
    EXPECT_EQ(inline_({make.run(u"*[\\]*", mono())}), "`*[\\]*`\n");
    EXPECT_EQ(inline_({make.run(u"say "), make.run(u" `q` ", mono()), make.run(u"now")}), "say  `` `q` `` now\n");
}

TEST_F(MarkdownWriterTest, LinksKeepSafeDestinationsOnly) {
    auto anchored = make.link(u"https://example.org/a", {make.run(u"x")});
    anchored->setAnchor(u"sec");
    EXPECT_EQ(md({anchored}), "[x](https://example.org/a#sec)\n");
    auto anchorOnly = make.link(u"", {make.run(u"top")});
    anchorOnly->setAnchor(u"t");
    EXPECT_EQ(md({anchorOnly}), "[top](#t)\n");
    EXPECT_EQ(md({make.link(u"a b(c)<d>\\&amp;", {make.run(u"]")})}), "[\\]](<a b(c)\\<d\\>\\\\&amp;amp;>)\n");
    EXPECT_EQ(md({make.link(u"x?a=1&b=2", {make.run(u"q", bold())})}), "[**q**](x?a=1&b=2)\n");

    for (std::u16string const& target : {std::u16string(u"javascript:alert(1)"), std::u16string(u" JavaScript:x"),
                                         std::u16string(u"java\tscript:x"), std::u16string(u"data:text/html,x"),
                                         std::u16string(u""), std::u16string(u" \t")}) {
        EXPECT_EQ(md({make.link(target, {make.run(u"text [1]")})}), "text \\[1\\]\n");
    }
    // Markdown has no link in a link: the inner one gives its text.
    EXPECT_EQ(md({make.link(u"/out", {make.run(u"a "), make.link(u"/in", {make.run(u"b")}), make.run(u" c")})}),
              "[a b c](/out)\n");
    // An unsafe outer link leaves room for a safe inner one.
    EXPECT_EQ(md({make.link(u"javascript:x", {make.run(u"a "), make.link(u"/in", {make.run(u"b")})})}),
              "a [b](/in)\n");
}

TEST_F(MarkdownWriterTest, ImagesNeedASafeSource) {
    auto image = make.image();
    image->setData(cm::ImageData().setImgSrc(u"data:image/png;base64,AA==").setAltText(u"A [logo]\nhere"));
    EXPECT_EQ(md({image}), "![A \\[logo\\] here](data:image/png;base64,AA==)\n");

    auto hostile = make.image();
    hostile->setData(cm::ImageData().setImgSrc(u"javascript:x").setAltText(u"*alt*"));
    EXPECT_EQ(md({make.paragraph({make.run(u"see "), hostile})}), "see \\[\\*alt\\*\\]\n");
    EXPECT_EQ(md({make.image()}), "");
}

TEST_F(MarkdownWriterTest, EquationsAreInlineOrDisplay) {
    auto display = make.equation(u"\\frac{a}{b}");
    display->setEquationData(cm::EquationData().setDisplayStyle(true));
    EXPECT_EQ(inline_({make.run(u"so "), make.equation(u"x = \\$1$\n+ y"), make.run(u" and "), display}),
              "so $x = \\\\\\$1\\$ + y$ and $$\\frac{a}{b}$$\n");
    // Read back, the TeX is what it was: no backslash taken as an escape, no '*' as emphasis.
    EXPECT_EQ(inline_({make.equation(u"\\int_0^1 x \\, dx = *a* &amp; [b]<c> \\")}),
              "$\\int\\_0^1 x \\\\, dx = \\*a\\* \\&amp; \\[b\\]\\<c\\> \\\\$\n");
    EXPECT_EQ(inline_({make.equation(u"")}), "");
}

TEST_F(MarkdownWriterTest, HeadingLevelsAreClamped) {
    EXPECT_EQ(md({make.heading(0, {make.run(u"a")}), make.heading(3, {make.run(u"b")}),
                  make.heading(200, {make.run(u"c")}), make.heading(2)}),
              "# a\n\n### b\n\n###### c\n");
}

TEST_F(MarkdownWriterTest, ListsNumberNestAndStayApart) {
    auto ordered = make.list({make.item({make.run(u"one")}), make.item(), make.item({make.run(u"three\nmore")})});
    ordered->setIsOrdered(true);
    auto inner = make.list({make.item({make.run(u"deep")})});
    // A list right inside a list is nested in the item before it.
    auto outer = make.list({make.item({make.run(u"top"), inner}), make.item({make.run(u"second")}),
                            make.list({make.item({make.run(u"next")})})});
    EXPECT_EQ(md({ordered, outer, make.list({make.item({make.run(u"- other")})})}),
              "1. one\n2.\n3. three\\\n   more\n\n"
              "- top\n  - deep\n- second\n  - next\n\n"
              "* \\- other\n");

    // A list that opens an item starts on the next line: "- - -" would be a thematic break.
    EXPECT_EQ(md({make.list({make.list({make.list({make.item()})})})}), "-\n  -\n    -\n");

    // Ten items: the marker widens and continuation lines follow it.
    auto ten = make.list();
    ten->setIsOrdered(true);
    for (int i = 0; i < 10; ++i) {
        ten->getChildrenMutable().add(make.item({make.run(u"a\nb")}));
    }
    EXPECT_THAT(md({ten}), HasSubstr("\n10. a\\\n    b\n"));

    auto link = make.link(u"#intro", {make.run(u"Intro")});
    EXPECT_EQ(md({make.toc({make.tocEntry({link}), make.tocEntry({make.run(u"1. Plain")})})}),
              "- [Intro](#intro)\n- 1\\. Plain\n");
}

TEST_F(MarkdownWriterTest, CodeBlocksAreFencedVerbatim) {
    auto block = make.codeBlock(u"c++ <script>", {
        make.codeLine({make.code(u"if", u"keyword"), make.code(u" (a < b) *p = `x`;")}),
        make.codeLine(),
        make.codeLine({make.code(u"  ```")}),
    });
    EXPECT_EQ(md({block}), "````c++script\nif (a < b) *p = `x`;\n\n  ```\n````\n");
    EXPECT_EQ(md({make.codeBlock(u"")}), "```\n```\n");
}

TEST_F(MarkdownWriterTest, SimpleTablesArePipeTables) {
    auto table = make.table({
        make.row({make.cell({make.paragraph({make.run(u"H|1")})}), make.cell()}),
        make.row({make.cell({make.paragraph({make.run(u"a", mono()), make.run(u"|b", mono())})})}),
        make.row({make.cell(), make.cell(), make.cell({make.paragraph({make.run(u"\\|")})})}),
    });
    cm::TableNodeMetaData meta;
    meta.setHasHeader(true);
    table->setTableNodeMetaData(meta);
    EXPECT_EQ(md({table}),
              "| H\\|1 |  |  |\n"
              "| --- | --- | --- |\n"
              "| `a\\|b` |  |  |\n"
              "|  |  | \\\\\\| |\n");

    auto headless = make.table({make.row({make.cell({make.paragraph({make.run(u"x\ny")})}), make.cell()})});
    EXPECT_EQ(md({headless}), "|  |  |\n| --- | --- |\n| x y |  |\n");
    EXPECT_EQ(md({make.table({make.row()})}), "");
}

TEST_F(MarkdownWriterTest, OtherTablesAreHtmlWithMarkdownCells) {
    auto nested = make.table({make.row({make.cell({make.paragraph({make.run(u"in")})})})});
    auto table = make.table({
        make.row({make.cell({make.paragraph({make.run(u"<b>")}), make.paragraph({make.run(u"p2")})}), make.cell()}),
        make.row({make.cell({nested}), make.cell({make.list({make.item({make.run(u"li")})})})}),
    });
    cm::TableNodeMetaData meta;
    meta.setHasHeader(true);
    table->setTableNodeMetaData(meta);
    EXPECT_EQ(md({table}),
              "<table>\n<tr>\n<th>\n\n\\<b\\>\n\np2\n\n</th>\n<th></th>\n</tr>\n"
              "<tr>\n<td>\n\n|  |\n| --- |\n| in |\n\n</td>\n<td>\n\n- li\n\n</td>\n</tr>\n</table>\n");
}

TEST_F(MarkdownWriterTest, DocumentShapeAndBadInput) {
    EXPECT_EQ(md({}), "");
    EXPECT_EQ(md({dv::Node(), make.paragraph(), make.paragraph({make.run(u" \n ")})}), "");
    EXPECT_EQ(md({make.paragraph({make.run(u"a ")}), make.paragraph({make.run(u"b\n")})}), "a\n\nb\n");
    // A lone surrogate and control characters never stop the writer.
    EXPECT_EQ(inline_({make.run(std::u16string(u"x") + char16_t(0xD800) + u"\x01y")}),
              "x\xEF\xBF\xBD\xEF\xBF\xBDy\n");
}

TEST_F(MarkdownWriterTest, DeepNestingIsFlattenedNotLost) {
    dv::Node top = make.link(u"#");
    dv::Node parent = top;
    for (int i = 0; i < 50000; ++i) {
        dv::Node child = make.link(u"#");
        parent->getChildrenMutable().add(child);
        parent = child;
    }
    parent->getChildrenMutable().add(make.run(u"core"));
    EXPECT_EQ(md({top}), "[core](#)\n");

    dv::Node list = make.list({make.item({make.run(u"0")})});
    dv::Node outerList = list;
    for (int i = 1; i < 5000; ++i) {
        dv::Node next = make.list({make.item({make.run(u"x")})});
        list->getChildrenMutable()[0]->getChildrenMutable().add(next);
        list = next;
    }
    list->getChildrenMutable()[0]->getChildrenMutable().add(make.run(u"innermost"));
    std::string const text = md({outerList});
    EXPECT_THAT(text, HasSubstr("innermost"));
    EXPECT_LT(text.size(), 100000u);
    EXPECT_THAT(text, Not(HasSubstr(" \n")));
}

} // namespace
} // namespace richmarkup::host
