#include "NodeMaker.hpp"

#include <richmarkup/host/HtmlWriter.hpp>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace richmarkup::host {
namespace {

using test::NodeMaker;
using ::testing::HasSubstr;
using ::testing::Not;
namespace dv = document::vxzero;
namespace cm = quillix::contentmodel::vxzero;

class HtmlWriterTest : public ::testing::Test {
protected:
    // The page's body, without the fixed head.
    std::string body(std::vector<dv::Node> const& nodes) {
        std::string const page = HtmlWriter::toString(nodes);
        std::size_t const begin = page.find("<body>\n");
        std::size_t const end = page.rfind("</body>");
        EXPECT_NE(begin, std::string::npos);
        EXPECT_NE(end, std::string::npos);
        return page.substr(begin + 7, end - begin - 7);
    }

    vx::zero::Model model;
    NodeMaker make{model};
};

TEST_F(HtmlWriterTest, PageIsStandaloneWithEscapedTitle) {
    HtmlWriter::Options options;
    options.title = "a <b> & c";
    std::string const page = HtmlWriter::toString({}, options);
    EXPECT_EQ(page.rfind("<!DOCTYPE html>\n", 0), 0u);
    EXPECT_THAT(page, HasSubstr("<meta charset=\"utf-8\">"));
    EXPECT_THAT(page, HasSubstr("<title>a &lt;b&gt; &amp; c</title>"));
    EXPECT_THAT(page, HasSubstr("</body>\n</html>\n"));
}

TEST_F(HtmlWriterTest, TextIsEscapedAndFormattingNests) {
    auto paragraph = make.paragraph({
        make.run(u"<script>alert('x')</script> & \"q\""),
        make.run(u"both", cm::Formatting().setBold(true).setItalic(true).setUnderline(false)),
        make.run(u"mono", cm::Formatting().setMonospace(true)),
    });
    paragraph->setAlignment(dv::Alignment::Right);
    paragraph->setAnchorId(u"M_\"x\"");
    EXPECT_EQ(body({paragraph}),
              "<p id=\"M_&quot;x&quot;\" style=\"text-align:right\">"
              "&lt;script&gt;alert(&#39;x&#39;)&lt;/script&gt; &amp; &quot;q&quot;"
              "<strong><em>both</em></strong><code>mono</code></p>\n");
}

TEST_F(HtmlWriterTest, LinksKeepSafeAddressesOnly) {
    auto withAnchor = make.link(u"https://example.org/a", {make.run(u"x")});
    withAnchor->setAnchor(u"sec 1");
    withAnchor->setTargetType(u"url");
    EXPECT_EQ(body({withAnchor}), "<a href=\"https://example.org/a#sec 1\" data-target-type=\"url\">x</a>");

    auto anchorOnly = make.link(u"");
    anchorOnly->setAnchor(u"top");
    EXPECT_EQ(body({anchorOnly}), "<a href=\"#top\"></a>");

    for (std::u16string const& target : std::initializer_list<std::u16string>{u"javascript:alert(1)", u"  JavaScript:alert(1)", u"java\tscript:x",
                                        u"vbscript:x", u"data:text/html,<b>"}) {
        std::string const html = body({make.link(target, {make.run(u"t")})});
        EXPECT_THAT(html, Not(HasSubstr("href"))) << html;
        EXPECT_THAT(html, HasSubstr("class=\"unsafe-link\""));
    }
    // Quotes cannot end the attribute early.
    EXPECT_EQ(body({make.link(u"x\" onclick=\"y")}), "<a href=\"x&quot; onclick=&quot;y\"></a>");
}

TEST_F(HtmlWriterTest, ImagesCarrySizesAltTextAndOnlyKnownAlignments) {
    auto image = make.image();
    image->setId(u"i1");
    image->setData(cm::ImageData().setImgSrc(u"data:image/png;base64,AAAA").setWidth(64).setHeight(32)
                       .setAltText(u"A <logo>").setVerticalAlignment(u"middle"));
    EXPECT_EQ(body({image}), "<img src=\"data:image/png;base64,AAAA\" width=\"64\" height=\"32\" "
                             "style=\"vertical-align:middle\" alt=\"A &lt;logo&gt;\" data-image-id=\"i1\">");

    auto hostile = make.image();
    hostile->setData(cm::ImageData().setImgSrc(u"javascript:x").setVerticalAlignment(u"top;background:url(x)"));
    EXPECT_EQ(body({hostile}), "<img data-vertical-align=\"top;background:url(x)\" alt=\"\">");
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
              "<tr>\n<th><table>\n<tr>\n<td></td>\n</tr>\n</table>\n</th>\n</tr>\n"
              "<tr>\n<td></td>\n</tr>\n"
              "</table>\n");
}

TEST_F(HtmlWriterTest, CodeTokensBecomeClassesAndLinesStayLines) {
    auto block = make.codeBlock(u"c\"pp", {
        make.codeLine({make.code(u"if", u"keyword"), make.code(u" (a<b)")}),
        make.codeLine({make.code(u"x", u"odd kind\"<")}),
    });
    EXPECT_EQ(body({block}),
              "<pre class=\"code\" data-type=\"c&quot;pp\"><code>"
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
    EXPECT_EQ(html.size(), 50001 * std::string("<a href=\"#\"></a>").size());
}

} // namespace
} // namespace richmarkup::host
