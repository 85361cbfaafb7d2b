#include "NodeMaker.hpp"

#include <richmarkup/formats/PandocWriter.hpp>

#include <foundation/json/Parser.hpp>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <unistd.h>

namespace richmarkup::formats {
namespace {

using test::NodeMaker;
using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
namespace dv = document::vxzero;
namespace cm = quillix::contentmodel::vxzero;

constexpr char plainAttr[] = R"(["",[],[]])";

class PandocWriterTest : public ::testing::Test {
protected:
    // The whole AST, checked to be JSON; each warning as "<kind of node>: <message>".
    std::string ast(std::vector<dv::Node> const& nodes, PandocWriter::Api api = PandocWriter::Api::V1_23) {
        PandocWriter::Options options;
        options.api = api;
        options.onWarning = [this](WriterWarning const& warning) {
            warnings.push_back(std::string(dv::kindName(warning.node->getKind())) + ": " + warning.message);
        };
        std::string const json = PandocWriter::toString(nodes, options);
        EXPECT_NO_THROW(foundation::json::Parser().parse(json)) << json;
        return json;
    }
    // The blocks alone, without the envelope.
    std::string blocks(std::vector<dv::Node> const& nodes) {
        std::string const json = ast(nodes);
        std::string const head = R"({"pandoc-api-version":[1,23],"meta":{},"blocks":[)";
        EXPECT_EQ(json.substr(0, head.size()), head);
        EXPECT_EQ(json.substr(json.size() - 3), "]}\n");
        return json.substr(head.size(), json.size() - head.size() - 3);
    }
    // The inlines of one paragraph of the given nodes.
    std::string inlines(std::initializer_list<dv::Node> nodes) {
        std::string const para = blocks({make.paragraph(nodes)});
        std::string const head = R"({"t":"Para","c":[)";
        EXPECT_EQ(para.substr(0, head.size()), head);
        return para.substr(head.size(), para.size() - head.size() - 2);
    }

    static cm::Formatting bold() { return cm::Formatting().setBold(true); }
    static cm::Formatting italic() { return cm::Formatting().setItalic(true); }
    static cm::Formatting mono() { return cm::Formatting().setMonospace(true); }
    template <class Handle>
    static Handle withId(Handle node, std::u16string const& id) {
        node->setAnchorId(id);
        return node;
    }

    vx::zero::Model model;
    NodeMaker make{model};
    std::vector<std::string> warnings;
};

TEST_F(PandocWriterTest, TheEnvelopeNamesTheApiVersionAsked) {
    EXPECT_EQ(ast({}, PandocWriter::Api::V1_22), "{\"pandoc-api-version\":[1,22],\"meta\":{},\"blocks\":[]}\n");
    EXPECT_EQ(ast({}, PandocWriter::Api::V1_23), "{\"pandoc-api-version\":[1,23],\"meta\":{},\"blocks\":[]}\n");
    auto const paragraph = make.paragraph({make.run(u"x")});
    std::string const older = ast({paragraph}, PandocWriter::Api::V1_22);
    std::string const newer = ast({paragraph}, PandocWriter::Api::V1_23);
    EXPECT_EQ(older.substr(older.find("\"meta\"")), newer.substr(newer.find("\"meta\"")));
}

TEST_F(PandocWriterTest, TextSplitsIntoWordsSpacesAndLineBreaks) {
    // As pandoc's Markdown reader gives "A **bold** `code`, x\\\ny".
    EXPECT_EQ(
        inlines({make.run(u"A "), make.run(u"bold", bold()), make.run(u" "), make.run(u"code", mono()),
                 make.run(u", x\ny")}),
        R"J({"t":"Str","c":"A"},{"t":"Space"},{"t":"Strong","c":[{"t":"Str","c":"bold"}]},{"t":"Space"},)J"
        R"J({"t":"Code","c":[["",[],[]],"code"]},{"t":"Str","c":","},{"t":"Space"},{"t":"Str","c":"x"},{"t":"LineBreak"},)J"
        R"J({"t":"Str","c":"y"})J");
    // Further spaces stay in the text, which writers would otherwise fold into one.
    EXPECT_EQ(inlines({make.run(u"a   b ")}),
              R"J({"t":"Str","c":"a"},{"t":"Space"},{"t":"Str","c":"  b"},{"t":"Space"})J");
    // Runs of one formatting are one element; tabs, quotes and controls are text.
    EXPECT_EQ(inlines({make.run(u"ab", bold()), make.run(u"c\t\"\\\x01", bold())}),
              R"J({"t":"Strong","c":[{"t":"Str","c":"abc\t\"\\\u0001"}]})J");
    EXPECT_EQ(inlines({make.run(u"caf\u00e9 \U0001F642")}), "{\"t\":\"Str\",\"c\":\"caf\xC3\xA9\"},{\"t\":\"Space\"},"
                                                            "{\"t\":\"Str\",\"c\":\"\xF0\x9F\x99\x82\"}");
    EXPECT_THAT(warnings, IsEmpty());
    EXPECT_EQ(inlines({make.run(u"a\r\nb"), make.run(std::u16string(u"x") + char16_t(0xD800))}),
              R"J({"t":"Str","c":"a"},{"t":"LineBreak"},{"t":"Str","c":"bx)J"
              "\xEF\xBF\xBD\"}");
    EXPECT_THAT(warnings, ElementsAre("RichTextNode: carriage return written as a line break",
                                      "RichTextNode: 1 lone surrogate written as U+FFFD"));
}

