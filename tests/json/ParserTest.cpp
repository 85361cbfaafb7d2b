#include <foundation/json/Parser.hpp>

#include "Arena.hpp"
#include "ArenaStorage.hpp"
#include "Converter.hpp"
#include "ErrorLocator.hpp"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>

using namespace foundation::json;

namespace {

ParseError parseError(std::string const& text) {
    try {
        (void)parse(text);
    } catch (ParseError const& e) {
        return e;
    }
    return ParseError(0, 0, "no error");
}

std::string nested(std::size_t depth) { return std::string(depth, '[') + std::string(depth, ']'); }

} // namespace

TEST(Parser, EveryNumberIsADouble) {
    Value const v = parse(R"({"level": 1, "neg": -7, "big": 18446744073709551615, "f": 2.5e3,
                              "huge": 123456789012345678901234567890})");
    EXPECT_TRUE(v["level"].isDouble());
    EXPECT_EQ(v["level"].asDouble(), 1.0);
    EXPECT_EQ(v["neg"].asDouble(), -7.0);
    EXPECT_TRUE(v["big"].isDouble());
    EXPECT_EQ(v["f"].asDouble(), 2500.0);
    EXPECT_DOUBLE_EQ(v["huge"].asDouble(), 1.2345678901234568e29);
}

TEST(Parser, ReadsEveryKindAndKeepsTheLastDuplicate) {
    Value const v = parse(R"({"s":"a\"b\u00e9\ud83d\ude00","t":true,"f":false,"n":null,"a":[1,[2]],"o":{},
                              "d":1,"d":2})");
    EXPECT_EQ(v["s"].asString(), "a\"b\xC3\xA9\xF0\x9F\x98\x80");
    EXPECT_TRUE(v["t"].asBool());
    EXPECT_FALSE(v["f"].asBool());
    EXPECT_TRUE(v["n"].isNull());
    EXPECT_EQ(v["a"].asArray()[1].asArray()[0].asDouble(), 2.0);
    EXPECT_TRUE(v["o"].asObject().empty());
    EXPECT_EQ(v["d"].asDouble(), 2.0);
    EXPECT_EQ(parse("\xEF\xBB\xBF [1]").size(), 1u);
}

TEST(Parser, NestingLimit) {
    EXPECT_NO_THROW((void)parse(nested(kMaxDepth)));
    ParseError const e = parseError(nested(kMaxDepth + 1));
    EXPECT_EQ(e.reason(), "nesting deeper than 512");
    EXPECT_EQ(e.column(), kMaxDepth + 1);
    EXPECT_EQ(parseError(std::string(100000, '[')).reason(), "nesting deeper than 512");
    EXPECT_EQ(parseError(std::string(100000, '{')).line(), 1u);
}

TEST(Parser, ErrorsNameLineColumnAndReason) {
    struct Case {
        char const* text;
        std::size_t line, column;
        char const* reason;
    } const cases[] = {
        {"", 1, 1, "empty document"},
        {"  \n ", 2, 2, "empty document"},
        {"{\"a\": 1,\n  \"b\" 2}", 2, 7, "expected ':' after object key, found character '2'"},
        {"[1, 2,\n 3,]", 2, 4, "unexpected character ']'"},
        {"{\"a\": tru}", 1, 7, "invalid literal, expected 'true'"},
        {"[\"abc", 1, 2, "unterminated string"},
        {"[1] x", 1, 5, "trailing characters after the document"},
        {"[1, 2", 1, 6, "unexpected end of input"},
        {"{\"a\" : 01}", 1, 8, "invalid number"},
        {"[\"\\x\"]", 1, 3, "invalid escape sequence"},
        {"[\"\xC3\"]", 1, 3, "invalid UTF-8 in string"},
        {"[\"\xED\xA0\x80\"]", 1, 3, "invalid UTF-8 in string"},
        {"[\"\\ud800\"]", 1, 3, "high surrogate without its low half"},
        {"{1:2}", 1, 2, "expected a string key, found character '1'"},
        {"[1 2]", 1, 4, "expected ',' or ']', found character '2'"},
    };
    for (Case const& c : cases) {
        ParseError const e = parseError(c.text);
        EXPECT_EQ(e.reason(), c.reason) << c.text;
        EXPECT_EQ(e.line(), c.line) << c.text;
        EXPECT_EQ(e.column(), c.column) << c.text;
        EXPECT_EQ(std::string(e.what()), std::to_string(c.line) + ":" + std::to_string(c.column) + ": " + c.reason);
    }
}

