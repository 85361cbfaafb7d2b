#include "NodeMaker.hpp"

#include <richmarkup/formats/MarkdownReader.hpp>
#include <richmarkup/formats/MarkdownWriter.hpp>
#include <richmarkup/formats/TextEscape.hpp>

#include <foundation/json/Object.hpp>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <future>
#include <string>
#include <vector>

namespace richmarkup::formats {
namespace {

using test::NodeMaker;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
namespace dv = document::vxzero;
namespace cm = quillix::contentmodel::vxzero;
namespace json = foundation::json;

// Compact JSON, members in the object's order: what the tests compare.
void print(std::string& out, json::Value const& value) {
    switch (value.kind()) {
    case json::Kind::String:
        out.push_back('"');
        for (char const c : value.asString()) {
            if (c == '"' || c == '\\') {
                out.push_back('\\');
                out.push_back(c);
            } else if (c == '\n') {
                out += "\\n";
            } else if (static_cast<unsigned char>(c) < 0x20) {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(c));
                out += escaped;
            } else {
                out.push_back(c);
            }
        }
        out.push_back('"');
        break;
    case json::Kind::Bool: out += value.asBool() ? "true" : "false"; break;
    case json::Kind::Double: out += std::to_string(static_cast<long long>(value.asDouble())); break;
    case json::Kind::Array: {
        out.push_back('[');
        for (std::size_t i = 0; i < value.size(); ++i) {
            out += i > 0 ? "," : "";
            print(out, value.asArray()[i]);
        }
        out.push_back(']');
        break;
    }
    case json::Kind::Object: {
        out.push_back('{');
        bool first = true;
        for (auto const& [key, member] : value.asObject()) {
            out += first ? "\"" : ",\"";
            first = false;
            out += key + "\":";
            print(out, member);
        }
        out.push_back('}');
        break;
    }
    default: out += "?" + std::string(value.kindName()); break;
    }
}

// What every element read must be: an object of sorted keys (as parsed JSON is, so that equal
// elements compare equal) with a string className; arrays of such objects below.
void checkShape(json::Value const& value, std::string const& where) {
    ASSERT_TRUE(value.isObject()) << where;
    ASSERT_TRUE(value["className"].isString()) << where;
    std::string previous;
    for (auto const& [key, member] : value.asObject()) {
        ASSERT_LT(previous, key) << where;
        previous = key;
        if (member.isArray()) {
            for (auto const& child : member.asArray()) {
                checkShape(child, where + "/" + key);
            }
        }
    }
}

std::string quote(std::string const& text) {
    std::string out = "\"";
    for (char const c : text) {
        out += c == '\n' ? std::string("\\n") : std::string(1, c);
    }
    return out + "\"";
}

// An element in short: P[...] H2#id[...] UL[[item] [item]] OL[...] CODE type[line|line]
// TABLE[[cell] [cell] / [cell] [cell]] (header row first when there is one, then " /"); runs
// as "text" after their formats (b, i, m), links as [...](target|anchor) or [...](#anchor),
// images as ![alt](source), equations as $tex$ or $$tex$$.
std::string brief(json::Value const& element) {
    std::string const& kind = element["className"].asString();
    auto children = [&](char const* separator) {
        std::string out;
        for (auto const& child : element["children"].asArray()) {
            out += (out.empty() ? "" : separator) + brief(child);
        }
        return out;
    };
    if (kind == "RichTextNode") {
        return std::string(element["bold"].isBool() ? "b" : "") + (element["italic"].isBool() ? "i" : "") +
               (element["monospace"].isBool() ? "m" : "") + quote(element["text"].asString());
    }
    if (kind == "HyperlinkNode") {
        json::Value const& link = element["hyperlink"];
        std::string const target =
            link["targetType"].asString() == "anchor"
                ? "#" + link["anchor"].asString()
                : link["target"].asString() + (link["anchor"].isString() ? "|" + link["anchor"].asString() : "");
        return "[" + children(" ") + "](" + target + ")";
    }
    if (kind == "ImageNode") {
        return "![" + element["altText"].asString() + "](" + element["imgSrc"].asString() + ")";
    }
    if (kind == "EquationNode") {
        std::string const fence = element["displayStyle"].asBool() ? "$$" : "$";
        return fence + element["texString"].asString() + fence;
    }
    if (kind == "RichTextParagraphNode") {
        return (element["alignment"].isString() ? element["alignment"].asString() : "") + "P[" + children(" ") + "]";
    }
    if (kind == "HeadingNode") {
        std::string const id = element["anchorId"].isString() ? "#" + element["anchorId"].asString() : "";
        return "H" + std::to_string(static_cast<int>(element["level"].asDouble())) + id + "[" + children(" ") + "]";
    }
    if (kind == "ListParagraph") {
        return (element["type"].asString() == "ordered" ? "OL[" : "UL[") + children(" ") + "]";
    }
    if (kind == "CodeExampleBlockNode") {
        return "CODE " + element["type"].asString() + "[" + children("|") + "]";
    }
    if (kind == "CodeExampleLineNode") {
        return children("");
    }
    if (kind == "CodeIndentNode") {
        return "<" + std::to_string(static_cast<int>(element["width"].asDouble())) + ">";
    }
    if (kind == "CodeTextNode") {
        return element["text"].asString();
    }
    if (kind == "TableNode") {
        return std::string("TABLE") + (element["hasHeader"].asBool() ? "H" : "") + "[" + children(" / ") + "]";
    }
    if (kind == "ListItem" || kind == "TableCellNode") {
        return "[" + children(" ") + "]";
    }
    return kind == "TableRowNode" ? children(" ") : "?" + kind;
}

class MarkdownReaderTest : public ::testing::Test {
protected:
    struct Read {
        std::vector<std::string> elements; // each in short
        std::vector<std::string> places;   // "line:column" of each
        std::vector<std::string> warnings; // "line:column: message"
    };

