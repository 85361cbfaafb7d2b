#include <document/vxzero/Document.hpp>
#include <document/vxzero/ModelJsonWriter.hpp>

#include <boost/uuid/nil_generator.hpp>

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <sstream>

namespace {

using namespace document::vxzero;
using namespace quillix::contentmodel::vxzero;
using vx::zero::Model;

boost::uuids::uuid const nil = boost::uuids::nil_uuid();
ModelJsonWriter::Options const compact{false, 2};

std::string compactJson(std::vector<Node> const& nodes) { return ModelJsonWriter::toString(nodes, compact); }

void add(Node const& parent, Node const& child) { parent->getChildrenMutable().add(child); }

TEST(ModelJsonWriter, WritesEveryFieldOfEveryKindInOneKeyOrder) {
    Model model;
    // Fields are set in an odd order: the output order must come from the writer alone.
    auto const paragraph = RichTextParagraphNode::Builder(model).createRichTextParagraphNode(nil);
    paragraph->setAlignment(Alignment::Center);
    paragraph->setAnchorId(u"M_1");
    auto const run = RichTextNode::Builder(model).createRichTextNode(nil);
    run->setFormatting(Formatting().setUnderline(true).setItalic(false).setBold(true).setMonospace(false));
    run->setText(u"a");
    auto const link = HyperlinkNode::Builder(model).createHyperlinkNode(nil);
    link->setTargetType(u"url");
    link->setAnchor(u"top");
    link->setTarget(u"http://x");
    auto const image = ImageNode::Builder(model).createImageNode(nil);
    image->setData(ImageData()
                       .setVerticalAlignment(u"middle")
                       .setAltText(u"alt")
                       .setWidth(UINT64_MAX)
                       .setHeight(9007199254740993ull)
                       .setImgSrc(u"i.png"));
    image->setId(u"img1");
    auto const equation = EquationNode::Builder(model).createEquationNode(nil);
    equation->setEquationData(EquationData().setAltText(u"sum").setEncoding(u"tex").setDisplayStyle(true));
    equation->setTexString(u"x^2");
    for (Node const& child : std::vector<Node>{run, link, image, equation}) {
        add(paragraph, child);
    }

    auto const heading = HeadingNode::Builder(model).createHeadingNode(nil);
    heading->setLevel(static_cast<unsigned char>(200));
    heading->setAlignment(Alignment::Right);
    auto const list = ListContainer::Builder(model).createListContainer(nil);
    list->setIsOrdered(true);
    auto const item = ListItem::Builder(model).createListItem(nil);
    item->setAlignment(Alignment::Left);
    add(list, item);
    auto const toc = TableOfContentsContainer::Builder(model).createTableOfContentsContainer(nil);
    auto const tocHeading = TableOfContentsHeadingNode::Builder(model).createTableOfContentsHeadingNode(nil);
    tocHeading->setAlignment(Alignment::Justify);
    add(toc, tocHeading);
    auto const code = CodeExampleBlock::Builder(model).createCodeExampleBlock(nil);
    code->setCodeExampleType(u"cpp");
    auto const line = CodeExampleLine::Builder(model).createCodeExampleLine(nil);
    auto const token = CodeTextNode::Builder(model).createCodeTextNode(nil);
    token->setTokenKind(u"keyword");
    token->setText(u"int");
    add(line, token);
    add(code, line);
    auto const table = TableNode::Builder(model).createTableNode(nil);
    TableNodeMetaData meta;
    meta.getColumnWidthsMutable() = {-1, LLONG_MAX};
    meta.setHasHeader(true);
    table->setTableNodeMetaData(meta);
    auto const row = TableRowNode::Builder(model).createTableRowNode(nil);
    add(row, TableCellNode::Builder(model).createTableCellNode(nil));
    add(table, row);

    EXPECT_EQ(
        compactJson({paragraph, heading, list, toc, code, table}),
        R"([{"kind":"RichTextParagraphNode","anchorId":"M_1","alignment":"center","children":[)"
        R"({"kind":"RichTextNode","text":"a","formatting":{"bold":true,"italic":false,"monospace":false,"underline":true}},)"
        R"({"kind":"HyperlinkNode","target":"http://x","anchor":"top","targetType":"url","children":[]},)"
        R"({"kind":"ImageNode","id":"img1","imageData":{"imgSrc":"i.png","height":9007199254740993,)"
        R"("width":18446744073709551615,"altText":"alt","verticalAlignment":"middle"}},)"
        R"({"kind":"EquationNode","texString":"x^2","equationData":{"displayStyle":true,"encoding":"tex","altText":"sum"}}]},)"
        R"({"kind":"HeadingNode","alignment":"right","level":200,"children":[]},)"
        R"({"kind":"ListContainer","isOrdered":true,"children":[{"kind":"ListItem","alignment":"left","children":[]}]},)"
        R"({"kind":"TableOfContentsContainer","children":[{"kind":"TableOfContentsHeadingNode","alignment":"justify","children":[]}]},)"
        R"({"kind":"CodeExampleBlock","codeExampleType":"cpp","children":[{"kind":"CodeExampleLine","children":[)"
        R"({"kind":"CodeTextNode","text":"int","tokenKind":"keyword"}]}]},)"
        R"({"kind":"TableNode","tableNodeMetaData":{"hasHeader":true,"columnWidths":[-1,9223372036854775807]},)"
        R"("children":[{"kind":"TableRowNode","children":[{"kind":"TableCellNode","children":[]}]}]}])");
}

TEST(ModelJsonWriter, WritesOnlyWhatWasSetAndStoredRecordsEvenEmpty) {
    Model model;
    auto const bare = RichTextNode::Builder(model).createRichTextNode(nil);
    auto const emptyFormatting = RichTextNode::Builder(model).createRichTextNode(nil);
    emptyFormatting->setFormatting(Formatting());
    auto const image = ImageNode::Builder(model).createImageNode(nil);
    image->setData(ImageData());
    auto const equation = EquationNode::Builder(model).createEquationNode(nil);
    equation->setEquationData(EquationData());
    auto const table = TableNode::Builder(model).createTableNode(nil);
    TableNodeMetaData widthsOnly;
    widthsOnly.getColumnWidthsMutable();
    table->setTableNodeMetaData(widthsOnly);
    auto const plainTable = TableNode::Builder(model).createTableNode(nil);
    plainTable->setTableNodeMetaData(TableNodeMetaData());

    EXPECT_EQ(compactJson({bare, emptyFormatting, image, equation, table, plainTable, Node()}),
              R"([{"kind":"RichTextNode"},{"kind":"RichTextNode","formatting":{}},)"
              R"({"kind":"ImageNode","imageData":{}},{"kind":"EquationNode","equationData":{}},)"
              R"({"kind":"TableNode","tableNodeMetaData":{"columnWidths":[]},"children":[]},)"
              R"({"kind":"TableNode","tableNodeMetaData":{},"children":[]},null])");
    EXPECT_EQ(compactJson({}), "[]");
}

TEST(ModelJsonWriter, EscapesStringsAndWritesUtf8) {
    Model model;
    auto const run = RichTextNode::Builder(model).createRichTextNode(nil);
    run->setText(u"q\"b\\c/\n\t\x01\x1f\x7f \u00e9\u20ac\U0001F600");
    auto const broken = CodeTextNode::Builder(model).createCodeTextNode(nil);
    std::u16string lone = u"a";
    lone += char16_t(0xD83D); // a high surrogate without its low half
    lone += u"b";
    lone += char16_t(0xDE00); // and a low half alone
    broken->setText(lone);

    EXPECT_EQ(compactJson({run, broken}),
              "[{\"kind\":\"RichTextNode\",\"text\":\"q\\\"b\\\\c/\\u000a\\u0009\\u0001\\u001f\x7f "
              "\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80\"},"
              "{\"kind\":\"CodeTextNode\",\"text\":\"a\\ud83db\\ude00\"}]");
}

TEST(ModelJsonWriter, PrettyLayout) {
    Model model;
    auto const paragraph = RichTextParagraphNode::Builder(model).createRichTextParagraphNode(nil);
    auto const run = RichTextNode::Builder(model).createRichTextNode(nil);
    run->setFormatting(Formatting().setBold(true));
    run->setText(u"hi");
    add(paragraph, run);
    auto const empty = TableCellNode::Builder(model).createTableCellNode(nil);
    auto const bare = RichTextNode::Builder(model).createRichTextNode(nil);
    bare->setFormatting(Formatting());

    EXPECT_EQ(ModelJsonWriter::toString({paragraph, empty, bare}), "[\n"
                                                                   "  {\n"
                                                                   "    \"kind\": \"RichTextParagraphNode\",\n"
                                                                   "    \"children\": [\n"
                                                                   "      {\n"
                                                                   "        \"kind\": \"RichTextNode\",\n"
                                                                   "        \"text\": \"hi\",\n"
                                                                   "        \"formatting\": {\n"
                                                                   "          \"bold\": true\n"
                                                                   "        }\n"
                                                                   "      }\n"
                                                                   "    ]\n"
                                                                   "  },\n"
                                                                   "  {\n"
                                                                   "    \"kind\": \"TableCellNode\",\n"
                                                                   "    \"children\": []\n"
                                                                   "  },\n"
                                                                   "  {\n"
                                                                   "    \"kind\": \"RichTextNode\",\n"
                                                                   "    \"formatting\": {}\n"
                                                                   "  }\n"
                                                                   "]\n");
    EXPECT_EQ(ModelJsonWriter::toString({empty}, {true, 4}),
              "[\n    {\n        \"kind\": \"TableCellNode\",\n        \"children\": []\n    }\n]\n");
    EXPECT_EQ(ModelJsonWriter::toString({empty}, {true, -3}),
              "[\n{\n\"kind\": \"TableCellNode\",\n\"children\": []\n}\n]\n");
    EXPECT_EQ(ModelJsonWriter::toString({}), "[]\n");
}

TEST(ModelJsonWriter, DeepAndLargeDocumentsThroughAStream) {
    Model model;
    // Far deeper than any document: the walk must not use the native stack per level.
    int const depth = 100000;
    Node top = TableCellNode::Builder(model).createTableCellNode(nil);
    Node current = top;
    for (int i = 1; i < depth; ++i) {
        Node next = TableCellNode::Builder(model).createTableCellNode(nil);
        add(current, next);
        current = next;
    }
    std::string const deep = compactJson({top});
    std::string const cell = R"({"kind":"TableCellNode","children":[)";
    EXPECT_EQ(deep.size(), 2 + depth * (cell.size() + 2));
    EXPECT_EQ(deep.compare(0, 1 + cell.size(), "[" + cell), 0);
    EXPECT_EQ(deep.substr(deep.size() - 5), "]}]}]");

    // Wide enough to be handed to the stream in several pieces.
    auto const line = CodeExampleLine::Builder(model).createCodeExampleLine(nil);
    for (int i = 0; i < 20000; ++i) {
        auto const token = CodeTextNode::Builder(model).createCodeTextNode(nil);
        token->setText(u"token");
        add(line, token);
    }
    for (auto const& options : {ModelJsonWriter::Options(), compact}) {
        std::ostringstream stream;
        ModelJsonWriter::write(stream, {line, line}, options);
        EXPECT_EQ(stream.str(), ModelJsonWriter::toString({line, line}, options));
        EXPECT_GT(stream.str().size(), 2 * 20000 * 30u);
    }
    std::ostringstream stream;
    ModelJsonWriter::write(stream, {top}, compact);
    EXPECT_EQ(stream.str(), deep);
}

} // namespace