TEST(Parser, ANumberBeyondADoubleFailsAtItselfWithItsPointer) {
    ParseError const e = parseError("[1,\n {\"a/b\": {\"h\": 2,\n  \"x~\": [0, -1e400]}}]");
    EXPECT_STREQ(e.what(), "3:13: /1/a~1b/x~0/1: the number -1e400 is out of range: a double goes up to "
                           "1.7976931348623157e308");
    ASSERT_TRUE(e.pointer());
    EXPECT_EQ(*e.pointer(), "/1/a~1b/x~0/1");
    // An integer that is out of range too, shown cut short; the whole document as "/".
    std::string const digits = "1" + std::string(400, '0');
    EXPECT_STREQ(parseError("{\"w\":" + digits + "}").what(), ("1:6: /w: the number " + digits.substr(0, 40) +
                                                               "... is out of range: a double goes up to "
                                                               "1.7976931348623157e308")
                                                                  .c_str());
    EXPECT_STREQ(parseError(" 1e999").what(),
                 "1:2: /: the number 1e999 is out of range: a double goes up to 1.7976931348623157e308");
    // A syntax error names no pointer; a number too small for a double is no error.
    EXPECT_FALSE(parseError("[1e-5, x]").pointer());
    EXPECT_EQ(parse("[1e-400, 123456789012345678901234567890]").size(), 2u);
}

TEST(Parser, UtfSixteenTextIsNamedForWhatItIs) {
    struct Case {
        std::string text;
        char const* reason;
    } const cases[] = {
        {"\xFF\xFE[\0]\0", "the text starts with a UTF-16 byte order mark (FF FE): the text must be UTF-8"},
        {"\xFE\xFF\0[\0]", "the text starts with a UTF-16 byte order mark (FE FF): the text must be UTF-8"},
        {std::string("[\0\"\0a\0\"\0]\0", 10),
         "the text looks like UTF-16 (little-endian: a zero byte beside each character): the text must be UTF-8"},
        {std::string("\0{\0}", 4),
         "the text looks like UTF-16 (big-endian: a zero byte beside each character): the text must be UTF-8"},
    };
    for (Case const& c : cases) {
        ParseError const e = parseError(c.text);
        EXPECT_EQ(e.reason(), c.reason);
        EXPECT_EQ(std::make_pair(e.line(), e.column()), std::make_pair(std::size_t(1), std::size_t(1)));
    }
    // A lone zero byte is just that.
    EXPECT_EQ(parseError(std::string("[1,\0]", 5)).reason(), "unexpected byte 0x00");
}

TEST(Parser, TextNestedTooDeepFailsFromItsOpening) {
    // Found where the text opens, before the whole of it is indexed, with the full scan's error.
    auto const deep = detail::tooDeepOpening(std::string(kMaxDepth + 1, '[') + std::string(1 << 20, '['), kMaxDepth);
    ASSERT_TRUE(deep);
    EXPECT_EQ(deep->offset, kMaxDepth);
    EXPECT_EQ(deep->reason, "nesting deeper than 512");
    std::string objects;
    for (std::size_t i = 0; i <= kMaxDepth; ++i) {
        objects += "{\"k]\": ";
    }
    EXPECT_TRUE(detail::tooDeepOpening(objects, kMaxDepth));
    // An error before the depth is reached is the one named.
    EXPECT_EQ(detail::tooDeepOpening("[[x" + std::string(kMaxDepth, '['), kMaxDepth)->reason,
              "unexpected character 'x'");
    // The scan stops at the first closing bracket, and at nesting within the limit.
    EXPECT_FALSE(detail::tooDeepOpening("[[]," + std::string(kMaxDepth + 1, '['), kMaxDepth));
    EXPECT_FALSE(detail::tooDeepOpening(nested(kMaxDepth), kMaxDepth));
    ParseError const e = parseError(std::string(1 << 20, '['));
    EXPECT_STREQ(e.what(), "1:513: nesting deeper than 512");
}

TEST(Parser, ReusedParserAndLargeArrays) {
    Parser parser;
    std::string big = "[";
    for (int i = 0; i < 200000; ++i) {
        big += i ? ",\"x\"" : "\"x\"";
    }
    big += "]";
    EXPECT_EQ(parser.parse(big).size(), 200000u);
    EXPECT_EQ(parser.parse("[1]").size(), 1u);
    EXPECT_THROW((void)parser.parse("[1"), ParseError);
    EXPECT_EQ(parser.parse("{\"a\":[]}").size(), 1u);
}

TEST(Parser, Files) {
    std::string const path = ::testing::TempDir() + "/richmarkup_json_parser_test.json";
    { std::ofstream(path) << "{\"a\":\n [1,]}"; }
    try {
        (void)parseFile(path);
        FAIL() << "no error";
    } catch (ParseError const& e) {
        EXPECT_EQ(e.line(), 2u);
        EXPECT_EQ(e.column(), 5u);
    }
    std::remove(path.c_str());
    try {
        (void)parseFile(path);
        FAIL() << "no error";
    } catch (ParseError const&) {
        FAIL() << "a missing file is no parse error";
    } catch (std::runtime_error const& e) {
        EXPECT_EQ(std::string(e.what()), "cannot read " + path + ": No such file or directory");
    }
}