TEST_F(PandocWriterTest, FormattingNestsWithCodeInnermost) {
    auto const all = cm::Formatting().setBold(true).setItalic(true).setUnderline(true).setMonospace(true);
    EXPECT_EQ(
        inlines({make.run(u"a b", all)}),
        R"J({"t":"Strong","c":[{"t":"Emph","c":[{"t":"Underline","c":[{"t":"Code","c":[["",[],[]],"a b"]}]}]}]})J");
    // Formatting shared by neighbours stays open around both.
    EXPECT_EQ(inlines({make.run(u"a", bold()), make.run(u"b", cm::Formatting().setBold(true).setItalic(true)),
                       make.run(u"c", italic())}),
              R"J({"t":"Strong","c":[{"t":"Str","c":"a"},{"t":"Emph","c":[{"t":"Str","c":"b"}]}]},)J"
              R"J({"t":"Emph","c":[{"t":"Str","c":"c"}]})J");
    // A line break inside code ends the Code element.
    EXPECT_EQ(inlines({make.run(u"x\ny", mono())}),
              R"J({"t":"Code","c":[["",[],[]],"x"]},{"t":"LineBreak"},{"t":"Code","c":[["",[],[]],"y"]})J");
}

TEST_F(PandocWriterTest, HeadingsKeepTheirAnchorIdAndClampTheirLevel) {
    auto const heading = withId(make.heading(2, {make.run(u"Intro")}), u"H_intro");
    EXPECT_EQ(blocks({heading}), R"J({"t":"Header","c":[2,["H_intro",[],[]],[{"t":"Str","c":"Intro"}]]})J");
    heading->setAlignment(dv::Alignment::Center);
    std::string const written = blocks({make.heading(0), make.heading(9), heading});
    EXPECT_EQ(written.substr(0, written.find(R"({"t":"Header","c":[2)")),
              R"J({"t":"Header","c":[1,["",[],[]],[]]},{"t":"Header","c":[6,["",[],[]],[]]},)J");
    EXPECT_THAT(warnings, ElementsAre("HeadingNode: heading level 0 written as 1: pandoc has levels 1 to 6",
                                      "HeadingNode: heading level 9 written as 6: pandoc has levels 1 to 6",
                                      "HeadingNode: alignment \"center\" left out: pandoc's paragraphs and "
                                      "headings have no alignment"));
}

