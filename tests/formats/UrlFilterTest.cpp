#include "UrlFilter.hpp"

#include <gtest/gtest.h>

namespace richmarkup::formats {
namespace {

TEST(UrlFilterTest, LinksAllowRelativeAndWebSchemesOnly) {
    EXPECT_EQ(UrlFilter::forLink("https://a.b/c?d#e"), "https://a.b/c?d#e");
    EXPECT_EQ(UrlFilter::forLink("HTTP://a"), "HTTP://a");
    EXPECT_EQ(UrlFilter::forLink("mailto:x@y"), "mailto:x@y");
    EXPECT_EQ(UrlFilter::forLink("docs/page.html"), "docs/page.html");
    EXPECT_EQ(UrlFilter::forLink("#anchor"), "#anchor");
    EXPECT_EQ(UrlFilter::forLink("./a:b"), "./a:b"); // a colon after a slash is no scheme
    EXPECT_EQ(UrlFilter::forLink("?q=a:b"), "?q=a:b");
    EXPECT_EQ(UrlFilter::forLink(" https://a \n"), "https://a");

    EXPECT_FALSE(UrlFilter::forLink("javascript:alert(1)"));
    EXPECT_FALSE(UrlFilter::forLink("JAVASCRIPT:alert(1)"));
    EXPECT_FALSE(UrlFilter::forLink("\x01 javascript:x"));
    EXPECT_FALSE(UrlFilter::forLink("jav\nascr\tipt:x"));
    EXPECT_FALSE(UrlFilter::forLink("data:text/html,x"));
    EXPECT_FALSE(UrlFilter::forLink("file:///etc/passwd"));
    EXPECT_FALSE(UrlFilter::forLink("j@vascript:x")); // malformed scheme: refused, not guessed
}

TEST(UrlFilterTest, ImagesAllowWebAndImageDataOnly) {
    EXPECT_EQ(UrlFilter::forImage("img/a.png"), "img/a.png");
    EXPECT_EQ(UrlFilter::forImage("https://a/b.png"), "https://a/b.png");
    EXPECT_EQ(UrlFilter::forImage("DATA:image/png;base64,AA"), "DATA:image/png;base64,AA");
    EXPECT_FALSE(UrlFilter::forImage("data:text/html;base64,AA"));
    EXPECT_FALSE(UrlFilter::forImage("mailto:x@y"));
    EXPECT_FALSE(UrlFilter::forImage("javascript:x"));
}

} // namespace
} // namespace richmarkup::formats
