// The writers fuzzer's checks must catch what they look for: each case is a fault a writer
// could make, next to the correct form of the same output.
#include "HtmlPageCheck.hpp"
#include "MarkdownReadBack.hpp"
#include "MessageCheck.hpp"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace richmarkup::fuzz {
namespace {

bool markupPasses(std::string const& html) { return !HtmlPageCheck::markupProblem(html).has_value(); }

TEST(HtmlPageCheck, AcceptsTheWritersOwnMarkup) {
    EXPECT_TRUE(markupPasses(
        "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n<title>a &lt;b&gt;</title>\n"
        "<style>\ntd,th{border:1px solid #999}\n</style>\n</head>\n<body>\n"
        "<h2 id=\"x\" style=\"text-align:center\"><strong><em>A</em></strong></h2>\n"
        "<p><a href=\"https://e.org/?a=1&amp;b=2\">l</a><a href=\"#x\">i</a><a href=\"rel/path:x\">r</a>"
        "<a href=\"MAILTO:a@b\">m</a><span data-href=\"javascript:x\">n</span>"
        "<img src=\"data:image/png;base64,AA\" alt=\"&quot;&#39;\"></p>\n"
        "<table>\n<colgroup><col style=\"width:3px\"><col></colgroup>\n<tr>\n<th>h</th>\n</tr>\n</table>\n"
        "</body>\n</html>\n"));
}

TEST(HtmlPageCheck, RefusesElementsAndHandlersTheWriterNeverWrites) {
    EXPECT_FALSE(markupPasses("<p><script>alert(1)</script></p>"));
    EXPECT_FALSE(markupPasses("<p>x</p></SCRIPT>"));
    EXPECT_FALSE(markupPasses("<img src=\"a.png\" onerror=\"alert(1)\">"));
    EXPECT_FALSE(markupPasses("<p ONclick=\"x\">"));
    // Broken quoting lets text become attributes, or leaves a '<' unescaped.
    EXPECT_FALSE(markupPasses("<a href=\"x\"\" title=\"y\">"));
    EXPECT_FALSE(markupPasses("<a title=\"x>"));
    EXPECT_FALSE(markupPasses("<p>1 < 2</p>"));
    EXPECT_FALSE(markupPasses("<p><!-- x --></p>"));
    EXPECT_FALSE(markupPasses("<p"));
}

TEST(HtmlPageCheck, RefusesAddressesThatMayRunScriptHoweverWritten) {
    for (std::string const href :
         {"javascript:alert(1)", "JavaScript:x", " \x01javascript:x", "java\tscript:x", "java\nscript:x",
          "jav&#x61;script:x", "javascript&colon;x", "vbscript:x", "data:text/html,x"}) {
        EXPECT_FALSE(markupPasses("<a href=\"" + href + "\">x</a>")) << href;
    }
    EXPECT_TRUE(markupPasses("<a href=\"java&#39;script:x\">x</a><a href=\"#javascript:x\">y</a>"))
        << "a quote makes no scheme; a fragment is no scheme";
    EXPECT_FALSE(markupPasses("<img src=\"data:text/html;base64,AA\">"));
    EXPECT_FALSE(markupPasses("<img src=\"mailto:a@b\">"));
    EXPECT_FALSE(markupPasses("<img src='javascript:x'>"));
    EXPECT_FALSE(markupPasses("<img src=javascript:x>"));
    EXPECT_TRUE(markupPasses("<img src=\"Data:Image/gif,x\"><img src=\"/a:b\">"));
}

TEST(HtmlPageCheck, ReadsTagsAsABrowserDoes) {
    EXPECT_FALSE(markupPasses("<P><SCRIPT>x</SCRIPT></P>")) << "element names in any case";
    EXPECT_FALSE(markupPasses("<img/src=\"a\"/onerror=\"x\">")) << "a '/' separates attributes";
    EXPECT_FALSE(markupPasses("<img src = \"javascript:x\">")) << "blanks around '='";
    EXPECT_FALSE(markupPasses("<a\nhref=\"vbscript:x\">"));
    EXPECT_FALSE(markupPasses("</p class=\"x\">"));
    EXPECT_TRUE(markupPasses("<p title=\"<script> onclick=&quot;x&quot;\" id=x>a&gt;b</p>"))
        << "what stands inside a quoted value is no markup";
    EXPECT_FALSE(markupPasses("<!DOCTYPE html><!DOCTYPE html>")) << "one doctype, first";
}

TEST(HtmlPageCheck, EscapesAsTheWriterDoes) {
    EXPECT_EQ(HtmlPageCheck::escaped("a&<>\"'\t\n\r\x01\x7f\xC3\xA9"),
              "a&amp;&lt;&gt;&quot;&#39;\t\n\r\xEF\xBF\xBD\xEF\xBF\xBD\xC3\xA9");
    EXPECT_TRUE(HtmlPageCheck::hasReplacedControl("a\x1b"));
    EXPECT_FALSE(HtmlPageCheck::hasReplacedControl("a\t\r\n"));
}

TEST(MarkdownReadBack, DecodesEscapesAndReferencesAsAReader) {
    EXPECT_EQ(MarkdownReadBack::decoded("\\*a\\_b&#x63;&#100;&amp;&lt;\\&#65;\\a&#xD800;&bogus;"),
              "*a_bcd&<&#65;\\a\xEF\xBF\xBD&bogus;");
}

TEST(MarkdownReadBack, FindsEachWordWrittenPlainEscapedOrInCode) {
    MarkdownReadBack page("# T&#x69;tle\n\n**bold**&#x74;ail `a\\&#98;c` caf\xC3\xA9\xC2\xA0**x**\n");
    EXPECT_EQ(page.missingWord("Title"), std::nullopt);
    EXPECT_EQ(page.missingWord("bold tail"), std::nullopt);
    EXPECT_EQ(page.missingWord("a\\&#98;c"), std::nullopt) << "code holds references as written";
    EXPECT_EQ(page.missingWord("caf\xC3\xA9\xC2\xA0"), std::nullopt) << "a blank moved out of the formatting";
    EXPECT_EQ(page.missingWord("\xE3\x80\x80tail"), std::nullopt) << "a blank beyond ASCII ends a word whole";
    EXPECT_EQ(page.missingWord("Title again"), std::optional<std::string>("again"));
    EXPECT_EQ(page.missingWord("caf\xC3\xA8"), std::optional<std::string>("caf\xC3\xA8"));
}

TEST(MarkdownReadBack, FindsWordsWhateverOrderTheyAreAskedIn) {
    MarkdownReadBack page("alpha beta gamma");
    EXPECT_EQ(page.missingWord("gamma"), std::nullopt);
    EXPECT_EQ(page.missingWord("alpha"), std::nullopt) << "a word before the last one found";
    EXPECT_EQ(page.missingWord("beta beta alpha"), std::nullopt);
    EXPECT_EQ(page.missingWord("delta"), std::optional<std::string>("delta"));
}

TEST(MarkdownReadBack, LeavesWhatIsNoReferenceAsWritten) {
    EXPECT_EQ(MarkdownReadBack::decoded("&#65&#x;&#1234567890;&#x41;&#X42;&#0;\\"),
              "&#65&#x;&#1234567890;AB\xEF\xBF\xBD\\");
}

TEST(MessageCheck, RefusesWhatBreaksALine) {
    EXPECT_EQ(MessageCheck::problem("warning: f.json:1:2: /0: caf\xC3\xA9 \xF0\x9F\x8E\x89"), std::nullopt);
    std::vector<std::string> const bad{"a\nb",    "a\rb",     std::string("a\0b", 3), "a\x1b[31m",        "a\x7f",
                                       "\xC3",    "\xC0\xAF", "\xED\xA0\x80",         "\xF4\x90\x80\x80", "\x80",
                                       "\xE2\x82"};
    for (std::string const& message : bad) {
        EXPECT_TRUE(MessageCheck::problem(message).has_value()) << MessageCheck::printable(message, 20);
    }
    EXPECT_EQ(MessageCheck::firstInvalidUtf8("ab\xE2\x82"), 2u);
    // The edges of the ranges: U+0080, U+07FF, U+D7FF, U+E000, U+FFFF, U+10000, U+10FFFF.
    EXPECT_TRUE(MessageCheck::validUtf8("\xC2\x80\xDF\xBF\xED\x9F\xBF\xEE\x80\x80\xEF\xBF\xBF"
                                        "\xF0\x90\x80\x80\xF4\x8F\xBF\xBF"));
    EXPECT_FALSE(MessageCheck::validUtf8("\xC1\xBF")) << "overlong U+007F";
    EXPECT_FALSE(MessageCheck::validUtf8("\xE0\x9F\xBF")) << "overlong U+07FF";
    EXPECT_FALSE(MessageCheck::validUtf8("\xF0\x8F\xBF\xBF")) << "overlong U+FFFF";
    EXPECT_FALSE(MessageCheck::validUtf8("\xF5\x80\x80\x80"));
}

TEST(MessageCheck, PrintsAnyBytesOnOneLine) {
    EXPECT_EQ(MessageCheck::printable("a\n\"\\\xC3\xA9\xFF", 80), "\"a\\x0A\\x22\\x5C\xC3\xA9\\xFF\"");
    EXPECT_EQ(MessageCheck::printable("abcdef", 3), "\"abc...\"");
}

} // namespace
} // namespace richmarkup::fuzz
