#include "NodeMaker.hpp"

#include <richmarkup/formats/HtmlWriter.hpp>
#include <richmarkup/formats/WriterWarning.hpp>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace richmarkup::formats {
namespace {

using test::NodeMaker;
using ::testing::HasSubstr;
using ::testing::Not;
namespace dv = document::vxzero;
namespace cm = quillix::contentmodel::vxzero;

class HtmlWriterTest : public ::testing::Test {
protected:
    // The page's body, without the fixed head; what the writer reports goes to warnings.
    std::string body(std::vector<dv::Node> const& nodes) {
        HtmlWriter::Options options;
        options.onWarning = [this](WriterWarning const& warning) { warnings.push_back(warning); };
        std::string const page = HtmlWriter::toString(nodes, options);
        std::size_t const begin = page.find("<body>\n");
        std::size_t const end = page.rfind("</body>");
        EXPECT_NE(begin, std::string::npos);
        EXPECT_NE(end, std::string::npos);
        return page.substr(begin + 7, end - begin - 7);
    }

    // The warnings' messages, each after the kind of its node, and forgets them.
    std::vector<std::string> takeWarnings() {
        std::vector<std::string> out;
        for (auto const& warning : warnings) {
            out.push_back(std::string(dv::kindName(warning.node->getKind())) + ": " + warning.message);
        }
        warnings.clear();
        return out;
    }