TEST_F(PandocWriterTest, AnchorIdsGoIntoAttrsOrADiv) {
    auto const paragraph = withId(make.paragraph({make.run(u"p")}), u"M_p");
    auto const list = withId(make.list({make.item({make.run(u"i")})}), u"M_l");
    auto const code = withId(make.codeBlock(u"cpp", {make.codeLine({make.code(u"x")})}), u"M_c");
    EXPECT_EQ(
        blocks({paragraph, list, code, make.paragraph()}),
        R"J({"t":"Div","c":[["M_p",[],[]],[{"t":"Para","c":[{"t":"Str","c":"p"}]}]]},)J"
        R"J({"t":"Div","c":[["M_l",[],[]],[{"t":"BulletList","c":[[{"t":"Plain","c":[{"t":"Str","c":"i"}]}]]}]]},)J"
        R"J({"t":"CodeBlock","c":[["M_c",["cpp"],[]],"x"]},{"t":"Para","c":[]})J");
    // Inline nodes without an Attr of their own carry theirs on a Span.
    EXPECT_EQ(inlines({withId(make.equation(u"x"), u"eq"), withId(make.run(u"r"), u"run")}),
              R"J({"t":"Span","c":[["eq",[],[]],[{"t":"Math","c":[{"t":"InlineMath"},"x"]}]]},)J"
              R"J({"t":"Span","c":[["run",[],[]],[{"t":"Str","c":"r"}]]})J");
    EXPECT_THAT(warnings, IsEmpty());
}

TEST_F(PandocWriterTest, ListsAreBulletedOrDecimalWithPlainItems) {
    auto ordered = make.list({make.item({make.run(u"a")}), make.item()});
    ordered->setIsOrdered(true);
    EXPECT_EQ(blocks({ordered}), R"J({"t":"OrderedList","c":[[1,{"t":"Decimal"},{"t":"Period"}],)J"
                                 R"J([[{"t":"Plain","c":[{"t":"Str","c":"a"}]}],[]]]})J");
    // A list right inside a list is the item before it's.
    EXPECT_EQ(blocks({make.list({make.item({make.run(u"a")}), make.list({make.item({make.run(u"b")})})})}),
              R"J({"t":"BulletList","c":[[{"t":"Plain","c":[{"t":"Str","c":"a"}]},)J"
              R"J({"t":"BulletList","c":[[{"t":"Plain","c":[{"t":"Str","c":"b"}]}]]}]]})J");
    EXPECT_THAT(warnings, ElementsAre("ListContainer: a ListContainer right inside a list written as part of the item "
                                      "before it"));
}

TEST_F(PandocWriterTest, TableOfContentsIsADivOfLinks) {
    auto const toc = withId(make.toc({make.tocEntry({make.link(u"#H_a", {make.run(u"A")})})}), u"contents");
    auto const heading = withId(make.heading(2, {make.run(u"A")}), u"H_a");
    std::string const written = blocks({toc, heading});
    EXPECT_EQ(written.substr(0, written.find(R"({"t":"Header")")),
              R"J({"t":"Div","c":[["contents",["toc"],[]],[{"t":"BulletList","c":[[{"t":"Plain","c":[)J"
              R"J({"t":"Link","c":[["",[],[]],[{"t":"Str","c":"A"}],["#H_a",""]]}]}]]}]]},)J");
    EXPECT_THAT(warnings, IsEmpty());
}

TEST_F(PandocWriterTest, TablesHaveAHeadColumnWidthsAndAlignment) {
    auto cell = [&](std::u16string const& text, std::optional<dv::Alignment> alignment = std::nullopt) {
        auto paragraph = make.paragraph({make.run(text)});
        if (alignment) {
            paragraph->setAlignment(*alignment);
        }
        return make.cell({paragraph});
    };
    auto table = withId(
        make.table({make.row({cell(u"h1"), cell(u"h2")}), make.row({cell(u"a"), cell(u"1", dv::Alignment::Right)}),
                    make.row({cell(u"b", dv::Alignment::Center), cell(u"2", dv::Alignment::Right)})}),
        u"M_t");
    table->setTableNodeMetaData(cm::TableNodeMetaData().setHasHeader(true).setColumnWidths({100, 300, -5}));
    // A cell of one paragraph, in an alignment written where it differs from its column's.
    auto json = [](char const* alignment, char const* text) {
        return std::string("[") + plainAttr + R"(,{"t":"Align)" + alignment +
               R"("},1,1,[{"t":"Plain","c":[{"t":"Str","c":")" + text + R"("}]}]])";
    };
    std::string const row = std::string("[") + plainAttr + ",[";
    EXPECT_EQ(blocks({table}),
              R"J({"t":"Table","c":[["M_t",[],[["column-widths","100 300 -5"]]],[null,[]],)J"
              R"J([[{"t":"AlignDefault"},{"t":"ColWidth","c":0.25}],[{"t":"AlignRight"},{"t":"ColWidth","c":0.75}]],)J"
              R"J([["",[],[]],[)J" +
                  row + json("Default", "h1") + "," + json("Left", "h2") + "]]" + R"J(]],[[["",[],[]],0,[],[)J" + row +
                  json("Default", "a") + "," + json("Default", "1") + "]]," + row + json("Center", "b") + "," +
                  json("Default", "2") + "]]" + R"J(]]],[["",[],[]],[]]]})J");
    // The cells' alignment holds the paragraphs': nothing is left out.
    EXPECT_THAT(warnings, IsEmpty());
}