TEST(Parser, TakenTextParsesAsTheSameWithOrWithoutRoomForPadding) {
    std::string const documents[] = {
        "\xEF\xBB\xBF{\"className\": \"RichTextNode\", \"text\": \"x\", \"level\": 2}",
        "[1, 123456789012345678901234567890, {\"a\": [true, null]}]", // widened big integer
        std::string(100, ' ') + "\"padded\"",
    };
    for (std::string const& text : documents) {
        Value const expected = parse(text);
        for (std::size_t const room : {std::size_t(0), kPadding}) {
            std::string taken;
            taken.reserve(text.size() + room);
            taken = text;
            Parser parser;
            EXPECT_EQ(parser.parse(taken, taken.capacity() - taken.size()), expected) << text << " in place";
            EXPECT_EQ(parser.parseAndRelease(std::move(taken)), expected) << text << " with room " << room;
            EXPECT_TRUE(taken.empty());
        }
    }
    // A malformed text is reported from the text itself, which stays readable until then.
    std::string bad = "{\n  \"a\": [1, 2,]\n}";
    bad.reserve(bad.size() + kPadding);
    try {
        Parser().parseAndRelease(std::move(bad));
        ADD_FAILURE() << "no error";
    } catch (ParseError const& e) {
        EXPECT_EQ(e.line(), 2u);
        EXPECT_EQ(e.column(), 14u); // the stray "]"
    }
}

// A parsed tree's memory goes as a whole, once no Value of it is left: parts kept from it
// must keep it, whatever goes first (the sanitizer builds check the frees).
TEST(Parser, PartsOfATreeOutliveTheTreeAndTheParser) {
    std::string longText(200, 'L');
    std::string text = R"({"keep": {"name": "a", "long": ")" + longText +
                       R"(", "a key longer than a short string": [")" + longText + R"("]}, "list": [)";
    for (int i = 0; i < 5000; ++i) {
        text += (i ? ",{\"i\":" : "{\"i\":") + std::to_string(i) + ",\"s\":\"" + longText + "\"}";
    }
    text += "]}";
    Value kept;
    Value last;
    Object copied;
    Array elements;
    {
        Parser parser;
        Value const tree = parser.parse(text);
        kept = tree["keep"];
        last = tree["list"].asArray().back();
        copied = tree["keep"].asObject(); // a copy of a parsed object is one of its own
        elements = tree["list"].asArray();
        Value const again = parser.parse(text); // the parser's second tree beside the first
        EXPECT_EQ(again, tree);
    }
    EXPECT_EQ(kept["long"].asString(), longText);
    EXPECT_EQ(last["i"].asDouble(), 4999.0);
    kept = Value();
    EXPECT_EQ(copied.at("name").asString(), "a");
    EXPECT_EQ(copied.at("long").asString(), longText);
    copied.set("name", Value("b"));
    EXPECT_EQ(copied.at("name").asString(), "b");
    EXPECT_EQ(last["s"].asString(), longText);
    last = Value();
    EXPECT_EQ(copied.at("a key longer than a short string").asArray()[0].asString(), longText);
    copied = Object();
    EXPECT_EQ(elements[2500]["s"].asString(), longText);
}

// Objects come out sorted by key with the last of equal keys kept, small or large (the two
// take different sorts), and nested objects keep their own members apart.
TEST(Parser, ObjectsAreSortedAndKeepTheLastOfEqualKeys) {
    for (int const n : {3, 16, 17, 40}) {
        std::string text = "{";
        for (int i = n; i > 0; --i) {
            std::string const key = "k" + std::string(i < 10 ? "0" : "") + std::to_string(i);
            text += "\"" + key + "\":{\"inner\":" + std::to_string(i) + ",\"a\":[{\"" + key + "\":0}]},";
            text += "\"" + key + "\":" + std::to_string(i) + ",";
        }
        text += "\"k01\":-1}";
        Value const parsed = parse(text);
        Object const& object = parsed.asObject();
        ASSERT_EQ(object.size(), static_cast<std::size_t>(n)) << n;
        std::string previous;
        for (auto const& [key, value] : object) {
            EXPECT_LT(previous, key);
            previous = key;
            int const i = std::stoi(key.substr(1));
            EXPECT_EQ(value.asDouble(), i == 1 ? -1.0 : static_cast<double>(i)) << key;
        }
    }
}

