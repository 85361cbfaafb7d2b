#include <richmarkup/formats/PandocReader.hpp>

#include <richmarkup/formats/TextEscape.hpp>

#include <foundation/json/Parser.hpp>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sstream>

namespace richmarkup::formats {
namespace {

using foundation::json::Kind;
using foundation::json::Value;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

// Compact JSON with the keys in order, so that a mismatch shows as text.
void show(Value const& value, std::string& out) {
    switch (value.kind()) {
    case Kind::String: out += text::jsonQuoted(value.asString()); break;
    case Kind::Double: {
        std::ostringstream number;
        number << value.asDouble();
        out += number.str();
        break;
    }
    case Kind::Bool: out += value.asBool() ? "true" : "false"; break;
    case Kind::Array: {
        out += '[';
        for (std::size_t i = 0; i < value.size(); ++i) {
            out += i == 0 ? "" : ",";
            show(value.asArray()[i], out);
        }
        out += ']';
        break;
    }
    case Kind::Object: {
        out += '{';
        bool first = true;
        for (auto const& [key, member] : value.asObject()) {
            out += (first ? "" : ",") + text::jsonQuoted(key) + ":";
            first = false;
            show(member, out);
        }
        out += '}';
        break;
    }
    default: out += value.kindName();
    }
}

std::string shown(foundation::json::Array const& elements) {
    std::string out;
    show(Value(elements), out);
    return out;
}

// The same elements as written in `json`, shown alike.
std::string expected(std::string const& json) {
    std::string out;
    show(foundation::json::parse(json), out);
    return out;
}

std::string ast(std::string const& blocks, std::string const& version = "1,23") {
    return R"({"pandoc-api-version":[)" + version + R"(],"meta":{},"blocks":[)" + blocks + "]}";
}

std::string str(std::string const& text) { return R"({"t":"Str","c":")" + text + "\"}"; }
std::string para(std::string const& inlines) { return R"({"t":"Para","c":[)" + inlines + "]}"; }
std::string plain(std::string const& inlines) { return R"({"t":"Plain","c":[)" + inlines + "]}"; }
std::string const space = R"({"t":"Space"})";
std::string const noAttr = R"(["",[],[]])";

// A paragraph of one plain run, as the reader makes it.
std::string paragraphOf(std::string const& text) {
    return R"({"className":"RichTextParagraphNode","children":[{"className":"RichTextNode","text":")" + text + "\"}]}";
}

std::vector<std::string> warnings(ReadDocument const& read) {
    std::vector<std::string> out;
    for (ReaderWarning const& warning : read.warnings) {
        out.push_back(warning.place.pointer + ": " + warning.message);
    }
    return out;
}

ReadError readError(std::string const& json) {
    try {
        PandocReader::read(json);
    } catch (ReadError const& error) {
        return error;
    }
    ADD_FAILURE() << "no ReadError for " << json.substr(0, 200);
    return ReadError(SourcePlace{}, "");
}

// Both versions of the AST that the reader reads hold every construct below alike.
class PandocReaderTest : public ::testing::TestWithParam<char const*> {
protected:
    ReadDocument read(std::string const& blocks) { return PandocReader::read(ast(blocks, GetParam())); }
    std::string elements(std::string const& blocks) { return shown(read(blocks).elements); }
};

INSTANTIATE_TEST_SUITE_P(Versions, PandocReaderTest, ::testing::Values("1,22,2,1", "1,23"));

TEST_P(PandocReaderTest, ParagraphsAndHeadingsWithTheirIdentifiers) {
    ReadDocument const read = this->read(para(str("One") + "," + space + "," + str("two")) + "," + plain(str("Three")) +
                                         R"(,{"t":"Header","c":[2,["H_intro",[],[]],[)" + str("Intro") + "]]}" +
                                         R"(,{"t":"Header","c":[1,["",[],[]],[]]})");
    EXPECT_EQ(shown(read.elements), expected("[" + paragraphOf("One two") + "," + paragraphOf("Three") +
                                             R"(,{"className":"HeadingNode","level":2,"anchorId":"H_intro",
                           "children":[{"className":"RichTextNode","text":"Intro"}]},
                         {"className":"HeadingNode","level":1,"children":[]}])"));
    EXPECT_THAT(read.warnings, IsEmpty());
    // No warning: no scan of the text for lines, only pointers to where each element came from.
    ASSERT_EQ(read.places.size(), 4u);
    EXPECT_EQ(read.places[3].pointer, "/blocks/3");
    EXPECT_EQ(read.places[3].line, 0u);
}

