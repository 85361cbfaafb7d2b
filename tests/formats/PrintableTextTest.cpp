// Text from input shown in a message: one line of printable UTF-8, whatever bytes it held.
#include <richmarkup/formats/PrintableText.hpp>

#include <gtest/gtest.h>

#include <string>

namespace richmarkup::formats::text {
namespace {

TEST(PrintableTextTest, ControlsAndBrokenUtf8AreEscapedAndTheRestStays) {
    EXPECT_EQ(printableText("plain/name.json"), "plain/name.json");
    EXPECT_EQ(printableText("Grüße, 日本, 😀"), "Grüße, 日本, 😀");
    EXPECT_EQ(printableText("a\nb\r\tc"), "a\\nb\\r\\tc");
    EXPECT_EQ(printableText(std::string("nul\0esc\x1b[31mdel\x7f", 16)), "nul\\x00esc\\x1b[31mdel\\x7f");
    EXPECT_EQ(printableText("back\\slash"), "back\\\\slash") << "so that a name's own \\n is not a line break";
    // U+009B alone is a terminal's control sequence introducer.
    EXPECT_EQ(printableText("\xc2\x9b"
                            "2J\xc2\xa0"),
              "\\u009b2J\xc2\xa0");
    // Bytes that are no UTF-8: lone, overlong, surrogates, beyond U+10FFFF, cut short at the end.
    EXPECT_EQ(printableText("\xff"), "\\xff");
    EXPECT_EQ(printableText("\xc0\xaf"), "\\xc0\\xaf");
    EXPECT_EQ(printableText("\xed\xa0\x80"), "\\xed\\xa0\\x80");
    EXPECT_EQ(printableText("\xf4\x90\x80\x80"), "\\xf4\\x90\\x80\\x80");
    EXPECT_EQ(printableText("ok\xe2\x82"), "ok\\xe2\\x82");
}

} // namespace
} // namespace richmarkup::formats::text
