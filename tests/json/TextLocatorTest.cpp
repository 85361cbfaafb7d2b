#include <foundation/json/TextLocator.hpp>

#include <gtest/gtest.h>

#include <string>

namespace {

using foundation::json::TextLocator;

std::string at(TextLocator& locator, std::string const& pointer) {
    auto const position = locator.locate(pointer);
    return position ? std::to_string(position->line) + ":" + std::to_string(position->column) : "none";
}

std::string const document = "[\n"
                             "  {\"className\": \"P\", \"children\": [\n"
                             "    {\"text\": \"a\"}, {\"a/b\": 1, \"m~n\": [true, {\"x\": null}]}\n"
                             "  ]},\n"
                             "  {\"k\\u00e9y\": \"\\\"]}\", \"dup\": 1, \"dup\": [2]}\n"
                             "]\n";

TEST(TextLocator, FindsValuesByPointerWithLineAndByteColumn) {
    TextLocator locator(document);
    EXPECT_EQ(at(locator, ""), "1:1");
    EXPECT_EQ(at(locator, "/0"), "2:3");
    EXPECT_EQ(at(locator, "/0/className"), "2:17");
    EXPECT_EQ(at(locator, "/0/children/0/text"), "3:14");
    EXPECT_EQ(at(locator, "/0/children/1/a~1b"), "3:28") << "~1 is a slash";
    EXPECT_EQ(at(locator, "/0/children/1/m~0n/1/x"), "3:51") << "~0 is a tilde";
    EXPECT_EQ(at(locator, "/1/k\xC3\xA9y"), "5:16") << "keys are compared with their escapes undone";
    EXPECT_EQ(at(locator, "/1/dup"), "5:41") << "the last of duplicate keys, as the parser keeps";
}

TEST(TextLocator, EachValueOfAKeyGivenTwiceIsFoundInTheOrderOfTheText) {
    TextLocator locator(document);
    auto each = [&](std::string const& pointer) {
        std::string out;
        for (auto const& position : locator.locateEach(pointer)) {
            out += (out.empty() ? "" : " ") + std::to_string(position.line) + ":" + std::to_string(position.column);
        }
        return out;
    };
    EXPECT_EQ(each("/1/dup"), "5:31 5:41");
    EXPECT_EQ(each("/0/className"), "2:17");
    EXPECT_EQ(each("/0/children/1"), "3:20") << "an array's entry is one value";
    EXPECT_EQ(each(""), "1:1");
    EXPECT_EQ(each("/1/none"), "");
    EXPECT_EQ(at(locator, "/0"), "2:3") << "lookups go on as before";
}

TEST(TextLocator, AnyOrderOfLookupsGivesTheSameAnswers) {
    TextLocator forwards(document);
    TextLocator backwards(document);
    std::string const pointers[] = {"/0/children/1/a~1b", "/1", "/1/dup/0", "/0"};
    std::string expected[4];
    for (int i = 0; i < 4; ++i) {
        expected[i] = at(forwards, pointers[i]);
    }
    for (int i = 3; i >= 0; --i) {
        EXPECT_EQ(at(backwards, pointers[i]), expected[i]) << pointers[i];
    }
}

TEST(TextLocator, PointersThatNameNothingFindNothing) {
    TextLocator locator(document);
    for (char const* pointer : {"/2", "/-", "/01", "/0/missing", "/0/className/0", "/x", "0", "/0/children/9"}) {
        EXPECT_EQ(at(locator, pointer), "none") << pointer;
    }
    TextLocator single("\xEF\xBB\xBF{\"a\": {\"b\": 1}}");
    EXPECT_EQ(at(single, "/a/b"), "1:16") << "a byte-order mark counts as bytes of the first line";
}

} // namespace