TEST_P(PandocReaderTest, RunsMergeWhereTheirFormattingIsTheSame) {
    std::string const inlines =
        R"({"t":"Strong","c":[)" + str("bold") + "," + space + R"(,{"t":"Emph","c":[)" + str("both") + "]}]}," +
        R"({"t":"Strong","c":[)" + str("!") + "]}," + R"({"t":"SoftBreak"},{"t":"LineBreak"},)" +
        R"({"t":"Code","c":[["",[],[]],"x = 1"]},{"t":"LineBreak"},{"t":"Code","c":[["",[],[]],"y"]},)" +
        R"({"t":"Underline","c":[)" + str("u") + "]}," + R"({"t":"Quoted","c":[{"t":"DoubleQuote"},[)" + str("q") +
        R"(]]},{"t":"Quoted","c":[{"t":"SingleQuote"},[]]})";
    EXPECT_EQ(elements(para(inlines)), expected(R"([{"className":"RichTextParagraphNode","children":[
        {"className":"RichTextNode","text":"bold ","bold":true},
        {"className":"RichTextNode","text":"both","bold":true,"italic":true},
        {"className":"RichTextNode","text":"!","bold":true},
        {"className":"RichTextNode","text":" \n"},
        {"className":"RichTextNode","text":"x = 1\ny","monospace":true},
        {"className":"RichTextNode","text":"u","underline":true},
        {"className":"RichTextNode","text":"\u201Cq\u201D\u2018\u2019"}]}])"));
}

TEST_P(PandocReaderTest, LinksImagesAndEquations) {
    std::string const inlines =
        R"({"t":"Link","c":[["",[],[]],[)" + str("in") + R"(],["#H_x",""]]},)" +
        R"({"t":"Link","c":[["",[],[]],[{"t":"Emph","c":[)" + str("out") + R"(]}],["https://a.org/p#sec",""]]},)" +
        R"({"t":"Link","c":[["",[],[]],[],["https://a.org/",""]]},)" +
        R"({"t":"Image","c":[["logo",[],[["width","64"],["height","32px"]]],[)" + str("The") + "," + space + "," +
        R"({"t":"Strong","c":[)" + str("logo") + R"(]}],["logo.png","fig:"]]},)" +
        R"({"t":"Math","c":[{"t":"InlineMath"},"a^2"]},{"t":"Math","c":[{"t":"DisplayMath"},"\\int x"]})";
    ReadDocument const read = this->read(para(inlines));
    EXPECT_EQ(shown(read.elements), expected(R"([{"className":"RichTextParagraphNode","children":[
        {"className":"HyperlinkNode","hyperlink":{"anchor":"H_x","targetType":"anchor"},
         "children":[{"className":"RichTextNode","text":"in"}]},
        {"className":"HyperlinkNode","hyperlink":{"target":"https://a.org/p","anchor":"sec","targetType":"url"},
         "children":[{"className":"RichTextNode","text":"out","italic":true}]},
        {"className":"HyperlinkNode","hyperlink":{"target":"https://a.org/","targetType":"url"},"children":[]},
        {"className":"ImageNode","imageId":"logo","width":64,"height":32,"altText":"The logo","imgSrc":"logo.png"},
        {"className":"EquationNode","texString":"a^2","displayStyle":false},
        {"className":"EquationNode","texString":"\\int x","displayStyle":true}]}])"));
    EXPECT_THAT(read.warnings, IsEmpty());
}

