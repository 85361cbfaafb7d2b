#include <fl/i18n/ustring.hpp>

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

using fl::i18n::appendUtf8;
using fl::i18n::LoneSurrogate;
using fl::i18n::ustring_to_utf8;
using fl::i18n::utf8_to_ustring;

namespace {

std::string error(std::string const& utf8) {
    try {
        (void)utf8_to_ustring(utf8);
    } catch (std::runtime_error const& e) {
        return e.what();
    }
    return "no error";
}

} // namespace

TEST(Utf, RoundTripsEveryEncodingLength) {
    std::string const text = "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80z"; // a é € 😀 z
    std::u16string const wide = utf8_to_ustring(text);
    EXPECT_EQ(wide, u"a\u00e9\u20ac\U0001F600z");
    EXPECT_EQ(wide.size(), 6u); // the emoji is a surrogate pair
    EXPECT_EQ(ustring_to_utf8(wide), text);
    EXPECT_EQ(utf8_to_ustring(""), u"");
    EXPECT_EQ(ustring_to_utf8(u"\U0010FFFF"), "\xF4\x8F\xBF\xBF");
    EXPECT_EQ(utf8_to_ustring(std::string("a\0b", 3)), std::u16string(u"a\0b", 3));

    // Short and long texts take different paths; lengths around the switch catch an
    // off-by-one in either, and an error is placed right in both.
    for (std::size_t const repeats : {23u, 24u, 600u}) {
        std::string longText;
        for (std::size_t i = 0; i < repeats; ++i) {
            longText += text;
        }
        std::u16string const longWide = utf8_to_ustring(longText);
        EXPECT_EQ(longWide.size(), repeats * wide.size()) << repeats;
        EXPECT_EQ(ustring_to_utf8(longWide), longText) << repeats;
        EXPECT_EQ(error(longText + "\x80"),
                  "invalid UTF-8 at byte " + std::to_string(longText.size()) + ": unexpected continuation byte");
    }
}

TEST(Utf, AsciiRunsOfAnyLengthAroundOtherCharacters) {
    // ASCII is widened sixteen bytes a step: a non-ASCII character or a bad byte at every
    // place of a word must still be found, and the text around it kept.
    for (std::size_t length = 0; length < 40; ++length) {
        std::string const ascii(length, 'x');
        std::u16string const wideAscii(length, u'x');
        EXPECT_EQ(utf8_to_ustring(ascii), wideAscii);
        for (std::size_t at = 0; at <= length; ++at) {
            std::string const text = ascii.substr(0, at) + "\xC3\xA9" + ascii.substr(at);
            std::u16string const wide = wideAscii.substr(0, at) + u"\u00e9" + wideAscii.substr(at);
            EXPECT_EQ(utf8_to_ustring(text), wide) << length << " " << at;
            std::string const bad = ascii.substr(0, at) + "\xFF" + ascii.substr(at);
            EXPECT_EQ(error(bad), "invalid UTF-8 at byte " + std::to_string(at) + ": invalid lead byte");
        }
    }
}

TEST(Utf, InvalidUtf8NamesTheByteOffset) {
    EXPECT_EQ(error("ab\x80"), "invalid UTF-8 at byte 2: unexpected continuation byte");
    EXPECT_EQ(error("\xC0\xAF"), "invalid UTF-8 at byte 0: invalid lead byte");
    EXPECT_EQ(error("x\xE0\x80\xAF"), "invalid UTF-8 at byte 1: overlong encoding");
    EXPECT_EQ(error("\xED\xA0\x80"), "invalid UTF-8 at byte 0: encoded surrogate");
    EXPECT_EQ(error("\xF4\x90\x80\x80"), "invalid UTF-8 at byte 0: code point beyond U+10FFFF");
    EXPECT_EQ(error("abc\xE2\x82"), "invalid UTF-8 at byte 3: truncated sequence");
    EXPECT_EQ(error("\xE2\x28\xA1"), "invalid UTF-8 at byte 1: expected a continuation byte");
}

TEST(Utf, LoneSurrogatesFollowTheCallersPolicy) {
    auto const error = [](std::u16string const& text) {
        try {
            (void)ustring_to_utf8(text);
        } catch (std::runtime_error const& e) {
            return std::string(e.what());
        }
        return std::string("no error");
    };
    EXPECT_EQ(error(std::u16string(1, char16_t(0xD800))),
              "invalid UTF-16 at code unit 0: high surrogate without its low half");
    EXPECT_EQ(error(std::u16string{u'a', char16_t(0xDC00)}),
              "invalid UTF-16 at code unit 1: low surrogate without its high half");
    EXPECT_EQ(error(std::u16string{char16_t(0xD800), u'a'}),
              "invalid UTF-16 at code unit 0: high surrogate without its low half");

    // Replaced: each lone half is one U+FFFD, and a pair after a lone high half stays a pair.
    std::u16string const broken{char16_t(0xDC00), u'x', char16_t(0xD800), char16_t(0xD83D), char16_t(0xDE00)};
    EXPECT_EQ(ustring_to_utf8(broken, LoneSurrogate::Replace), "\xEF\xBF\xBDx\xEF\xBF\xBD\xF0\x9F\x98\x80");
    std::string appended = "a";
    appendUtf8(appended, std::u16string(1, char16_t(0xDBFF)), LoneSurrogate::Replace);
    EXPECT_EQ(appended, "a\xEF\xBF\xBD");
}
