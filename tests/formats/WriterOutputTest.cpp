#include "NodeMaker.hpp"
#include "TextTable.hpp"

#include <richmarkup/formats/HtmlWriter.hpp>
#include <richmarkup/formats/MarkdownWriter.hpp>
#include <richmarkup/formats/PandocWriter.hpp>
#include <richmarkup/formats/RichTextWriter.hpp>
#include <richmarkup/formats/TextEscape.hpp>
#include <richmarkup/formats/TreeWriter.hpp>

#include <document/vxzero/ModelJsonWriter.hpp>
#include <fl/i18n/Utf8Encoder.hpp>

#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <sstream>
#include <streambuf>
#include <string>
#include <vector>

namespace richmarkup::formats {
namespace {

using test::NodeMaker;
namespace dv = document::vxzero;
namespace cm = quillix::contentmodel::vxzero;

// UTF-16 texts of every sort the escaping handles apart: long plain runs (which are copied
// eight units at a time), each special character, controls, text beyond ASCII, surrogate pairs
// and lone halves, at every offset and across the pieces the text is written in.
std::vector<std::u16string> awkwardTexts() {
    std::u16string const alphabet = u"abcXYZ 09\"\\&<>'\t\n\r\x01\x1f\x7f\u00e9\u4e2d\ufffd";
    std::vector<std::u16string> texts = {u"", u"plain text long enough for a few blocks of eight"};
    std::mt19937 random(7);
    for (int i = 0; i < 400; ++i) {
        std::u16string text;
        std::size_t const length = random() % (i < 300 ? 40 : 700);
        while (text.size() < length) {
            switch (random() % 12) {
            case 0: text += u"\U0001F600"; break;
            case 1: text += static_cast<char16_t>(0xD800 + random() % 0x800); break; // a lone half, or a pair by chance
            case 2:
            case 3: text += alphabet[random() % alphabet.size()]; break;
            default: text += static_cast<char16_t>(u'a' + random() % 26);
            }
        }
        texts.push_back(text);
    }
    return texts;
}

// The UTF-8 of a text as the writers have always made it: the one encoder loop, a lone half as
// U+FFFD.
std::string referenceUtf8(std::u16string_view text) {
    std::string out;
    fl::i18n::encodeUtf8(
        out, text, [](std::string& o, char c) { o.push_back(c); },
        [](std::string& o, char16_t, std::size_t) { o += "\xEF\xBF\xBD"; });
    return out;
}

TEST(Utf16Escaping, MatchesEscapingTheUtf8) {
    for (std::u16string const& text : awkwardTexts()) {
        std::string const utf8 = referenceUtf8(text);
        EXPECT_EQ(text::toUtf8(text), utf8);
        std::string appended = "x";
        text::appendUtf8(appended, text);
        EXPECT_EQ(appended, "x" + utf8);

        std::string quoted = "x";
        text::appendQuoted(quoted, std::u16string_view(text));
        std::string expected = "x";
        text::appendQuoted(expected, std::string_view(utf8));
        EXPECT_EQ(quoted, expected);

        std::string html = "x";
        std::string expectedHtml = "x";
        EXPECT_EQ(text::appendHtmlEscaped(html, std::u16string_view(text)),
                  text::appendHtmlEscaped(expectedHtml, std::string_view(utf8)));
        EXPECT_EQ(html, expectedHtml);
    }
}

TEST(Utf16Escaping, ModelJsonKeepsLoneHalvesAndEscapesControls) {
    vx::zero::Model model;
    NodeMaker make(model);
    for (std::u16string const& text : awkwardTexts()) {
        // The model's JSON writes what it holds: a lone half as its \u escape, every control
        // character below U+0020 as \u00XX, quote and backslash after a backslash.
        std::string expected = "[{\"kind\":\"RichTextNode\",\"text\":\"";
        fl::i18n::encodeUtf8(
            expected, text,
            [](std::string& o, char c) {
                char escape[8];
                if (c == '"' || c == '\\') {
                    o.push_back('\\');
                    o.push_back(c);
                } else if (static_cast<unsigned char>(c) < 0x20) {
                    std::snprintf(escape, sizeof escape, "\\u%04x", static_cast<unsigned>(c));
                    o += escape;
                } else {
                    o.push_back(c);
                }
            },
            [](std::string& o, char16_t unit, std::size_t) {
                char escape[8];
                std::snprintf(escape, sizeof escape, "\\u%04x", static_cast<unsigned>(unit));
                o += escape;
            });
        expected += "\"}]";
        dv::ModelJsonWriter::Options compact;
        compact.pretty = false;
        EXPECT_EQ(dv::ModelJsonWriter::toString({make.run(text)}, compact), expected);
    }
}

// Records what a writer hands its stream, piece by piece.
class PieceRecorder : public std::streambuf {
public:
    std::string text;
    std::vector<std::size_t> pieces;

protected:
    int_type overflow(int_type c) override {
        if (!traits_type::eq_int_type(c, traits_type::eof())) {
            text.push_back(traits_type::to_char_type(c));
            pieces.push_back(1);
        }
        return traits_type::not_eof(c);
    }
    std::streamsize xsputn(char const* data, std::streamsize count) override {
        text.append(data, static_cast<std::size_t>(count));
        pieces.push_back(static_cast<std::size_t>(count));
        return count;
    }
};

TEST(Writers, HandTheirStreamLargePiecesOfTheSamePage) {
    vx::zero::Model model;
    NodeMaker make(model);
    std::vector<dv::Node> nodes;
    for (int i = 0; i < 8000; ++i) {
        auto heading = make.heading(2, {make.run(u"Part " + std::u16string(1, u'a' + i % 26))});
        heading->setAnchorId(u"H_part" + std::u16string(1, u'a' + i % 26));
        nodes.push_back(heading);
        nodes.push_back(make.paragraph(
            {make.run(u"some text with * and < to escape "), make.run(u"bold \u00e9", cm::Formatting().setBold(true)),
             make.link(u"#part" + std::u16string(1, u'a' + (i + 3) % 26), {make.run(u"a link")})}));
    }
    // The page in one string against the same page through a stream: equal, and handed over in
    // pieces of a quarter megabyte or more, not a node at a time.
    std::vector<std::pair<std::string, std::function<void(std::ostream&)>>> const writers = {
        {TreeWriter::toString(nodes), [&](std::ostream& out) { TreeWriter::write(out, nodes); }},
        {HtmlWriter::toString(nodes), [&](std::ostream& out) { HtmlWriter::write(out, nodes); }},
        {MarkdownWriter::toString(nodes), [&](std::ostream& out) { MarkdownWriter::write(out, nodes); }},
        {dv::ModelJsonWriter::toString(nodes), [&](std::ostream& out) { dv::ModelJsonWriter::write(out, nodes); }},
        {RichTextWriter::toString(nodes, {}), [&](std::ostream& out) { RichTextWriter::write(out, nodes, {}); }},
        {PandocWriter::toString(nodes, {}), [&](std::ostream& out) { PandocWriter::write(out, nodes, {}); }},
    };
    for (auto const& [whole, write] : writers) {
        PieceRecorder recorder;
        std::ostream out(&recorder);
        write(out);
        EXPECT_EQ(recorder.text, whole);
        ASSERT_GT(whole.size(), 512u * 1024u);
        ASSERT_FALSE(recorder.pieces.empty());
        for (std::size_t i = 0; i + 1 < recorder.pieces.size(); ++i) {
            EXPECT_GE(recorder.pieces[i], 256u * 1024u) << "piece " << i << " of " << recorder.pieces.size();
        }
    }
    // A link to a heading written later still reaches it, past the first piece.
    std::string const markdown = MarkdownWriter::toString(nodes);
    EXPECT_NE(markdown.find("[a link](#part-d)"), std::string::npos);
    EXPECT_EQ(markdown.find('\x01'), std::string::npos);
}

TEST(TextTable, FindsWhatWasInsertedFirstAndGrows) {
    TextTable<int> table;
    for (int i = 0; i < 5000; ++i) {
        auto const [value, added] = table.insert("id" + std::to_string(i), i);
        EXPECT_TRUE(added);
        EXPECT_EQ(*value, i);
    }
    EXPECT_FALSE(table.insert("id7", -1).second); // the first value stays
    EXPECT_EQ(*table.find("id7"), 7);
    EXPECT_EQ(*table.find("id4999"), 4999);
    EXPECT_EQ(table.find("id5000"), nullptr);
    EXPECT_FALSE(table.contains(""));
    EXPECT_TRUE(table.insert("", 0).second);
    EXPECT_TRUE(table.contains(""));
    EXPECT_EQ(table.size(), 5001u);

    // Keys beyond the few bytes an entry holds itself, over many blocks of them.
    TextTable<std::size_t> slugs;
    std::string const tail(40, 'x');
    for (std::size_t i = 0; i < 2000; ++i) {
        EXPECT_TRUE(slugs.insert(std::to_string(i) + tail, i).second);
    }
    for (std::size_t i = 0; i < 2000; ++i) {
        ASSERT_NE(slugs.find(std::to_string(i) + tail), nullptr);
        EXPECT_EQ(*slugs.find(std::to_string(i) + tail), i);
    }
    EXPECT_EQ(slugs.find(tail), nullptr);

    int const a = 0;
    int const b = 0;
    TextTable<char> nodes;
    nodes.insert(pointerKey(&a), 'a');
    EXPECT_EQ(*nodes.find(pointerKey(&a)), 'a');
    EXPECT_EQ(nodes.find(pointerKey(&b)), nullptr);
}

} // namespace
} // namespace richmarkup::formats