TEST_P(PandocReaderTest, CodeBlocksKeepLeadingSpacesAsOneIndent) {
    std::string const code =
        R"({"t":"CodeBlock","c":[["fib",["python","numberLines"],[]],"def f():\n    return 1\n\n  \n"]})";
    ReadDocument const read = this->read(code + R"(,{"t":"CodeBlock","c":[["",[],[]],""]})");
    EXPECT_EQ(shown(read.elements), expected(R"([{"className":"CodeExampleBlockNode","type":"python","anchorId":"fib",
        "children":[
          {"className":"CodeExampleLineNode","children":[{"className":"CodeTextNode","text":"def f():"}]},
          {"className":"CodeExampleLineNode","children":[{"className":"CodeIndentNode","width":4},
                                                         {"className":"CodeTextNode","text":"return 1"}]},
          {"className":"CodeExampleLineNode","children":[]},
          {"className":"CodeExampleLineNode","children":[{"className":"CodeIndentNode","width":2}]},
          {"className":"CodeExampleLineNode","children":[]}]},
        {"className":"CodeExampleBlockNode","type":"","children":[]}])"));
    EXPECT_THAT(warnings(read), ElementsAre("/blocks/0: code block's classes \"numberLines\" left out: a code "
                                            "example keeps its first class as its type"));
    // An indent is at most 256 wide: further spaces stay in the text.
    std::string const wide = std::string(300, ' ') + "x";
    Value const line = this->read(R"({"t":"CodeBlock","c":[["",[],[]],")" + wide + "\"]}").elements[0]["children"];
    EXPECT_EQ(line.asArray()[0]["children"].asArray()[0]["width"].asDouble(), 256);
    EXPECT_EQ(line.asArray()[0]["children"].asArray()[1]["text"].asString(), std::string(44, ' ') + "x");
}

TEST_P(PandocReaderTest, ListItemsHoldTheirFirstParagraphAndTheRestFollows) {
    std::string const nested = R"({"t":"BulletList","c":[[)" + plain(str("inner")) + "]]}";
    std::string const list = R"({"t":"OrderedList","c":[[1,{"t":"Decimal"},{"t":"Period"}],[[)" + plain(str("a")) +
                             "],[" + para(str("b")) + "," + para(str("more")) + "," + nested + "],[" + plain(str("c")) +
                             "],[]]]}";
    ReadDocument const read = this->read(list);
    EXPECT_EQ(shown(read.elements), expected(R"([
        {"className":"ListParagraph","type":"ordered","children":[
          {"className":"ListItem","children":[{"className":"RichTextNode","text":"a"}]},
          {"className":"ListItem","children":[{"className":"RichTextNode","text":"b\nmore"}]}]},
        {"className":"ListParagraph","type":"bulleted","children":[
          {"className":"ListItem","children":[{"className":"RichTextNode","text":"inner"}]}]},
        {"className":"ListParagraph","type":"ordered","children":[
          {"className":"ListItem","children":[{"className":"RichTextNode","text":"c"}]},
          {"className":"ListItem","children":[]}]}])"));
    EXPECT_THAT(warnings(read),
                ElementsAre("/blocks/0/c/1/1/1: list item's further paragraph joined to its first after a line break",
                            "/blocks/0/c/1/1/2: list item's nested list kept after the item, the list going on "
                            "after it"));
    EXPECT_THAT(
        this->read(R"({"t":"OrderedList","c":[[3,{"t":"LowerRoman"},{"t":"OneParen"}],[]]})").warnings.at(0).message,
        "ordered list's start number 3 and numbering style LowerRoman left out: a list counts 1, 2, 3");
}