// A parsed tree keeps its long strings, long keys and arrays in its own memory, beside the
// objects that hold them: every length, around a short string's room and around the tree's
// block size, must read back as written, end in a NUL, and copy out as an ordinary value.
TEST(Parser, StringsKeysAndArraysOfEveryLengthReadBackAsWritten) {
    auto const letters = [](std::size_t n) {
        std::string s(n, ' ');
        for (std::size_t i = 0; i < n; ++i) {
            s[i] = static_cast<char>('a' + i % 26);
        }
        return s;
    };
    std::string text = "[";
    Array expected;
    for (std::size_t const n : {0, 1, 15, 16, 17, 255, 4095, 4096, 4097, 70000}) {
        std::string const s = letters(n);
        Array items;
        std::string list;
        for (std::size_t i = 0; i < n % 600; ++i) {
            items.push_back(i % 2 ? Value(static_cast<double>(i)) : Value(letters(i % 40)));
            list += (i ? "," : "") + (i % 2 ? std::to_string(i) : "\"" + letters(i % 40) + "\"");
        }
        text +=
            (n ? ",{\"" : "{\"") + s + "x\":\"" + s + "\",\"items\":[" + list + "],\"nested\":[[],[\"" + s + "\"]]}";
        expected.push_back(Value(Object{{s + "x", Value(s)},
                                        {"items", Value(items)},
                                        {"nested", Value(Array{Value(Array{}), Value(Array{Value(s)})})}}));
    }
    text += "]";
    Value const tree = parse(text);
    ASSERT_EQ(tree, Value(expected));
    for (Value const& element : tree.asArray()) {
        for (auto const& [key, value] : element.asObject()) {
            EXPECT_EQ(key.c_str()[key.size()], '\0');
            if (value.isString()) {
                std::string const& s = value.asString();
                EXPECT_EQ(s.c_str()[s.size()], '\0');
                EXPECT_GE(s.capacity(), s.size());
                std::string grown = s; // a copy is the caller's own, to change at will
                grown += "!";
                EXPECT_EQ(grown.substr(0, s.size()), s);
            }
        }
    }
#if defined(__GLIBCXX__) && _GLIBCXX_USE_CXX11_ABI
    // Here the tree's strings and arrays lie in its own memory: the layout check must pass.
    EXPECT_TRUE(detail::ArenaStorage::available());
#endif
    // A library whose layout is not checked keeps them on the heap: the same tree, which
    // outlives its converter.
    simdjson::dom::parser dom;
    simdjson::padded_string const padded(text);
    ASSERT_EQ(dom.parse(padded).error(), simdjson::SUCCESS);
    Value onHeap;
    {
        detail::Converter converter(std::make_shared<detail::BlockPool>(4096), false);
        onHeap = converter.convert(detail::Tape(dom.doc), detail::Tape::kRoot);
    }
    EXPECT_EQ(onHeap, tree);
    EXPECT_EQ(onHeap.asArray()[8]["items"].size(), 4097u % 600);
    Array copied = tree.asArray()[8]["items"].asArray();
    copied.push_back(Value("more"));
    EXPECT_EQ(copied.size(), 4097u % 600 + 1);
    EXPECT_EQ(tree.asArray()[8]["items"].size(), 4097u % 600);
}

// A large text has the pages of the parser's buffers (and its own) mapped on a second core
// while the parse writes them: every value must come out as written, near the start, in the
// middle and at the end, and an error late in such a text is still found where it is.
TEST(Parser, ALargeTextReadsTheSameWhileItsPagesAreMappedAhead) {
    std::string text = "[";
    int const n = 60000;
    for (int i = 0; i < n; ++i) {
        text += (i ? "," : "") + std::string(R"({"className":"RichTextNode","n":)") + std::to_string(i) +
                R"(,"text":"run )" + std::to_string(i) + std::string(40 + i % 50, 'x') + R"(","bold":true})";
    }
    text += "]";
    ASSERT_GT(text.size(), std::size_t(6) << 20);
    Parser parser;
    for (int round = 0; round < 2; ++round) { // fresh buffers, then the same ones again
        Value const tree = parser.parse(text);
        ASSERT_EQ(tree.size(), std::size_t(n));
        for (int i = 0; i < n; i += 997) {
            Value const& element = tree.asArray()[static_cast<std::size_t>(i)];
            EXPECT_EQ(element["n"].asDouble(), i);
            EXPECT_EQ(element["text"].asString(), "run " + std::to_string(i) + std::string(40 + i % 50, 'x'));
        }
        EXPECT_EQ(tree.asArray().back()["n"].asDouble(), n - 1);
    }
    std::string broken = text;
    broken[broken.size() - 3] = ','; // `true,}` near the very end
    try {
        (void)parser.parse(broken);
        ADD_FAILURE() << "no error";
    } catch (ParseError const& e) {
        EXPECT_EQ(e.line(), 1u);
        EXPECT_GE(e.column(), broken.size() - 5);
    }
}
