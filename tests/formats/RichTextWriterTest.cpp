#include "NodeMaker.hpp"

#include <richmarkup/formats/RichTextWriter.hpp>

#include <gtest/gtest.h>

#include <sstream>

namespace richmarkup::formats {
namespace {

using test::NodeMaker;
namespace dv = document::vxzero;
namespace cm = quillix::contentmodel::vxzero;

class RichTextWriterTest : public ::testing::Test {
protected:
    static std::string compact(std::vector<dv::Node> const& nodes) { return RichTextWriter::toString(nodes, {false}); }

    vx::zero::Model model;
    NodeMaker make{model};
};

TEST_F(RichTextWriterTest, WritesEachKindWithItsKeysInOneOrder) {
    auto heading = make.heading(2, {make.run(u"T", cm::Formatting().setUnderline(true).setBold(false))});
    heading->setAlignment(dv::Alignment::Center);
    heading->setAnchorId(u"H_t");
    auto link = make.link(u"https://x", {make.run(u"in")});
    link->setTargetType(u"url");
    link->setAnchor(u"a");
    auto image = make.image();
    image->setData(cm::ImageData().setVerticalAlignment(u"middle").setWidth(2).setImgSrc(u"i.png").setHeight(1));
    image->setId(u"img");
    auto equation = make.equation(u"x^2");
    equation->setEquationData(cm::EquationData().setAltText(u"x").setEncoding(u"latex").setDisplayStyle(false));
    auto list = make.list({make.item({make.run(u"one")})});
    list->setIsOrdered(true);
    list->setAnchorId(u"l");
    auto table = make.table({make.row({make.cell({make.paragraph()})})});
    cm::TableNodeMetaData meta;
    meta.getColumnWidthsMutable() = {10, -3};
    meta.setHasHeader(true);
    table->setTableNodeMetaData(meta);
    table->setAnchorId(u"tb");

    EXPECT_EQ(compact({heading, make.paragraph({link, image, equation}), list, table,
                       make.codeBlock(u"cpp", {make.codeLine({make.code(u"int", u"keyword")})}),
                       make.toc({make.tocEntry()})}),
              R"([{"className":"HeadingNode","level":2,"anchorId":"H_t","alignment":"center","children":[)"
              R"({"className":"RichTextNode","text":"T","bold":false,"underline":true}]},)"
              R"({"className":"RichTextParagraphNode","children":[{"className":"HyperlinkNode",)"
              R"("hyperlink":{"target":"https://x","anchor":"a","targetType":"url"},"children":[)"
              R"({"className":"RichTextNode","text":"in"}]},{"className":"ImageNode","imageId":"img",)"
              R"("imgSrc":"i.png","height":1,"width":2,"verticalAlign":"middle"},{"className":"EquationNode",)"
              R"("texString":"x^2","displayStyle":false,"encoding":"latex","altTextString":"x"}]},)"
              R"({"className":"ListParagraph","type":"ordered","anchorId":"l","children":[{"className":"ListItem",)"
              R"("children":[{"className":"RichTextNode","text":"one"}]}]},)"
              R"({"className":"TableNode","hasHeader":true,"columnWidths":[10,-3],"anchorId":"tb","children":[)"
              R"({"className":"TableRowNode","children":[{"className":"TableCellNode","children":[)"
              R"({"className":"RichTextParagraphNode","children":[]}]}]}]},)"
              R"({"className":"CodeExampleBlockNode","type":"cpp","children":[{"className":"CodeExampleLineNode",)"
              R"("children":[{"className":"CodeTextNode","text":"int","tokenKind":"keyword"}]}]},)"
              R"({"className":"TableOfContentsContainer","children":[{"className":"TableOfContentsHeadingNode",)"
              R"("children":[]}]}])");
}

TEST_F(RichTextWriterTest, WritesOnlyWhatDiffersFromWhatTheBuilderStoresWithoutTheKey) {
    // The builders store "" for a missing anchor id and left for a missing alignment.
    auto paragraph = make.paragraph({make.run(u"a", cm::Formatting()), make.run(u"b")});
    paragraph->setAnchorId(u"");
    paragraph->setAlignment(dv::Alignment::Left);
    auto item = make.item();
    item->setAlignment(dv::Alignment::Left);
    auto image = make.image();
    image->setData(cm::ImageData());
    auto table = make.table();
    table->setTableNodeMetaData(cm::TableNodeMetaData());
    auto emptyLink = make.link(u"");
    EXPECT_EQ(compact({paragraph, make.list({item}), make.table(), table}),
              R"([{"className":"RichTextParagraphNode","children":[{"className":"RichTextNode","text":"a"},)"
              R"({"className":"RichTextNode","text":"b"}]},{"className":"ListParagraph","children":[)"
              R"({"className":"ListItem","children":[]}]},{"className":"TableNode","children":[]},)"
              R"({"className":"TableNode","children":[]}])");
    // Stored empty values and false flags carry information: they stay.
    auto listed = make.list();
    listed->setIsOrdered(false);
    cm::TableNodeMetaData unheaded;
    unheaded.setHasHeader(false).getColumnWidthsMutable();
    table->setTableNodeMetaData(unheaded);
    EXPECT_EQ(compact({make.paragraph({emptyLink, make.run(u"", cm::Formatting().setItalic(false))}), listed, table}),
              R"([{"className":"RichTextParagraphNode","children":[{"className":"HyperlinkNode",)"
              R"("hyperlink":{"target":""},"children":[]},{"className":"RichTextNode","text":"","italic":false}]},)"
              R"({"className":"ListParagraph","type":"bulleted","children":[]},)"
              R"({"className":"TableNode","hasHeader":false,"columnWidths":[],"children":[]}])");
}

TEST_F(RichTextWriterTest, WritesStoredNumbersAsNumbersThatReadBackTheSame) {
    // Sizes are read as doubles and negative ones wrap around: a size no double holds is
    // written as the negative number it wraps from.
    auto sized = [&](std::uint64_t height, std::uint64_t width) {
        auto image = make.image();
        image->setData(cm::ImageData().setHeight(height).setWidth(width));
        return compact({make.paragraph({image})});
    };
    auto const sizes = [](char const* height, char const* width) {
        return std::string(R"([{"className":"RichTextParagraphNode","children":[{"className":"ImageNode","height":)") +
               height + R"(,"width":)" + width + "}]}]";
    };
    EXPECT_EQ(sized(0, 9007199254740991u), sizes("0", "9007199254740991"));
    EXPECT_EQ(sized(18446744073709551615u, 18446744073709551611u), sizes("-1", "-5"));
    EXPECT_EQ(sized(9223372036854775808u, 10000000000000000000u), sizes("9223372036854775808", "10000000000000000000"));
    EXPECT_EQ(sized(18437736874454810624u, 18437736874454810622u), sizes("18437736874454810624", "-9007199254740994"));

    auto table = make.table();
    cm::TableNodeMetaData meta;
    meta.getColumnWidthsMutable() = {-9223372036854775807 - 1, 9223372036854775807, -1, 0};
    table->setTableNodeMetaData(meta);
    EXPECT_EQ(compact({make.heading(0), make.heading(255), table}),
              R"([{"className":"HeadingNode","level":0,"children":[]},{"className":"HeadingNode","level":255,)"
              R"("children":[]},{"className":"TableNode","columnWidths":[-9223372036854775808,)"
              R"(9223372036854775807,-1,0],"children":[]}])");
}

TEST_F(RichTextWriterTest, WritesIndentsAsTheBuilderMakesThem) {
    // A CodeIndentNode builds a run of spaces tagged "whitespace"; other runs stay text.
    std::u16string const widest(256, u' ');
    EXPECT_EQ(compact({make.codeLine({make.code(u"", u"whitespace"), make.code(widest, u"whitespace"),
                                      make.code(widest + u" ", u"whitespace"), make.code(u"\t", u"whitespace"),
                                      make.code(u"  ", u"space"), make.code(u"  ")})}),
              R"([{"className":"CodeExampleLineNode","children":[{"className":"CodeIndentNode","width":0},)"
              R"({"className":"CodeIndentNode","width":256},{"className":"CodeTextNode","text":")" +
                  std::string(257, ' ') +
                  R"(","tokenKind":"whitespace"},{"className":"CodeTextNode","text":"\t","tokenKind":"whitespace"},)"
                  R"({"className":"CodeTextNode","text":"  ","tokenKind":"space"},)"
                  R"({"className":"CodeTextNode","text":"  "}]}])");
}