    vx::zero::Model model;
    NodeMaker make{model};
    std::vector<WriterWarning> warnings;
};

TEST_F(HtmlWriterTest, PageIsStandaloneWithEscapedTitle) {
    HtmlWriter::Options options;
    options.title = "a <b> & c";
    std::string const page = HtmlWriter::toString({}, options);
    EXPECT_EQ(page.rfind("<!DOCTYPE html>\n<html lang=\"en\">\n", 0), 0u);
    EXPECT_THAT(page, HasSubstr("<meta charset=\"utf-8\">"));
    EXPECT_THAT(page, HasSubstr("<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">"));
    EXPECT_THAT(page, HasSubstr("<title>a &lt;b&gt; &amp; c</title>"));
    EXPECT_THAT(page, HasSubstr("<style>"));
    EXPECT_THAT(page, HasSubstr("</body>\n</html>\n"));
}

TEST_F(HtmlWriterTest, AStylesheetReplacesTheStyleAndAFragmentIsTheBodyAlone) {
    HtmlWriter::Options options;
    options.stylesheet = "site.css?a=1&b=\"2\"";
    std::string const page = HtmlWriter::toString({}, options);
    EXPECT_THAT(page, HasSubstr("<link rel=\"stylesheet\" href=\"site.css?a=1&amp;b=&quot;2&quot;\">"));
    EXPECT_THAT(page, Not(HasSubstr("<style>")));

    options.fragment = true;
    EXPECT_EQ(HtmlWriter::toString({make.paragraph({make.run(u"p")})}, options), "<p>p</p>\n");
}

TEST_F(HtmlWriterTest, TheFirstHeadingInDocumentOrderGivesItsText) {
    auto first = make.heading(2, {make.run(u"Intro"), make.link(u"x", {make.run(u"duction")})});
    auto table = make.table({make.row({make.cell({first})})});
    EXPECT_EQ(
        HtmlWriter::firstHeadingText({make.paragraph({make.run(u"p")}), table, make.heading(1, {make.run(u"later")})}),
        "Introduction");
    EXPECT_EQ(HtmlWriter::firstHeadingText({make.paragraph()}), std::nullopt);
}

TEST_F(HtmlWriterTest, TextIsEscapedAndFormattingNests) {
    auto paragraph = make.paragraph({
        make.run(u"<script>alert('x')</script> & \"q\""),
        make.run(u"both", cm::Formatting().setBold(true).setItalic(true).setUnderline(false)),
        make.run(u"mono", cm::Formatting().setMonospace(true)),
    });
    paragraph->setAlignment(dv::Alignment::Right);
    paragraph->setAnchorId(u"M_\"x\"");
    EXPECT_EQ(body({paragraph}), "<p id=\"M_&quot;x&quot;\" style=\"text-align:right\">"
                                 "&lt;script&gt;alert(&#39;x&#39;)&lt;/script&gt; &amp; &quot;q&quot;"
                                 "<strong><em>both</em></strong><code>mono</code></p>\n");
}

TEST_F(HtmlWriterTest, LinksKeepSafeAddressesOnly) {
    auto withAnchor = make.link(u"https://example.org/a", {make.run(u"x")});
    withAnchor->setAnchor(u"sec 1");
    withAnchor->setTargetType(u"url");
    EXPECT_EQ(body({withAnchor}), "<a href=\"https://example.org/a#sec 1\" data-target-type=\"url\">x</a>");

    for (std::u16string const& target :
         std::initializer_list<std::u16string>{u"javascript:alert(1)", u"  JavaScript:alert(1)", u"java\tscript:x",
                                               u"vbscript:x", u"data:text/html,<b>"}) {
        std::string const html = body({make.link(target, {make.run(u"t")})});
        EXPECT_THAT(html, Not(HasSubstr("href"))) << html;
        EXPECT_THAT(html, HasSubstr("class=\"unsafe-link\""));
        EXPECT_THAT(takeWarnings(),
                    ::testing::ElementsAre(::testing::MatchesRegex(
                        "HyperlinkNode: link address \".*\" left out: scheme \"(javascript|vbscript|data)\" "
                        "is not allowed; written without an address")));
    }
    EXPECT_EQ(body({make.link(u"j@vascript:x")}), "<a class=\"unsafe-link\"></a>");
    EXPECT_THAT(takeWarnings(), ::testing::ElementsAre(HasSubstr("left out: its scheme is malformed")));
    // A data: URL of any size makes a message of a line.
    body({make.link(u"data:text/html," + std::u16string(100000, u'a'))});
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_LT(warnings[0].message.size(), 200u);
    EXPECT_THAT(warnings[0].message, HasSubstr("aaa...\" left out"));
    takeWarnings();
    EXPECT_TRUE(HtmlWriter::allowedLink("https://cdn.example/site.css"));
    EXPECT_TRUE(HtmlWriter::allowedLink("site.css"));
    EXPECT_FALSE(HtmlWriter::allowedLink(" javascript:alert(1)"));
    EXPECT_FALSE(HtmlWriter::allowedLink("data:text/css,body{}"));
    // Quotes cannot end the attribute early.
    EXPECT_EQ(body({make.link(u"x\" onclick=\"y")}), "<a href=\"x&quot; onclick=&quot;y\"></a>");
}

TEST_F(HtmlWriterTest, ImagesCarrySizesAltTextAndOnlyKnownAlignments) {
    auto image = make.image();
    image->setId(u"i1");
    image->setData(cm::ImageData()
                       .setImgSrc(u"data:image/png;base64,AAAA")
                       .setWidth(64)
                       .setHeight(32)
                       .setAltText(u"A <logo>")
                       .setVerticalAlignment(u"middle"));
    EXPECT_EQ(body({image}), "<img src=\"data:image/png;base64,AAAA\" width=\"64\" height=\"32\" "
                             "style=\"vertical-align:middle\" alt=\"A &lt;logo&gt;\" data-image-id=\"i1\">");

    auto hostile = make.image();
    hostile->setData(cm::ImageData().setImgSrc(u"javascript:x").setVerticalAlignment(u"top;background:url(x)"));
    EXPECT_EQ(body({hostile}), "<span class=\"unsafe-image\"></span>");
}

TEST_F(HtmlWriterTest, AnImageWithoutASourceToLoadIsItsAlternativeText) {
    auto refused = make.image();
    refused->setId(u"i2");
    refused->setData(cm::ImageData().setImgSrc(u" JavaScript:alert(1)").setAltText(u"the <logo>").setWidth(5));
    EXPECT_EQ(body({refused}), "<span class=\"unsafe-image\" data-image-id=\"i2\">the &lt;logo&gt;</span>");
    EXPECT_THAT(takeWarnings(),
                ::testing::ElementsAre("ImageNode: image source \" JavaScript:alert(1)\" left out: scheme "
                                       "\"javascript\" is not allowed; written as its alternative text"));

    auto page = make.image();
    page->setData(cm::ImageData().setImgSrc(u"data:text/html,<b>").setAltText(u"p"));
    EXPECT_EQ(body({page}), "<span class=\"unsafe-image\">p</span>");
    EXPECT_THAT(takeWarnings(), ::testing::ElementsAre(HasSubstr("a data: address must hold an image")));

    // Nothing was refused: the text stands in for the image without a word.
    auto sourceless = make.image();
    sourceless->setData(cm::ImageData().setImgSrc(u"").setAltText(u"none"));
    EXPECT_EQ(body({sourceless, make.image()}),
              "<span class=\"image-text\">none</span><span class=\"image-text\"></span>");
    EXPECT_THAT(takeWarnings(), ::testing::IsEmpty());
}

TEST_F(HtmlWriterTest, HeadingLevelsAreClampedToHtmlRange) {
    EXPECT_EQ(body({make.heading(1, {make.run(u"a")})}), "<h1>a</h1>\n");
    EXPECT_EQ(body({make.heading(6)}), "<h6></h6>\n");
    EXPECT_EQ(body({make.heading(44)}), "<h6></h6>\n");
    EXPECT_EQ(body({make.heading(0)}), "<h1></h1>\n");
}

TEST_F(HtmlWriterTest, ListsAreOrderedOnlyWhenSaidSo) {
    auto ordered = make.list({make.item({make.run(u"a")})});
    ordered->setIsOrdered(true);
    auto unordered = make.list({make.item()});
    unordered->setIsOrdered(false);
    EXPECT_EQ(body({ordered}), "<ol>\n<li>a</li>\n</ol>\n");
    EXPECT_EQ(body({unordered}), "<ul>\n<li></li>\n</ul>\n");
    EXPECT_EQ(body({make.list()}), "<ul>\n</ul>\n");
    EXPECT_EQ(body({make.toc({make.tocEntry({make.run(u"e")})})}),
              "<nav class=\"toc\"><ul>\n<li class=\"toc-entry\">e</li>\n</ul></nav>\n");
}

TEST_F(HtmlWriterTest, OnlyTheFirstRowOfAHeaderTableIsHeaderCells) {
    auto inner = make.table({make.row({make.cell()})});
    auto outer = make.table({
        make.row({make.cell({inner})}),
        make.row({make.cell()}),
    });
    cm::TableNodeMetaData meta;
    meta.setHasHeader(true);
    meta.getColumnWidthsMutable() = {120, 0};
    outer->setTableNodeMetaData(meta);
    EXPECT_EQ(body({outer}),
              "<table>\n<colgroup><col style=\"width:120px\"><col></colgroup>\n"
              "<tr>\n<th style=\"text-align:left\"><table>\n<tr>\n<td></td>\n</tr>\n</table>\n</th>\n</tr>\n"
              "<tr>\n<td></td>\n</tr>\n"
              "</table>\n");
}

TEST_F(HtmlWriterTest, HeaderCellsAlignLikeTheirColumn) {
    auto aligned = [&](dv::Alignment alignment) {
        auto paragraph = make.paragraph({make.run(u"v")});
        paragraph->setAlignment(alignment);
        return make.cell({paragraph});
    };
    auto table = make.table({
        make.row({make.cell(), make.cell(), make.cell()}),
        make.row({aligned(dv::Alignment::Center), aligned(dv::Alignment::Right), aligned(dv::Alignment::Center)}),
        make.row({aligned(dv::Alignment::Center), make.cell(), aligned(dv::Alignment::Left)}),
    });
    cm::TableNodeMetaData meta;
    meta.setHasHeader(true);
    table->setTableNodeMetaData(meta);
    std::string const html = body({table});
    EXPECT_THAT(html, HasSubstr("<th style=\"text-align:center\"></th>\n"
                                "<th style=\"text-align:right\"></th>\n"
                                "<th style=\"text-align:left\"></th>\n"))
        << "a column whose cells disagree is left aligned";
}

TEST_F(HtmlWriterTest, ALinkInsideALinkBecomesASpan) {
    auto inner = make.link(u"https://b.example/", {make.run(u"b")});
    auto outer = make.link(u"https://a.example/", {make.run(u"a"), inner, make.run(u"c")});
    EXPECT_EQ(body({make.paragraph({outer, make.link(u"https://d.example/")})}),
              "<p><a href=\"https://a.example/\">a<span data-href=\"https://b.example/\">b</span>c</a>"
              "<a href=\"https://d.example/\"></a></p>\n");
}

TEST_F(HtmlWriterTest, InternalLinksReachAnElementOfThePage) {
    auto heading = make.heading(1, {make.run(u"Intro")});
    heading->setAnchorId(u"T_intro");
    auto to = [&](std::u16string const& anchor) {
        auto link = make.link(u"");
        link->setAnchor(anchor);
        return link;
    };
    std::string const html =
        body({heading, make.paragraph({to(u"intro"), to(u"H_intro"), to(u"T_intro"), to(u"gone")})});
    EXPECT_THAT(html, HasSubstr("<p><a href=\"#T_intro\"></a><a href=\"#T_intro\"></a><a href=\"#T_intro\"></a>"
                                "<a data-missing-anchor=\"gone\"></a></p>"));
    EXPECT_THAT(takeWarnings(), ::testing::ElementsAre("HyperlinkNode: internal link \"#gone\" has no target: no "
                                                       "element of the page has the id \"gone\"; written without an "
                                                       "address"));
}

TEST_F(HtmlWriterTest, InternalLinksAreLookedUpAsWrittenThenPercentDecoded) {
    auto spaced = make.heading(1);
    spaced->setAnchorId(u"has space");
    auto literal = make.heading(1);
    literal->setAnchorId(u"50%25");
    auto to = [&](std::u16string const& anchor) {
        auto link = make.link(u"#" + anchor);
        return link;
    };
    std::string const html = body({spaced, literal,
                                   make.paragraph({to(u"has%20space"), to(u"has space"), to(u"50%25"), to(u"50%"),
                                                   to(u"H_has%20space"), to(u"%zz")})});
    EXPECT_THAT(html, HasSubstr("<p><a href=\"#has%20space\"></a><a href=\"#has%20space\"></a>"
                                "<a href=\"#50%25\"></a><a data-missing-anchor=\"50%\"></a>"
                                "<a href=\"#has%20space\"></a><a data-missing-anchor=\"%zz\"></a></p>"));
    EXPECT_EQ(takeWarnings().size(), 2u);
}

TEST_F(HtmlWriterTest, OfElementsSharingAnIdTheFirstKeepsItAndTheOthersGetFreeOnes) {
    auto anchored = [&](std::u16string const& id) {
        auto heading = make.heading(2);
        heading->setAnchorId(id);
        return heading;
    };
    auto link = make.link(u"#intro");
    std::string const html = body({make.paragraph({link}), anchored(u"intro"), anchored(u"intro"), anchored(u"intro-2"),
                                   anchored(u"intro"), anchored(u"intro-2")});
    EXPECT_EQ(html, "<p><a href=\"#intro\"></a></p>\n<h2 id=\"intro\"></h2>\n<h2 id=\"intro-3\"></h2>\n"
                    "<h2 id=\"intro-2\"></h2>\n<h2 id=\"intro-4\"></h2>\n<h2 id=\"intro-2-2\"></h2>\n");
    EXPECT_THAT(takeWarnings(),
                ::testing::ElementsAre("HeadingNode: duplicate id \"intro\": the first element with it keeps it and "
                                       "every link to it goes there; this one is written with the id \"intro-3\"",
                                       HasSubstr("duplicate id \"intro\""), HasSubstr("duplicate id \"intro-2\"")));

    // Ids on kinds the page gives no id to reach nothing: a link to one is reported.
    auto run = make.run(u"r");
    run->setAnchorId(u"run");
    EXPECT_THAT(body({make.paragraph({run, make.link(u"#run")})}), HasSubstr("data-missing-anchor=\"run\""));
    EXPECT_EQ(takeWarnings().size(), 1u);
}

TEST_F(HtmlWriterTest, ControlCharactersAreReplacedAndReported) {
    // A control character at either end of an address is trimmed, as browsers do; inside, it stays.
    auto link = make.link(u"https://a.example/\x1bx", {make.run(u"a\x01"
                                                                u"b\x01\x7f\tc")});
    EXPECT_EQ(body({make.paragraph({link})}), "<p><a href=\"https://a.example/\xEF\xBF\xBDx\">a\xEF\xBF\xBD"
                                              "b\xEF\xBF\xBD\xEF\xBF\xBD\tc</a></p>\n");
    EXPECT_THAT(takeWarnings(), ::testing::ElementsAre("HyperlinkNode: control character U+001B written as U+FFFD",
                                                       "RichTextNode: control characters U+0001, U+007F written as "
                                                       "U+FFFD"));
}

TEST_F(HtmlWriterTest, CodeTokensBecomeClassesAndLinesStayLines) {
    auto block = make.codeBlock(u"c\"pp", {
                                              make.codeLine({make.code(u"if", u"keyword"), make.code(u" (a<b)")}),
                                              make.codeLine({make.code(u"x", u"odd kind\"<")}),
                                          });
    EXPECT_EQ(body({block}), "<pre class=\"code\" data-type=\"c&quot;pp\"><code>"
                             "<span class=\"line\"><span class=\"tok tok-keyword\">if</span> (a&lt;b)</span>\n"
                             "<span class=\"line\"><span class=\"tok tok-odd_kind__\">x</span></span>\n"
                             "</code></pre>\n");
}

TEST_F(HtmlWriterTest, EquationsShowTheirTexSource) {
    auto inline_ = make.equation(u"a<b");
    inline_->setEquationData(cm::EquationData().setAltText(u"less"));
    auto display = make.equation(u"\\frac{1}{2}");
    display->setEquationData(cm::EquationData().setDisplayStyle(true).setEncoding(u"latex"));
    EXPECT_EQ(body({inline_}), "<span class=\"equation\" title=\"less\"><code class=\"tex\">a&lt;b</code></span>");
    EXPECT_EQ(body({display}), "<span class=\"equation display\" data-encoding=\"latex\">"
                               "<code class=\"tex\">\\frac{1}{2}</code></span>");
}

TEST_F(HtmlWriterTest, DeepNestingNeedsNoNativeStack) {
    dv::Node top = make.link(u"#");
    dv::Node parent = top;
    for (int i = 0; i < 50000; ++i) {
        dv::Node child = make.link(u"#");
        parent->getChildrenMutable().add(child);
        parent = child;
    }
    std::string const html = body({top});
    EXPECT_EQ(html.size(),
              std::string("<a href=\"#\"></a>").size() + 50000 * std::string("<span data-href=\"#\"></span>").size());
}

} // namespace
} // namespace richmarkup::formats