TEST_F(PandocWriterTest, RowsArePaddedAndCellsHoldBlocks) {
    auto const table = make.table({make.row({make.cell(), make.cell()}),
                                   make.row({make.cell({make.paragraph({make.run(u"x")}), make.table()})})});
    std::string const written = blocks({table});
    EXPECT_THAT(written, HasSubstr(R"J([{"t":"Para","c":[{"t":"Str","c":"x"}]},{"t":"Table","c":[["",[],[]],)J"
                                   R"J([null,[]],[],[["",[],[]],[]],[[["",[],[]],0,[],[]]],[["",[],[]],[]]]}]],)J"
                                   R"J([["",[],[]],{"t":"AlignDefault"},1,1,[]]]])J"));
    EXPECT_THAT(warnings, ElementsAre("TableNode: rows of unequal length padded with empty cells to 2 columns: "
                                      "pandoc's tables are rectangular"));
}

TEST_F(PandocWriterTest, CodeExamplesAreOneTextOfLines) {
    auto const code = make.codeBlock(u"", {make.codeLine({make.code(u"  ", u"whitespace"), make.code(u"f();")}),
                                           make.codeLine(), make.codeLine({make.code(u"a\nb")})});
    EXPECT_EQ(blocks({code}), R"J({"t":"CodeBlock","c":[["",[],[]],"  f();\n\na\nb"]})J");
    EXPECT_THAT(warnings, ElementsAre("CodeTextNode: line end inside a code line: pandoc's code block reads it as "
                                      "two lines"));

    // An indent reads back as one; a token kind does not, and is said once a block.
    warnings.clear();
    blocks({make.codeBlock(u"c", {make.codeLine({make.code(u"int", u"keyword"), make.code(u" x", u"identifier")})})});
    EXPECT_THAT(warnings, ElementsAre(HasSubstr("token kinds left out")));
}