TEST_P(PandocReaderTest, DivsGiveTheirIdentifierOrTableOfContentsOrTheirBlocks) {
    std::string const toc = R"({"t":"Div","c":[["contents",["toc"],[]],[{"t":"BulletList","c":[[)" +
                            plain(R"({"t":"Link","c":[["",[],[]],[)" + str("One") + R"(],["#one",""]]})") + "," +
                            R"({"t":"BulletList","c":[[)" + plain(str("Two")) + "]]}]]}]]}";
    ReadDocument const read = this->read(R"({"t":"Div","c":[["p1",[],[]],[)" + para(str("x")) + "]]}," + toc +
                                         R"(,{"t":"Div","c":[["",["note"],[]],[)" + para(str("y")) + "]]}" +
                                         R"(,{"t":"Div","c":[["",[],[]],[)" + para(str("z")) + "]]}");
    EXPECT_EQ(shown(read.elements), expected(R"([{"className":"RichTextParagraphNode","anchorId":"p1",
                            "children":[{"className":"RichTextNode","text":"x"}]},
        {"className":"TableOfContentsContainer","anchorId":"contents","children":[
          {"className":"TableOfContentsHeadingNode","children":[
            {"className":"HyperlinkNode","hyperlink":{"anchor":"one","targetType":"anchor"},
             "children":[{"className":"RichTextNode","text":"One"}]}]},
          {"className":"TableOfContentsHeadingNode","children":[{"className":"RichTextNode","text":"Two"}]}]},)" +
                                             paragraphOf("y") + "," + paragraphOf("z") + "]"));
    EXPECT_THAT(warnings(read), ElementsAre("/blocks/1/c/1/0/c/0: table of contents entry's nested entries kept as "
                                            "entries after it, on one level",
                                            "/blocks/2: div (classes \"note\") kept as its blocks"));
}

