#include "NodeMaker.hpp"

#include <richmarkup/formats/MarkdownWriter.hpp>

#include "HeadingIds.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace richmarkup::formats {
namespace {

using test::NodeMaker;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::Not;
namespace dv = document::vxzero;
namespace cm = quillix::contentmodel::vxzero;

class MarkdownWriterTest : public ::testing::Test {
protected:
    std::string md(std::vector<dv::Node> const& nodes) { return MarkdownWriter::toString(nodes); }
    // One paragraph of the given runs, as written.
    std::string inline_(std::initializer_list<dv::Node> runs) { return md({make.paragraph(runs)}); }

    // The Markdown, and each warning as "<kind of node>: <message>".
    struct Written {
        std::string text;
        std::vector<std::string> warnings;
    };
    Written written(std::vector<dv::Node> const& nodes) {
        Written out;
        MarkdownWriter::Options options;
        options.onWarning = [&](WriterWarning const& warning) {
            out.warnings.push_back(std::string(dv::kindName(warning.node->getKind())) + ": " + warning.message);
        };
        out.text = MarkdownWriter::toString(nodes, options);
        return out;
    }

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
}

TEST_F(MarkdownWriterTest, BlanksThatStartOrEndALineAreKept) {
    // The first blank of a line and the last as references: readers strip literal ones, and
    // four would make a code block.
    EXPECT_EQ(inline_({make.run(u"    code?")}), "&#32;   code?\n");
    EXPECT_EQ(inline_({make.run(u"\tx  ")}), "&#9;x &#32;\n");
    EXPECT_EQ(inline_({make.run(u"a \n  b")}), "a&#32;\\\n&#32; b\n");
    EXPECT_EQ(inline_({make.run(u" "), make.run(u"b", bold()), make.run(u" ")}), "&#32;**b**&#32;\n");
    EXPECT_EQ(md({make.heading(1, {make.run(u" x ")})}), "# &#32;x&#32;\n");
    EXPECT_EQ(md({make.list({make.item({make.run(u"  i")})})}), "- &#32; i\n");
    EXPECT_EQ(md({make.table({make.row({make.cell({make.paragraph({make.run(u" c")})})})})}),
              "|  |\n| --- |\n| &#32;c |\n");
    // Blanks inside a line stay as they are.
    EXPECT_EQ(inline_({make.run(u"a  b")}), "a  b\n");
}

TEST_F(MarkdownWriterTest, LineBreaksNeverStartABlock) {
    EXPECT_EQ(inline_({make.run(u"a  \n# b\r\n1. c\r    d\n\n=e")}),
              "a &#32;\\\n\\# b\\\n1\\. c\\\n&#32;   d\\\n\\\n\\=e\n");
    // Breaks that open a paragraph are kept; Markdown has none at its end.
    Written const trailing = written({make.paragraph({make.run(u"\n\na\n\n")})});
    EXPECT_EQ(trailing.text, "\\\n\\\na\n");
    EXPECT_THAT(trailing.warnings,
                ElementsAre("RichTextNode: line break at the end of a paragraph left out: Markdown has none there"));
    // A break inside a formatted run closes and reopens it around the break.
    EXPECT_EQ(inline_({make.run(u"x\n- y", bold())}), "**x**\\\n**\\- y**\n");
    // Headings and table cells are one line.
    Written const heading = written({make.heading(2, {make.run(u"a\nb #")})});
    EXPECT_EQ(heading.text, "## a b \\#\n");
    EXPECT_THAT(heading.warnings,
                ElementsAre("RichTextNode: line break in a heading written as a space: a heading is one line"));
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

TEST_F(MarkdownWriterTest, RawHtmlIsReported) {
    // Safe renderers drop raw HTML: the writer says where it used some.
    Written const underlined = written({make.paragraph(
        {make.run(u"u", cm::Formatting().setUnderline(true)), make.run(u" ", cm::Formatting().setUnderline(true))})});
    EXPECT_EQ(underlined.text, "<u>u</u>&#32;\n");
    EXPECT_THAT(underlined.warnings,
                ElementsAre("RichTextNode: underline written as raw HTML <u>, which safe renderers drop (the text "
                            "stays)"));

    auto table = make.table({make.row({make.cell({make.paragraph(), make.paragraph()})})});
    EXPECT_THAT(written({table}).warnings,
                ElementsAre("TableNode: table written as raw HTML <table>, which safe renderers drop: a cell holds "
                            "blocks a pipe table cannot (the cells' content stays, one after another)"));
    EXPECT_THAT(written({make.table({make.row({make.cell({make.paragraph({make.run(u"a")})})})})}).warnings, IsEmpty());
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

    for (std::u16string const& target :
         {std::u16string(u"javascript:alert(1)"), std::u16string(u" JavaScript:x"), std::u16string(u"java\tscript:x"),
          std::u16string(u"data:text/html,x"), std::u16string(u""), std::u16string(u" \t")}) {
        EXPECT_EQ(md({make.link(target, {make.run(u"text [1]")})}), "text \\[1\\]\n");
    }
    // Markdown has no link in a link: the inner one gives its text.
    EXPECT_EQ(md({make.link(u"/out", {make.run(u"a "), make.link(u"/in", {make.run(u"b")}), make.run(u" c")})}),
              "[a b c](/out)\n");
    // An unsafe outer link leaves room for a safe inner one.
    EXPECT_EQ(md({make.link(u"javascript:x", {make.run(u"a "), make.link(u"/in", {make.run(u"b")})})}), "a [b](/in)\n");

    // What the link loses is said, at the link.
    Written const lost =
        written({make.paragraph({make.link(u"javascript:x", {make.run(u"a")}), make.link(u" ", {make.run(u"b")}),
                                 make.link(u"/out", {make.link(u"/in", {make.run(u"c")})})})});
    EXPECT_EQ(lost.text, "ab[c](/out)\n");
    EXPECT_THAT(lost.warnings,
                ElementsAre("HyperlinkNode: link address \"javascript:x\" left out: scheme \"javascript\" is not "
                            "allowed; written as its text",
                            "HyperlinkNode: link without an address written as its text",
                            "HyperlinkNode: link inside a link written as its text: its address \"/in\" left out"));
}

TEST_F(MarkdownWriterTest, LineEndsInAddressesArePercentEncoded) {
    // A line end inside an address is kept; blanks around it go, as browsers drop them.
    EXPECT_EQ(md({make.link(u" https://example.org/a\nb\r\nc\td \n", {make.run(u"x")})}),
              "[x](https://example.org/a%0Ab%0D%0Ac%09d)\n");
    EXPECT_EQ(md({make.link(u"/a b\n", {make.run(u"x")})}), "[x](</a b>)\n");
    auto image = make.image();
    image->setData(cm::ImageData().setImgSrc(u"pic\n.png").setAltText(u"p"));
    EXPECT_EQ(md({image}), "![p](pic%0A.png)\n");
    // The scheme is read as a browser reads it: without the line end.
    EXPECT_EQ(md({make.link(u"java\nscript:x", {make.run(u"y")})}), "y\n");
}

TEST_F(MarkdownWriterTest, ImagesNeedASafeSource) {
    auto image = make.image();
    image->setData(cm::ImageData().setImgSrc(u"data:image/png;base64,AA==").setAltText(u"A [logo]\nhere"));
    EXPECT_EQ(md({image}), "![A \\[logo\\] here](data:image/png;base64,AA==)\n");

    auto hostile = make.image();
    hostile->setData(cm::ImageData().setImgSrc(u"javascript:x").setAltText(u"*alt*"));
    EXPECT_EQ(md({make.paragraph({make.run(u"see "), hostile})}), "see \\[\\*alt\\*\\]\n");
    EXPECT_EQ(md({make.image()}), "");

    auto bare = make.image();
    bare->setData(cm::ImageData().setImgSrc(u"javascript:x"));
    auto noSource = make.image();
    noSource->setData(cm::ImageData().setAltText(u"alt"));
    Written const lost = written({make.paragraph({hostile, bare, noSource, make.image()})});
    EXPECT_EQ(lost.text, "\\[\\*alt\\*\\]\\[alt\\]\n");
    EXPECT_THAT(lost.warnings,
                ElementsAre("ImageNode: image source \"javascript:x\" left out: scheme \"javascript\" is not allowed; "
                            "written as its alternative text",
                            "ImageNode: image source \"javascript:x\" left out: scheme \"javascript\" is not allowed; "
                            "the image has no alternative text and is left out",
                            "ImageNode: image without a source written as its alternative text",
                            "ImageNode: image without a source or alternative text left out"));
}

TEST_F(MarkdownWriterTest, EquationsKeepTheirTexAsItStands) {
    auto display = make.equation(u" \\frac{a}{b} ");
    display->setEquationData(cm::EquationData().setDisplayStyle(true));
    // No Markdown escape inside: the TeX reads back as it was.
    EXPECT_EQ(inline_({make.run(u"so "), make.equation(u"\\int_0^1 x \\, dx = *a* &amp; [b]<c>"), make.run(u" and "),
                       display}),
              "so $\\int_0^1 x \\, dx = *a* &amp; [b]<c>$ and $$ \\frac{a}{b} $$\n");
    // A '$' escaped or inside braces, and a final "\\", keep the TeX's end where it is.
    EXPECT_EQ(inline_({make.equation(u"\\$1 + \\text{$x$} \\\\")}), "$\\$1 + \\text{$x$} \\\\$\n");
    // A digit right after would hide the closing '$' from some readers.
    EXPECT_EQ(inline_({make.equation(u"x"), make.run(u"2")}), "$x$&#x32;\n");
    EXPECT_EQ(inline_({make.equation(u"")}), "");

    // What inline TeX cannot hold is changed, and said.
    Written const changed = written({make.paragraph({make.equation(u" a\nb ")})});
    EXPECT_EQ(changed.text, "$a b$\n");
    EXPECT_THAT(changed.warnings,
                ElementsAre("EquationNode: line breaks in the TeX written as spaces",
                            "EquationNode: blanks around the TeX left out: inline TeX cannot start or end with one"));
    // A '$' outside braces, an unbalanced brace or a final backslash: written as code.
    Written const code = written({make.paragraph({make.equation(u"a$b"), make.equation(u"}"), make.equation(u"x\\")})});
    EXPECT_EQ(code.text, "`a$b``}``x\\`\n");
    EXPECT_EQ(code.warnings.size(), 3u);
    EXPECT_THAT(code.warnings[0], HasSubstr("EquationNode: equation written as code"));
    // Display TeX may keep its blanks, as code too.
    auto displayCode = make.equation(u" a$b ");
    displayCode->setEquationData(cm::EquationData().setDisplayStyle(true));
    EXPECT_EQ(inline_({displayCode}), "`  a$b  `\n");
    EXPECT_THAT(written({make.paragraph({make.equation(u"  ")})}).warnings,
                ElementsAre("EquationNode: equation of blanks only left out"));
}

TEST_F(MarkdownWriterTest, HeadingsKeepTheirLevelAndEmptyOnesStay) {
    Written const headings = written({make.heading(0, {make.run(u"a")}), make.heading(3, {make.run(u"b")}),
                                      make.heading(200, {make.run(u"c")}), make.heading(2)});
    EXPECT_EQ(headings.text, "# a\n\n### b\n\n###### c\n\n##\n");
    EXPECT_THAT(headings.warnings,
                ElementsAre("HeadingNode: heading level 0 written as 1: Markdown has levels 1 to 6",
                            "HeadingNode: heading level 200 written as 6: Markdown has levels 1 to 6"));
    EXPECT_EQ(md({make.heading(1, {make.run(u"")}), make.heading(4, {make.equation(u"")})}), "#\n\n####\n");
}

TEST_F(MarkdownWriterTest, HeadingIdsFollowGitHubRules) {
    // Lower case; punctuation and symbols go, '-' and '_' stay; each space is a '-'.
    EXPECT_EQ(HeadingIds::slug("Lists, tables & code!"), "lists-tables--code");
    EXPECT_EQ(HeadingIds::slug("A_b-c (d) [e] {f} 'g' \"h\" 1.2"), "a_b-c-d-e-f-g-h-12");
    EXPECT_EQ(HeadingIds::slug(" x  y "), "-x--y-");
    // Other blanks are no spaces; letters and numbers of every script stay, in lower case.
    EXPECT_EQ(HeadingIds::slug("a\tb\u00A0c"), "abc");
    EXPECT_EQ(HeadingIds::slug("Café ÜBER Σίσυφος ΣΑΣ Ｆｕｌｌ 数学 ½"), "café-über-σίσυφος-σασ-ｆｕｌｌ-数学-½");
    EXPECT_EQ(HeadingIds::slug("İ"), "i\u0307");
    EXPECT_EQ(HeadingIds::slug("“quotes” — 🙂 €5 \xEF\xBF\xBD"), "quotes---5-");
    EXPECT_EQ(HeadingIds::slug(""), "");

    // Repeats count per identifier, in document order.
    HeadingIds ids;
    EXPECT_EQ(ids.next("Intro"), "intro");
    EXPECT_EQ(ids.next("intro!"), "intro-1");
    EXPECT_EQ(ids.next("Other"), "other");
    EXPECT_EQ(ids.next("INTRO"), "intro-2");
    EXPECT_EQ(ids.next(""), "");
    EXPECT_EQ(ids.next("?"), "-1");
}

TEST_F(MarkdownWriterTest, InternalLinksReachHeadings) {
    auto titled = make.heading(1, {make.run(u"Formatted "), make.run(u"text", bold())});
    titled->setAnchorId(u"T_text");
    auto again = make.heading(2, {make.run(u"Formatted text")});
    again->setAnchorId(u"has space");
    auto formula = make.equation(u"x");
    formula->setAnchorId(u"M_eq");
    auto paragraph = make.paragraph({make.run(u"p "), formula});
    paragraph->setAnchorId(u"M_p");
    auto empty = make.heading(2);
    empty->setAnchorId(u"H_empty");
    auto link = [&](std::u16string const& anchor, std::u16string const& text) {
        auto node = make.link(u"", {make.run(text)});
        node->setAnchor(anchor);
        return node;
    };
    // Links before and after the heading; "H_text" names "T_text", and "has%20space" names
    // "has space", as on the HTML page.
    Written const page =
        written({make.toc({make.tocEntry({link(u"H_text", u"one")}), make.tocEntry({link(u"has space", u"two")})}),
                 titled, again, paragraph, empty,
                 make.paragraph({link(u"has%20space", u"enc"), make.run(u" "), link(u"M_p", u"to p"), make.run(u" "),
                                 link(u"nowhere", u"x"), make.run(u" "), link(u"H_empty", u"e"), make.run(u" "),
                                 link(u"M_eq", u"eq"), make.run(u" "), make.link(u"#", {make.run(u"top")})})});
    EXPECT_EQ(page.text, "- [one](#formatted-text)\n- [two](#formatted-text-1)\n\n"
                         "# Formatted **text**\n\n## Formatted text\n\np $x$\n\n##\n\n"
                         "[enc](#formatted-text-1) [to p](#M_p) [x](#nowhere) [e](#H_empty) [eq](#M_eq) [top](#)\n");
    EXPECT_THAT(page.warnings,
                ElementsAre("HyperlinkNode: link to \"#M_p\" written as it stands: a RichTextParagraphNode has no id "
                            "in Markdown",
                            "HyperlinkNode: link to \"#nowhere\" written as it stands: no element has that anchor id",
                            "HyperlinkNode: link to \"#M_eq\" written as it stands: an EquationNode has no id in "
                            "Markdown",
                            "HyperlinkNode: link to \"#H_empty\" written as it stands: the heading it points at has no "
                            "id in Markdown (it has no text, or is not written as a heading)"));
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
    auto block = make.codeBlock(u"c++ <script>",
                                {
                                    make.codeLine({make.code(u"if", u"keyword"), make.code(u" (a < b) *p = `x`;")}),
                                    make.codeLine(),
                                    make.codeLine({make.code(u"  ```")}),
                                });
    EXPECT_EQ(md({block}), "````c++ <script>\nif (a < b) *p = `x`;\n\n  ```\n````\n");
    EXPECT_EQ(md({make.codeBlock(u"")}), "```\n```\n");
    // The info string reads back as the type: escapes and references are taken out of it.
    EXPECT_EQ(md({make.codeBlock(u"a\\+ &amp; b\nc\\")}), "```a\\\\+ &amp;amp; b&#10;c\\\n```\n");
    // A backtick fence's info string may hold no backtick: a tilde fence then.
    EXPECT_EQ(md({make.codeBlock(u"`q` x", {make.codeLine({make.code(u"~~~ ```")})})}), "~~~~`q` x\n~~~ ```\n~~~~\n");

    Written const trimmed = written({make.codeBlock(u" python\t")});
    EXPECT_EQ(trimmed.text, "```python\n```\n");
    EXPECT_THAT(trimmed.warnings, ElementsAre("CodeExampleBlock: blanks around the code type \" python\\t\" left out: "
                                              "readers trim them"));
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
    EXPECT_EQ(md({table}), "| H\\|1 |  |  |\n"
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
    EXPECT_EQ(md({table}), "<table>\n<tr>\n<th>\n\n\\<b\\>\n\np2\n\n</th>\n<th></th>\n</tr>\n"
                           "<tr>\n<td>\n\n|  |\n| --- |\n| in |\n\n</td>\n<td>\n\n- li\n\n</td>\n</tr>\n</table>\n");
}

TEST_F(MarkdownWriterTest, DocumentShapeAndBadInput) {
    EXPECT_EQ(md({}), "");
    EXPECT_EQ(md({dv::Node(), make.paragraph(), make.paragraph({make.run(u"")})}), "");
    EXPECT_EQ(md({make.paragraph({make.run(u" \n ")}), make.paragraph({make.run(u"b")})}), "&#32;\\\n&#32;\n\nb\n");
    // A lone surrogate and control characters never stop the writer, and are reported.
    Written const replaced = written({make.paragraph({make.run(std::u16string(u"x") + char16_t(0xD800) + u"\x01y")})});
    EXPECT_EQ(replaced.text, "x\xEF\xBF\xBD\xEF\xBF\xBDy\n");
    EXPECT_THAT(replaced.warnings, ElementsAre("RichTextNode: 2 characters that Markdown cannot hold (control "
                                               "characters, lone surrogates) written as U+FFFD"));
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
    Written const deep = written({outerList});
    EXPECT_THAT(deep.text, HasSubstr("innermost"));
    EXPECT_LT(deep.text.size(), 100000u);
    EXPECT_THAT(deep.text, Not(HasSubstr(" \n")));
    // One word for the flattened block, none for each block inside it.
    EXPECT_THAT(deep.warnings,
                ElementsAre("ListContainer: nested more than 64 blocks deep: written as one paragraph of its text"));

    // A block inside inline content (no builder makes one) gives its text.
    Written const inside =
        written({make.paragraph({make.run(u"a"), make.link(u"/x", {make.paragraph({make.run(u"b")})})})});
    EXPECT_EQ(inside.text, "a[ b](/x)\n");
    EXPECT_THAT(inside.warnings,
                ElementsAre("RichTextParagraphNode: a RichTextParagraphNode inside inline content written as its "
                            "text"));
}

} // namespace
} // namespace richmarkup::formats