TEST_F(PandocWriterTest, LinksGoToTheirAddressOrTheAnchorIdTheyReach) {
    auto external = make.link(u"https://x.org/a", {make.run(u"e")});
    external->setAnchor(u"sec");
    auto anchorOnly = dv::HyperlinkNode::Builder(model).createHyperlinkNode(boost::uuids::nil_uuid());
    anchorOnly->setAnchor(u"H_a");
    auto bare = make.link(u"H_a");
    bare->setTargetType(u"anchor");
    auto const heading = withId(make.heading(2), u"H_a");
    std::string const written = blocks({make.paragraph({external, anchorOnly, bare, make.link(u"#a")}), heading});
    EXPECT_THAT(written, HasSubstr(R"J(["https://x.org/a#sec",""]]},{"t":"Link","c":[["",[],[]],[],["#H_a",""]]},)J"
                                   R"J({"t":"Link","c":[["",[],[]],[],["#H_a",""]]},)J"
                                   R"J({"t":"Link","c":[["",[],[]],[],["#H_a",""]]})J"));
    EXPECT_THAT(warnings, ElementsAre("HyperlinkNode: link to \"#a\" written as a link to \"#H_a\", the anchor id it "
                                      "reaches: pandoc's outputs look an id up as it stands"));
}

TEST_F(PandocWriterTest, ALinkInALinkOrWithoutAddressIsASpan) {
    auto const inner = withId(make.link(u"https://in", {make.run(u"in")}), u"l");
    EXPECT_EQ(inlines({make.link(u"https://out", {make.run(u"o "), inner}), make.link(u"", {make.run(u"t")})}),
              R"J({"t":"Link","c":[["",[],[]],[{"t":"Str","c":"o"},{"t":"Space"},)J"
              R"J({"t":"Span","c":[["l",[],[]],[{"t":"Str","c":"in"}]]}],["https://out",""]]},)J"
              R"J({"t":"Span","c":[["",[],[]],[{"t":"Str","c":"t"}]]})J");
    EXPECT_THAT(warnings, ElementsAre("HyperlinkNode: link inside a link written as a Span of its content: its "
                                      "address \"https://in\" left out",
                                      "HyperlinkNode: link without an address written as a Span of its content"));
}

TEST_F(PandocWriterTest, ImagesAndEquationsKeepWhatPandocHolds) {
    auto image = make.image();
    image->setData(cm::ImageData().setImgSrc(u"p.png").setWidth(64).setHeight(32).setAltText(u"A logo"));
    auto display = make.equation(u"\\frac{1}{2}");
    display->setEquationData(cm::EquationData().setDisplayStyle(true).setEncoding(u"LaTeX"));
    EXPECT_EQ(inlines({image, display}),
              R"J({"t":"Image","c":[["",[],[["width","64"],["height","32"]]],)J"
              R"J([{"t":"Str","c":"A"},{"t":"Space"},{"t":"Str","c":"logo"}],["p.png",""]]},)J"
              R"J({"t":"Math","c":[{"t":"DisplayMath"},"\\frac{1}{2}"]})J");
    EXPECT_THAT(warnings, IsEmpty());
    image->setId(u"logo");
    display->setEquationData(cm::EquationData().setAltText(u"half").setEncoding(u"mathml"));
    EXPECT_EQ(inlines({make.image(), display}),
              R"J({"t":"Image","c":[["",[],[]],[],["",""]]},{"t":"Math","c":[{"t":"InlineMath"},"\\frac{1}{2}"]})J");
    inlines({image});
    EXPECT_THAT(warnings, ElementsAre("EquationNode: alternative text \"half\" left out: pandoc's Math has none",
                                      "EquationNode: encoding \"mathml\" left out: pandoc's Math holds TeX, and the "
                                      "source is written as such",
                                      "ImageNode: image id \"logo\" left out: pandoc's images have no such property"));
}

TEST_F(PandocWriterTest, MisplacedNodesKeepTheirText) {
    EXPECT_EQ(blocks({make.run(u"loose"), make.item({make.run(u"i")}),
                      make.paragraph({make.run(u"a"), make.paragraph({make.run(u"b")}), make.run(u"c")})}),
              R"J({"t":"Para","c":[{"t":"Str","c":"loose"}]},{"t":"Para","c":[{"t":"Str","c":"i"}]},)J"
              R"J({"t":"Para","c":[{"t":"Str","c":"a"},{"t":"Space"},{"t":"Str","c":"b"},{"t":"Space"},)J"
              R"J({"t":"Str","c":"c"}]})J");
    EXPECT_THAT(warnings,
                ElementsAre("RichTextNode: a RichTextNode among blocks written in a paragraph with the inline content "
                            "next to it",
                            "ListItem: a ListItem outside a list written as a paragraph",
                            "RichTextParagraphNode: a RichTextParagraphNode inside inline content written as its "
                            "content"));
}

TEST_F(PandocWriterTest, DeepNestingIsWrittenFlatWithoutExhaustingTheStack) {
    dv::Node links = make.run(u"core");
    dv::Node tables = make.paragraph({make.run(u"deep")});
    for (int i = 0; i < 5000; ++i) {
        links = make.link(u"https://x", {links});
        tables = make.table({make.row({make.cell({tables})})});
    }
    std::string const written = blocks({make.paragraph({links}), tables});
    EXPECT_THAT(written, HasSubstr(R"({"t":"Str","c":"core"})"));
    EXPECT_THAT(written, HasSubstr(R"({"t":"Str","c":"deep"})"));
    EXPECT_THAT(warnings, Contains(HasSubstr("link inside a link")));
    EXPECT_THAT(warnings, Contains(HasSubstr("nested more than 48 deep: written as its text")));
    EXPECT_THAT(warnings, Contains(HasSubstr("nested more than 48 blocks deep")));
}

// pandoc itself reads what the writer gives, for a model with every kind.
TEST_F(PandocWriterTest, PandocReadsTheAst) {
    if (access("/usr/bin/pandoc", X_OK) != 0) {
        GTEST_SKIP() << "no /usr/bin/pandoc";
    }
    std::string version;
    if (FILE* pipe = popen("/usr/bin/pandoc --version", "r")) {
        char line[256] = {};
        if (fgets(line, sizeof line, pipe) != nullptr) {
            version = line;
        }
        pclose(pipe);
    }
    // pandoc 2 reads pandoc-types 1.22, pandoc 3 and later 1.23.
    auto const api = version.rfind("pandoc 2.", 0) == 0 ? PandocWriter::Api::V1_22 : PandocWriter::Api::V1_23;

    auto table = make.table({make.row({make.cell({make.paragraph({make.run(u"h")})})}),
                             make.row({make.cell({make.heading(3, {make.run(u"x")}), make.table()}), make.cell()})});
    table->setTableNodeMetaData(cm::TableNodeMetaData().setHasHeader(true).setColumnWidths({3, 1}));
    auto image = make.image();
    image->setData(cm::ImageData().setImgSrc(u"i.png").setWidth(2).setAltText(u"alt"));
    auto ordered = make.list({make.item({make.run(u"one", bold())})});
    ordered->setIsOrdered(true);
    std::vector<dv::Node> const nodes{
        withId(make.heading(1, {make.run(u"Title")}), u"T_t"),
        make.toc({make.tocEntry({make.link(u"#T_t", {make.run(u"Title")})})}),
        withId(make.paragraph({make.run(u"a \"b\"\n", italic()), make.run(u"c", mono()),
                               make.run(u"u", cm::Formatting().setUnderline(true)), image, make.equation(u"x^2"),
                               make.link(u"https://x", {make.run(u"l"), make.link(u"#T_t", {make.run(u"n")})})}),
               u"M_p"),
        ordered,
        make.list({make.item({make.run(u"b")})}),
        withId(make.codeBlock(u"cpp", {make.codeLine({make.code(u"int x;")}), make.codeLine()}), u"M_c"),
        table,
    };
    std::string const path = ::testing::TempDir() + "pandoc-writer-test.json";
    std::ofstream(path) << ast(nodes, api);
    FILE* pipe = popen(("/usr/bin/pandoc -f json -t native " + path + " 2>&1").c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::string output;
    char buffer[4096];
    for (std::size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) {
        output.append(buffer, n);
    }
    EXPECT_EQ(pclose(pipe), 0) << output;
    EXPECT_THAT(output, HasSubstr("CodeBlock"));
    EXPECT_THAT(output, HasSubstr("Table"));
    std::remove(path.c_str());
}

} // namespace
} // namespace richmarkup::formats