TEST_P(PandocReaderTest, TablesKeepHeaderWidthsAlignmentAndCellBlocks) {
    auto cell = [](std::string const& align, std::string const& blocks, int rows = 1, int columns = 1) {
        return R"([["",[],[]],{"t":")" + align + "\"}," + std::to_string(rows) + "," + std::to_string(columns) + ",[" +
               blocks + "]]";
    };
    auto row = [](std::string const& cells) { return R"([["",[],[]],[)" + cells + "]]"; };
    std::string const table =
        R"({"t":"Table","c":[["prices",[],[["column-widths","200 -5"]]],[null,[]],)"
        R"([[{"t":"AlignDefault"},{"t":"ColWidth","c":0.25}],[{"t":"AlignRight"},{"t":"ColWidthDefault"}]],)"
        R"([["",[],[]],[)" +
        row(cell("AlignDefault", plain(str("Item"))) + "," + cell("AlignDefault", plain(str("Price")))) +
        R"(]],[[["",[],[]],0,[],[)" +
        row(cell("AlignDefault", para(str("Tea")) + "," + para(str("hot"))) + "," + cell("AlignLeft", "")) +
        R"(]]],[["",[],[]],[]]]})";
    // The writer's exact widths stand for the fractions, which cannot say -5.
    EXPECT_THAT(read(table).warnings, IsEmpty());
    EXPECT_EQ(elements(table), expected(R"([{"className":"TableNode","anchorId":"prices","hasHeader":true,
        "columnWidths":[200,-5],"children":[
        {"className":"TableRowNode","children":[
          {"className":"TableCellNode","children":[)" +
                                        paragraphOf("Item") + R"(]},
          {"className":"TableCellNode","children":[{"className":"RichTextParagraphNode","alignment":"right",
            "children":[{"className":"RichTextNode","text":"Price"}]}]}]},
        {"className":"TableRowNode","children":[
          {"className":"TableCellNode","children":[)" +
                                        paragraphOf("Tea") + "," + paragraphOf("hot") + R"(]},
          {"className":"TableCellNode","children":[]}]}]}])"));

    // Without the writer's exact widths, the fractions in thousandths; a span keeps the columns.
    std::string const spanned =
        R"({"t":"Table","c":[["",[],[]],[null,[)" + plain(str("Cap")) +
        R"(]],[[{"t":"AlignDefault"},{"t":"ColWidth","c":0.3333}],[{"t":"AlignDefault"},{"t":"ColWidth","c":0.6667}]],)"
        R"([["",[],[]],[]],[[["",[],[]],0,[],[)" +
        row(cell("AlignDefault", plain(str("a")), 2, 2)) + "," + row("") + R"(]]],[["",[],[]],[)" +
        row(cell("AlignDefault", plain(str("f"))) + "," + cell("AlignDefault", "")) + "]]]}";
    ReadDocument const read = this->read(spanned);
    std::string const empty = R"({"className":"TableCellNode","children":[]})";
    EXPECT_EQ(shown(read.elements), expected("[" + paragraphOf("Cap") +
                                             R"(,{"className":"TableNode","hasHeader":false,"columnWidths":[333,667],
        "children":[{"className":"TableRowNode","children":[{"className":"TableCellNode","children":[)" +
                                             paragraphOf("a") + "]}," + empty + R"(]},
                    {"className":"TableRowNode","children":[)" +
                                             empty + "," + empty + R"(]},
                    {"className":"TableRowNode","children":[{"className":"TableCellNode","children":[)" +
                                             paragraphOf("f") + "]}," + empty + "]}]}]"));
    EXPECT_THAT(warnings(read), ElementsAre("/blocks/0/c/1: table caption kept as paragraphs before the table",
                                            "/blocks/0/c/4/0/3/0/1/0: cell spanning 2 rows and 2 columns kept as one "
                                            "cell, with empty cells where it reaches",
                                            "/blocks/0/c/5/1: table foot kept as ordinary rows at the end"));
    // Widths that do not fit the columns are reported, and fractions of only some columns too.
    std::string badWidths = table;
    badWidths.replace(badWidths.find("200 -5"), 6, "200");
    EXPECT_THAT(warnings(this->read(badWidths)),
                ElementsAre("/blocks/0: column widths \"200\" left out: not one whole number for each of the 2 "
                            "columns",
                            "/blocks/0/c/2: column widths left out: some columns have none"));
    EXPECT_TRUE(this->read(badWidths).elements[0]["columnWidths"].isUndefined());
}

TEST_P(PandocReaderTest, ConstructsWithoutRichTextFormKeepTheirText) {
    std::string const blocks =
        R"({"t":"BlockQuote","c":[)" + para(str("quoted")) + R"(]},{"t":"HorizontalRule"},{"t":"Null"},)" +
        R"({"t":"RawBlock","c":["html","<hr/>"]},{"t":"LineBlock","c":[[)" + str("one") + "],[" + str("two") +
        R"(]]},{"t":"DefinitionList","c":[[[)" + str("Term") + "],[[" + plain(str("Def")) + "]]]]}," +
        para(R"({"t":"Strikeout","c":[)" + str("s") + R"(]},{"t":"Superscript","c":[)" + str("2") +
             R"(]},{"t":"Cite","c":[[],[)" + str("[@k]") + R"(]]},)" + str("note") + R"(,{"t":"Note","c":[)" +
             para(str("The") + "," + space + "," + str("note.")) + R"(]},)" +
             R"({"t":"RawInline","c":["tex","\\x"]},{"t":"Span","c":[["",[],[]],[)" + str("!") + "]]}," +
             R"({"t":"Span","c":[["s",["c"],[["k","v"]]],[)" + str("?") + "]]}," + R"({"t":"Link","c":[["",[],[]],[)" +
             str("l") + R"(],["u","title"]]})");
    ReadDocument const read = this->read(blocks);
    EXPECT_EQ(shown(read.elements),
              expected("[" + paragraphOf("quoted") + "," + paragraphOf("<hr/>") + "," + paragraphOf("one\\ntwo") +
                       R"(,{"className":"RichTextParagraphNode","children":[
                            {"className":"RichTextNode","text":"Term","bold":true}]},)" +
                       paragraphOf("Def") + R"(,{"className":"RichTextParagraphNode","children":[
                            {"className":"RichTextNode","text":"s2[@k]note [The note.]\\x!?"},
                            {"className":"HyperlinkNode","hyperlink":{"target":"u","targetType":"url"},
                             "children":[{"className":"RichTextNode","text":"l"}]}]}])"));
    EXPECT_THAT(warnings(read),
                ElementsAre("/blocks/0: block quote kept as its blocks", "/blocks/1: horizontal rule left out",
                            "/blocks/3: raw html block kept as text",
                            "/blocks/4: line block kept as a paragraph with line breaks",
                            "/blocks/5: definition list kept as paragraphs: each term in bold, then its definitions",
                            "/blocks/6/c/0: strikeout kept as plain text",
                            "/blocks/6/c/1: superscript kept as plain text", "/blocks/6/c/2: citation kept as its text",
                            "/blocks/6/c/4: footnote kept as text after its anchor, in brackets",
                            "/blocks/6/c/5: raw tex inline kept as text",
                            "/blocks/6/c/7: span (id \"s\", classes \"c\", attributes k=\"v\") kept as its content",
                            "/blocks/6/c/8: link's title \"title\" left out"));
    // Image sizes other than whole pixels are reported.
    EXPECT_THAT(warnings(this->read(para(R"({"t":"Image","c":[["",["x"],[["width","50%"]]],[],["a.png","t"]]})"))),
                ElementsAre("/blocks/0/c/0: image's width \"50%\" (not a whole number of pixels), classes \"x\", "
                            "title \"t\" left out"));
}

TEST(PandocReader, FiguresOfTheNewerVersionKeepContentAndCaption) {
    std::string const figure = R"({"t":"Figure","c":[["fig1",[],[]],[null,[)" + plain(str("Caption")) + "]],[" +
                               plain(R"({"t":"Image","c":[["",[],[]],[],["a.png",""]]})") + "]]}";
    ReadDocument const read = PandocReader::read(ast(figure));
    EXPECT_EQ(
        shown(read.elements),
        expected(R"([{"className":"RichTextParagraphNode","children":[{"className":"ImageNode","imgSrc":"a.png"}]},)" +
                 paragraphOf("Caption") + "]"));
    EXPECT_THAT(warnings(read),
                ElementsAre("/blocks/0: figure (id \"fig1\") kept as its content, then its caption as paragraphs"));
}

TEST(PandocReader, WarningsAndElementsAreLocatedInTheText) {
    std::string const json = "{\"pandoc-api-version\": [1, 22],\n \"meta\": {\"title\": {\"t\": \"MetaString\", "
                             "\"c\": \"T\"}},\n \"blocks\": [\n  " +
                             para(str("a")) + ",\n  " + para(str("b") + ",\n   " + R"({"t":"Strikeout","c":[]})") +
                             "\n]}";
    ReadDocument const read = PandocReader::read(json);
    ASSERT_EQ(read.warnings.size(), 2u);
    EXPECT_EQ(read.warnings[0].message, "document metadata left out: title");
    EXPECT_EQ(read.warnings[0].place.pointer, "/meta");
    EXPECT_EQ(read.warnings[0].place.line, 2u);
    EXPECT_EQ(read.warnings[0].place.column, 10u);
    EXPECT_EQ(read.warnings[1].place.pointer, "/blocks/1/c/1");
    EXPECT_EQ(read.warnings[1].place.line, 6u);
    EXPECT_EQ(read.warnings[1].place.column, 4u);
    // With warnings, every element has its line too.
    ASSERT_EQ(read.places.size(), 2u);
    EXPECT_EQ(read.places[1].line, 5u);
    EXPECT_EQ(read.places[1].column, 3u);

    // Without, lines are found only when asked for, here for a key given twice (the last is read)
    // and a key spelt with escapes.
    std::string const twice = "{\"pandoc-api-version\":[1,23],\"blocks\":[],\n\"bl\\u006fcks\":[\n" + para("") + "]}";
    ReadDocument again = PandocReader::read(twice);
    ASSERT_EQ(again.places.size(), 1u);
    EXPECT_EQ(again.places[0].line, 0u);
    PandocReader::placeLines(twice, again.places);
    EXPECT_EQ(again.places[0].line, 3u);
    EXPECT_EQ(again.places[0].column, 1u);
}

TEST(PandocReader, InputThatIsNoAstIsAnErrorAtItsPlace) {
    ReadError const malformed = readError("{\"pandoc-api-version\":[1,23],\n \"blocks\": [}");
    EXPECT_EQ(malformed.place().line, 2u);
    EXPECT_THAT(malformed.what(), HasSubstr("malformed JSON"));

    EXPECT_THAT(readError("[]").what(), HasSubstr("not a pandoc AST: the document is an array"));
    EXPECT_THAT(readError(R"({"blocks":[]})").what(), HasSubstr("no \"pandoc-api-version\""));
    // What is missing is an error at the object that lacks it.
    ReadError const noBlocks = readError(R"( {"pandoc-api-version":[1,23]})");
    EXPECT_THAT(noBlocks.what(), HasSubstr("no \"blocks\""));
    EXPECT_EQ(noBlocks.place().pointer, "");
    EXPECT_EQ(noBlocks.place().column, 2u);
    ReadError const noContent = readError(ast(R"({"t":"Para"})"));
    EXPECT_STREQ(noContent.what(), "a paragraph's inlines: expected an array, found nothing");
    EXPECT_EQ(noContent.place().pointer, "/blocks/0");
    ReadError const version = readError(R"({"pandoc-api-version":[1,21,1],"meta":{},"blocks":[]})");
    EXPECT_STREQ(version.what(), "pandoc-api-version 1.21.1 is not read: only pandoc-types 1.22 and 1.23 are");
    EXPECT_EQ(version.place().pointer, "/pandoc-api-version");
    EXPECT_EQ(version.place().column, 23u);

    ReadError const shape = readError(ast(R"({"t":"Para","c":[{"t":"Str","c":1}]})"));
    EXPECT_STREQ(shape.what(), "a Str's text: expected a string, found a number");
    EXPECT_EQ(shape.place().pointer, "/blocks/0/c/0/c");
    EXPECT_EQ(shape.place().column, 82u);
    EXPECT_EQ(readError(ast(R"({"t":"Marquee","c":[]})")).place().pointer, "/blocks/0");
    EXPECT_STREQ(readError(ast(R"({"t":"Header","c":[1.5,["",[],[]],[]]})")).what(),
                 "a heading's level: expected a whole number, found 1.5");
    EXPECT_STREQ(readError(ast(R"({"t":"Div","c":[["",[],[["k"]]],[]]})")).what(),
                 "a key-value pair: expected 2 entries, found 1");
}

TEST(PandocReader, DeepNestingIsReadOrRefusedWithoutCrashing) {
    // As deep as the JSON parser goes (512 arrays and objects): about 250 levels of the AST.
    std::string emph = str("deep");
    for (int i = 0; i < 250; ++i) {
        emph = R"({"t":"Emph","c":[)" + emph + "]}";
    }
    Value const run = PandocReader::read(ast(para(emph))).elements.at(0)["children"].asArray().at(0);
    EXPECT_TRUE(run["italic"].asBool());

    std::string divs;
    for (int i = 0; i < 10000; ++i) {
        divs += R"({"t":"Div","c":[["",[],[]],[)";
    }
    divs += para("");
    for (int i = 0; i < 10000; ++i) {
        divs += "]]}";
    }
    ReadError const deep = readError(ast(divs));
    EXPECT_THAT(deep.what(), HasSubstr("nesting deeper than 512"));
    EXPECT_EQ(deep.place().line, 1u);
    EXPECT_GT(deep.place().column, 1000u);
    std::string nested;
    for (int i = 0; i < 10000; ++i) {
        nested += R"({"t":"Emph","c":[)";
    }
    nested += str("x");
    for (int i = 0; i < 10000; ++i) {
        nested += "]}";
    }
    EXPECT_THAT(readError(ast(para(nested))).what(), HasSubstr("nesting deeper than 512"));
}

} // namespace
} // namespace richmarkup::formats