TEST_F(RichTextWriterTest, EscapesTextAndWritesALoneSurrogateAsReplacement) {
    auto paragraph = make.paragraph({make.run(u"q\"\\/\n\t\x01\x7f\u00e9\U0001F600 \xD800 end")});
    paragraph->setAnchorId(u"\u2028");
    EXPECT_EQ(
        compact({paragraph}),
        "[{\"className\":\"RichTextParagraphNode\",\"anchorId\":\"\xE2\x80\xA8\",\"children\":[{\"className\":"
        "\"RichTextNode\",\"text\":\"q\\\"\\\\/\\n\\t\\u0001\\u007f\xC3\xA9\xF0\x9F\x98\x80 \xEF\xBF\xBD end\"}]}]");
}

TEST_F(RichTextWriterTest, PrettyIsIndentedOneKeyALineAndLeavesOutNullNodes) {
    EXPECT_EQ(RichTextWriter::toString({dv::Node(), make.heading(1, {make.run(u"T")}), dv::Node()}, {true}),
              "[\n"
              "  {\n"
              "    \"className\": \"HeadingNode\",\n"
              "    \"level\": 1,\n"
              "    \"children\": [\n"
              "      {\n"
              "        \"className\": \"RichTextNode\",\n"
              "        \"text\": \"T\"\n"
              "      }\n"
              "    ]\n"
              "  }\n"
              "]\n");
    EXPECT_EQ(RichTextWriter::toString({}, {true}), "[]\n");
    EXPECT_EQ(compact({}), "[]");
}

TEST_F(RichTextWriterTest, DeepAndLargeDocumentsThroughAStream) {
    // Far deeper than any document: the walk must not use the native stack per level.
    int const depth = 100000;
    dv::Node top = make.cell();
    dv::Node current = top;
    for (int i = 1; i < depth; ++i) {
        dv::Node next = make.cell();
        current->getChildrenMutable().add(next);
        current = next;
    }
    std::string const deep = compact({top});
    std::string const cell = R"({"className":"TableCellNode","children":[)";
    EXPECT_EQ(deep.size(), 2 + depth * (cell.size() + 2));
    EXPECT_EQ(deep.substr(deep.size() - 5), "]}]}]");

    // Wide enough to be handed to the stream in several pieces.
    auto line = make.codeLine();
    for (int i = 0; i < 20000; ++i) {
        line->getChildrenMutable().add(make.code(u"token"));
    }
    for (bool const pretty : {true, false}) {
        std::ostringstream stream;
        RichTextWriter::write(stream, {line, line}, {pretty});
        EXPECT_EQ(stream.str(), RichTextWriter::toString({line, line}, {pretty}));
        EXPECT_GT(stream.str().size(), 2 * 20000 * 40u);
    }
    std::ostringstream stream;
    RichTextWriter::write(stream, {top}, {false});
    EXPECT_EQ(stream.str(), deep);
}

} // namespace
} // namespace richmarkup::formats