    static Read read(std::string_view markdown) {
        ReadDocument const document = MarkdownReader::read(markdown);
        Read out;
        EXPECT_EQ(document.elements.size(), document.places.size());
        for (std::size_t i = 0; i < document.elements.size(); ++i) {
            checkShape(document.elements[i], "element " + std::to_string(i));
            out.elements.push_back(brief(document.elements[i]));
            out.places.push_back(std::to_string(document.places[i].line) + ":" +
                                 std::to_string(document.places[i].column));
        }
        for (auto const& warning : document.warnings) {
            out.warnings.push_back(std::to_string(warning.place.line) + ":" + std::to_string(warning.place.column) +
                                   ": " + warning.message);
        }
        return out;
    }

    static std::vector<std::string> blocks(std::string_view markdown) { return read(markdown).elements; }

    // What the Markdown writer writes for the nodes, read back.
    static std::vector<std::string> roundTrip(std::vector<dv::Node> const& nodes) {
        return blocks(MarkdownWriter::toString(nodes));
    }

    static cm::Formatting bold() { return cm::Formatting().setBold(true); }
    static cm::Formatting italic() { return cm::Formatting().setItalic(true); }

    vx::zero::Model model;
    NodeMaker make{model};
};

TEST_F(MarkdownReaderTest, ElementsAreWhatTheRichTextFormatHolds) {
    ReadDocument const document =
        MarkdownReader::read("# T\n\n*a* $x$ [l](#t) ![i](s.png)\n\n1. o\n\n```c\n  x\n```\n\n"
                             "| h |\n| :-: |\n| c |\n");
    std::string out;
    for (auto const& element : document.elements) {
        print(out, element);
        out.push_back('\n');
    }
    EXPECT_EQ(
        out,
        R"({"anchorId":"t","children":[{"className":"RichTextNode","text":"T"}],"className":"HeadingNode","level":1}
{"children":[{"className":"RichTextNode","italic":true,"text":"a"},{"className":"RichTextNode","text":" "},)"
        R"({"className":"EquationNode","displayStyle":false,"texString":"x"},{"className":"RichTextNode","text":" "},)"
        R"({"children":[{"className":"RichTextNode","text":"l"}],"className":"HyperlinkNode",)"
        R"("hyperlink":{"anchor":"t","targetType":"anchor"}},{"className":"RichTextNode","text":" "},)"
        R"({"altText":"i","className":"ImageNode","imgSrc":"s.png"}],"className":"RichTextParagraphNode"}
{"children":[{"children":[{"className":"RichTextNode","text":"o"}],"className":"ListItem"}],"className":"ListParagraph","type":"ordered"}
{"children":[{"children":[{"className":"CodeIndentNode","width":2},{"className":"CodeTextNode","text":"x"}],)"
        R"("className":"CodeExampleLineNode"}],"className":"CodeExampleBlockNode","type":"c"}
{"children":[{"children":[{"children":[{"alignment":"center","children":[{"className":"RichTextNode","text":"h"}],)"
        R"("className":"RichTextParagraphNode"}],"className":"TableCellNode"}],"className":"TableRowNode"},)"
        R"({"children":[{"children":[{"alignment":"center","children":[{"className":"RichTextNode","text":"c"}],)"
        R"("className":"RichTextParagraphNode"}],"className":"TableCellNode"}],"className":"TableRowNode"}],)"
        R"("className":"TableNode","hasHeader":true}
)");
    EXPECT_EQ(document.places.size(), 5u);
    EXPECT_EQ(document.places[4].line, 11u);
}

TEST_F(MarkdownReaderTest, RunsTakeTheirFormattingMergedAndLineBreaksAsTheWriterWritesThem) {
    EXPECT_THAT(blocks("a **b** *c* `d` ***e*** **`f`** __g__ _h_ *i **j***"),
                ElementsAre("P[\"a \" b\"b\" \" \" i\"c\" \" \" m\"d\" \" \" bi\"e\" \" \" bm\"f\" \" \" b\"g\" \" \" "
                            "i\"h\" \" \" i\"i \" bi\"j\"]"));
    // Text split by cmark at every '*' or '[' that opens nothing is one run; a soft break is a
    // space, a hard break a line break.
    EXPECT_THAT(blocks("a * b [c\nd\\\ne  \nf"), ElementsAre("P[\"a * b [c d\\ne\\nf\"]"));
    // What the writer writes for text, blanks and line breaks reads back as the text.
    EXPECT_THAT(roundTrip({make.paragraph({make.run(u"\n*not* [x](y) # h_1 <b> &amp; $5 | ~x~ \\ \t  \n  1. "),
                                           make.run(u" b ", bold()), make.run(u"c", italic()), make.run(u"`d`")})}),
                ElementsAre("P[\"\\n*not* [x](y) # h_1 <b> &amp; $5 | ~x~ \\ \t  \\n  1.  \" b\"b\" \" \" i\"c\" "
                            "\"`d`\"]"));
}

TEST_F(MarkdownReaderTest, LinksReachHeadingsByTheirGitHubIds) {
    Read const result = read("[to b](#b-c) [to a](#a) [x](#nowhere) [far](https://x.org/p?q#frag) <https://a.b>\n\n"
                             "# A\n\n## B: c!\n\n# A\n\n[again](#a-1 \"title\")\n");
    EXPECT_THAT(result.elements,
                ElementsAre("P[[\"to b\"](#b-c) \" \" [\"to a\"](#a) \" \" [\"x\"](#nowhere) \" \" "
                            "[\"far\"](https://x.org/p?q|frag) \" \" [\"https://a.b\"](https://a.b)]",
                            "H1#a[\"A\"]", "H2#b-c[\"B: c!\"]", "H1#a-1[\"A\"]", "P[[\"again\"](#a-1)]"));
    EXPECT_THAT(
        result.warnings,
        ElementsAre("1:25: link to \"#nowhere\": no heading has the id \"nowhere\"; kept as an anchor of that name",
                    "9:1: link title \"title\" left out: links have no title"));
    // What the writer writes for links to headings and to addresses with an anchor.
    auto heading = make.heading(2, {make.run(u"Café au lait")});
    heading->setAnchorId(u"H_cafe");
    auto withAnchor = make.link(u"https://e.org/a b", {make.run(u"e", bold())});
    withAnchor->setAnchor(u"sec");
    EXPECT_THAT(
        roundTrip({make.paragraph({make.link(u"#H_cafe", {make.run(u"to")}), withAnchor}), heading}),
        ElementsAre("P[[\"to\"](#café-au-lait) [b\"e\"](https://e.org/a b|sec)]", "H2#café-au-lait[\"Café au lait\"]"));
}

TEST_F(MarkdownReaderTest, ImagesKeepSourceAndAlternativeText) {
    Read const result = read("![a *b* `c` $d$](pic.png \"t\") [![in](i.png)](u)");
    EXPECT_THAT(result.elements, ElementsAre("P[![a b c d](pic.png) \" \" [![in](i.png)](u)]"));
    EXPECT_THAT(result.warnings, ElementsAre("1:1: image title \"t\" left out: images have no title"));
}

TEST_F(MarkdownReaderTest, DollarsHoldTeXTakenAsItStands) {
    EXPECT_THAT(blocks("$a_1 *b* \\$ c$ and $$ \\frac{1}{2} $$, ${$}$ $`x`$"),
                ElementsAre("P[$a_1 *b* \\$ c$ \" and \" $$ \\frac{1}{2} $$ \", \" ${$}$ \" \" $`x`$]"));
    // A '$' that closes nothing stays text: an escaped one, one after or before a blank, or
    // before a digit, and one whose TeX has a '}' too many. The first '$' decides.
    EXPECT_THAT(blocks("\\$a$\n\n$20 and $30\n\n$ x$ $x $\n\n$x$2\n\n$a}$\n\n$$$$\n\nx$"),
                ElementsAre("P[\"$a$\"]", "P[\"$20 and $30\"]", "P[\"$ x$ $x $\"]", "P[\"$x$2\"]", "P[\"$a}$\"]",
                            "P[\"$$$$\"]", "P[\"x$\"]"));
    // Display TeX may start and end with blanks.
    EXPECT_THAT(blocks("$$ $$ and $$ x $$"), ElementsAre("P[$$ $$ \" and \" $$ x $$]"));
    EXPECT_THAT(blocks("$a$$b$ $$c$$$d$ x$y"), ElementsAre("P[$a$ $b$ \" \" $$c$$ $d$ \" x$y\"]"));
    // TeX across lines, in a table cell, a heading and a link.
    EXPECT_THAT(blocks("$$a\nb$$\n\n| $x\\|y$ |\n| - |\n\n# $e$\n\n[$l$](u)"),
                ElementsAre("P[$$a\nb$$]", "TABLEH[[P[$x|y$]]]", "H1#e[$e$]", "P[[$l$](u)]"));
    // Every equation the writer writes as TeX reads back as it was.
    std::vector<std::u16string> const texts = {
        u"x", u"\\$1 + \\text{$x$} \\\\", u"{a}_{b}", u"a|b*c_d`e`", u"\\{ x \\}", u"<b>&amp;", u"1$"};
    for (bool const display : {false, true}) {
        for (std::u16string const& tex : texts) {
            auto equation = make.equation(tex);
            equation->setEquationData(cm::EquationData().setDisplayStyle(display));
            std::string const fence = display ? "$$" : "$";
            std::string const expected = fence + text::toUtf8(tex) + fence;
            if (tex != u"1$") {
                EXPECT_THAT(roundTrip({make.paragraph({make.run(u"a"), equation, make.run(u"2")})}),
                            ElementsAre("P[\"a\" " + expected + " \"2\"]"));
                EXPECT_THAT(roundTrip({make.table({make.row({make.cell({make.paragraph({equation})})})})}),
                            ElementsAre("TABLE[[P[" + expected + "]]]"));
            } else {
                // Written as code, with a warning from the writer.
                EXPECT_THAT(roundTrip({make.paragraph({equation})}), ElementsAre("P[m\"1$\"]"));
            }
        }
    }
}

TEST_F(MarkdownReaderTest, ListItemsHoldInlineContentAndTheRestFollowsTheList) {
    Read const result = read("- a\n\n  b\n  - n1\n    - n2\n  ```\n  c\n  ```\n- d\n\n3. x\n4. y\n\n-\n");
    EXPECT_THAT(result.elements, ElementsAre("UL[[\"a\\nb\"] [\"d\"]]", "UL[[\"n1\"]]", "UL[[\"n2\"]]", "CODE [c]",
                                             "OL[[\"x\"] [\"y\"]]", "UL[[]]"));
    EXPECT_THAT(result.places, ElementsAre("1:1", "4:3", "5:5", "6:3", "11:1", "14:1"));
    EXPECT_THAT(
        result.warnings,
        ElementsAre("3:3: paragraph in a list item joined to the text before it with a line break: an item "
                    "holds one paragraph",
                    "4:3: list in a list item written after the list: an item holds inline content only",
                    "5:5: list in a list item written after the list: an item holds inline content only",
                    "6:3: code block in a list item written after the list: an item holds inline content only",
                    "11:1: ordered list starting at 3 numbered from 1: a list has no number of its own to start at"));
    // Lists the writer writes one after another stay apart.
    EXPECT_THAT(roundTrip({make.list({make.item({make.run(u"a")})}), make.list({make.item({make.run(u"b")})})}),
                ElementsAre("UL[[\"a\"]]", "UL[[\"b\"]]"));
}

TEST_F(MarkdownReaderTest, CodeBlocksAreLinesWithTheirIndent) {
    Read const result = read("```python  extra\n  a\n\n\tb \n```\n\n    indented\n\n~~~\n~~~\n");
    EXPECT_THAT(result.elements, ElementsAre("CODE python[<2>a||\tb ]", "CODE [indented]", "CODE []"));
    EXPECT_THAT(
        result.warnings,
        ElementsAre("1:1: code block info \"python  extra\": only its first word \"python\" kept, as the code type"));
    auto block = make.codeBlock(
        u"cpp",
        {make.codeLine({make.code(u"    "), make.code(u"int", u"keyword"), make.code(u" x; ```")}), make.codeLine()});
    EXPECT_THAT(roundTrip({block}), ElementsAre("CODE cpp[<4>int x; ```|]"));
}

TEST_F(MarkdownReaderTest, PipeTablesKeepRowsCellsAndAlignment) {
    EXPECT_THAT(
        blocks("| a | b | c |\n| :- | -: | --- |\n| 1 \\| 2 | **x** |\n| |\n"),
        ElementsAre(
            "TABLEH[[leftP[\"a\"]] [rightP[\"b\"]] [P[\"c\"]] / [leftP[\"1 | 2\"]] [rightP[b\"x\"]] [] / [] [] []]"));
    // The writer writes a table without a header with an empty header row.
    auto cell = [&](char16_t const* text) { return make.cell({make.paragraph({make.run(text)})}); };
    auto headed = make.table({make.row({cell(u"h|1"), cell(u"h2")}), make.row({cell(u"c"), make.cell()})});
    headed->setTableNodeMetaData(cm::TableNodeMetaData().setHasHeader(true));
    EXPECT_THAT(roundTrip({headed, make.table({make.row({cell(u"c")})})}),
                ElementsAre("TABLEH[[P[\"h|1\"]] [P[\"h2\"]] / [P[\"c\"]] []]", "TABLE[[P[\"c\"]]]"));
}

TEST_F(MarkdownReaderTest, WhatTextHasNoElementForKeepsItsTextWithAWarning) {
    Read const result = read("> quoted **q**\n> > deeper\n\n---\n\n<div>\n*raw*\n</div>\n\na <b>x</b> ~~s~~ [^1]\n");
    EXPECT_THAT(result.elements, ElementsAre("P[\"quoted \" b\"q\"]", "P[\"deeper\"]", "P[\"<div>\\n*raw*\\n</div>\"]",
                                             "P[\"a <b>x</b> s [^1]\"]"));
    EXPECT_THAT(result.warnings,
                ElementsAre("1:1: block quote: its blocks are kept, without the quote",
                            "2:3: block quote: its blocks are kept, without the quote",
                            "4:1: thematic break left out: it has no text", "6:1: raw HTML kept as text",
                            "10:3: raw HTML kept as text", "10:7: raw HTML kept as text",
                            "10:12: strikethrough kept as plain text: text has no such formatting"));
}

TEST_F(MarkdownReaderTest, IllFormedTextIsReadWithAWarningAtItsFirstByte) {
    char const text[] = "ok\n\nbad \xC3\x28 \xFF\xFE\r\nnul \0 # \xF0\x9F\x99\x82\n";
    Read const result = read(std::string_view(text, sizeof text - 1));
    EXPECT_THAT(result.elements, ElementsAre("P[\"ok\"]", "P[\"bad \xEF\xBF\xBD( \xEF\xBF\xBD\xEF\xBF\xBD nul "
                                                          "\xEF\xBF\xBD # \xF0\x9F\x99\x82\"]"));
    EXPECT_THAT(result.warnings,
                ElementsAre("3:5: 4 bytes of ill-formed UTF-8 or NUL read as U+FFFD (the first here)"));
    EXPECT_THAT(read("").elements, IsEmpty());
}

TEST_F(MarkdownReaderTest, HostileNestingReadsInLinearTime) {
    auto const start = std::chrono::steady_clock::now();
    std::size_t const deep = 100000;
    Read const quotes = read(std::string(deep, '>') + " x\n");
    EXPECT_THAT(quotes.elements, ElementsAre("P[\"x\"]"));
    EXPECT_EQ(quotes.warnings.size(), deep);
    EXPECT_THAT(read(std::string(deep, '[') + "x" + std::string(deep, ']')).elements, testing::SizeIs(1));
    std::string lists;
    for (std::size_t i = 0; i < 20000; ++i) {
        lists += "- ";
    }
    Read const nested = read(lists + "x\n");
    ASSERT_EQ(nested.elements.size(), 20000u);
    EXPECT_EQ(nested.elements.front(), "UL[[]]");
    EXPECT_EQ(nested.elements.back(), "UL[[\"x\"]]");
    EXPECT_THAT(read(std::string(deep, '*') + "a" + std::string(deep, '*')).elements, testing::SizeIs(1));
    // Dollars that open and close nothing, and braces that never close.
    std::string dollars;
    for (std::size_t i = 0; i < deep; ++i) {
        dollars += i % 2 == 0 ? "$a {$ " : "$$b} ";
    }
    EXPECT_THAT(read(dollars).elements, testing::SizeIs(1));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(60));
}

TEST_F(MarkdownReaderTest, WhatWouldTakeCmarkGfmQuadraticTimeReadsAsText) {
    // A delimiter row of 3000 columns over short rows: cmark-gfm would fill each row up.
    std::string wide = "|" + std::string(3000, 'a') + "|\n|";
    for (int i = 0; i < 3000; ++i) {
        wide += "-|";
    }
    for (int i = 0; i < 50; ++i) {
        wide += "\nx";
    }
    Read const table = read("para\n\n" + wide + "\n");
    ASSERT_THAT(table.elements, testing::SizeIs(2));
    EXPECT_EQ(table.elements[1].substr(0, 4), "P[\"|");
    EXPECT_THAT(table.warnings, ElementsAre(HasSubstr("4:1: 1 table read as text: cmark-gfm would make up to ")));
    // So many images and links in one paragraph: each link closed walks back over the images.
    std::string images;
    for (int i = 0; i < 15000; ++i) {
        images += "![[]()";
    }
    Read const brackets = read("# h\n" + images + "\n");
    EXPECT_THAT(brackets.warnings,
                ElementsAre("2:1: 30000 brackets of a paragraph read as text, not as links or images: cmark-gfm "
                            "takes quadratic time over so many images and links"));
    EXPECT_EQ(brackets.elements.at(1), "P[\"" + images + "\"]");
    // A long definition that every bracket could copy.
    std::string uses;
    for (int i = 0; i < 400; ++i) {
        uses += "[a]";
    }
    Read const copies = read("[a]: <" + std::string(100000, 'u') + ">\n\n" + uses + "\n");
    EXPECT_THAT(copies.warnings, ElementsAre("1:1: link reference definition of 100007 bytes read as text: "
                                             "cmark-gfm would copy it into each of up to 401 links",
                                             "1:6: raw HTML kept as text"));
    EXPECT_EQ(copies.elements.at(1), "P[\"" + uses + "\"]");
    // Large tables, and paragraphs of images and links, as people write them stay what they are.
    std::string dense;
    for (std::string const cell : {"h", "-", "c"}) {
        for (int row = 0; row < (cell == "c" ? 5000 : 1); ++row) {
            for (int column = 0; column < 20; ++column) {
                dense += "|" + cell;
            }
            dense += "|\n";
        }
    }
    std::string links = "[a]: <" + std::string(10000, 'u') + ">\n\n";
    for (int i = 0; i < 1000; ++i) {
        links += "![i](s) [a] ";
    }
    Read const usual = read(dense + "\n" + links);
    EXPECT_THAT(usual.warnings, IsEmpty());
    ASSERT_THAT(usual.elements, testing::SizeIs(2));
    EXPECT_EQ(usual.elements[0].substr(0, 7), "TABLEH[");
    EXPECT_EQ(usual.elements[1].substr(0, 21), "P[![i](s) \" \" [\"a\"](u");
}

TEST_F(MarkdownReaderTest, ReadsOnSeveralThreadsAtOnceAgree) {
    // cmark-gfm keeps the characters that stop its text scan for the whole process.
    std::string markdown;
    for (int i = 0; i < 200; ++i) {
        markdown += "Some $x_" + std::to_string(i) + "$ and ~~s~~ and www.example.org *" + std::to_string(i) + "*\n\n";
    }
    Read const alone = read(markdown);
    std::vector<std::future<std::vector<std::string>>> reads;
    for (int i = 0; i < 4; ++i) {
        reads.push_back(std::async(std::launch::async, [&] {
            std::vector<std::string> last;
            for (int round = 0; round < 25; ++round) {
                last = blocks(markdown);
            }
            return last;
        }));
    }
    for (auto& other : reads) {
        EXPECT_EQ(other.get(), alone.elements);
    }
}

} // namespace
} // namespace richmarkup::formats
