#include <foundation/json/Object.hpp>
#include <foundation/json/Parser.hpp>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace foundation::json;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

// The document's first element, as the streams hand it out.
Value firstStreamed(std::string const& text, bool releasing) {
    Parser parser;
    std::string copy = text;
    ElementStream stream = releasing ? parser.streamAndRelease(std::move(copy)) : parser.stream(text);
    Value element;
    EXPECT_TRUE(stream.next(element));
    return element;
}

} // namespace

TEST(TextNotes, KeysGivenTwiceAreNamedOncePerObject) {
    std::string const text = R"([{"className":"A","b":{"c":1,"c":2,"c":3,"d":0},"className":"B","e":[{"f":1,"f":2}]}])";
    for (int way = 0; way < 3; ++way) {
        Value const element = way == 0 ? parse(text).asArray()[0] : firstStreamed(text, way == 2);
        EXPECT_TRUE(element.hasTextNotes()) << way;
        EXPECT_THAT(element.duplicateKeys(), ElementsAre("className")) << way;
        EXPECT_EQ(element["className"].asString(), "B");
        EXPECT_THAT(element["b"].duplicateKeys(), ElementsAre("c"));
        EXPECT_EQ(element["b"]["c"].asDouble(), 3.0);
        EXPECT_THAT(element["e"].asArray()[0].duplicateKeys(), ElementsAre("f"));
        EXPECT_THAT(element["e"].duplicateKeys(), IsEmpty());
    }
    // Without any, nothing is noted; objects made otherwise than by the parser have none.
    EXPECT_FALSE(parse(R"({"a":{"b":1},"c":[1e-300]})").hasTextNotes());
    Value const made(Object{{"a", Value(1.0)}, {"a", Value(2.0)}});
    EXPECT_FALSE(made.hasTextNotes());
    EXPECT_THAT(made.duplicateKeys(), IsEmpty());
}

TEST(TextNotes, NumbersTooSmallForADoubleKeepHowTheyWereWritten) {
    std::string const text =
        R"([[1e-400, 0.0, -0e-999, 5e-324, 0.00000000000000000000000000000000000000000000000000000e-300],)"
        R"( {"w":-2.5E-999, "s":"1e-400", "k":1e-400, "k":0.0, "l":0.0, "l":1e-330}])";
    for (int way = 0; way < 3; ++way) {
        Value const tree = way == 0 ? parse(text) : firstStreamed(text, way == 2);
        Value const& numbers = way == 0 ? tree.asArray()[0] : tree;
        Array const& a = numbers.asArray();
        ASSERT_TRUE(tree.hasTextNotes()) << way;
        EXPECT_EQ(tree.writtenAs(a[0]), "1e-400") << way;
        EXPECT_EQ(a[0].asDouble(), 0.0);
        // Zeros written as zeros, and the smallest double, are held as written.
        for (std::size_t i = 1; i < a.size(); ++i) {
            EXPECT_EQ(tree.writtenAs(a[i]), "") << way << " " << i;
        }
    }
    Value const tree = parse(text);
    Value const& object = tree.asArray()[1];
    EXPECT_EQ(tree.writtenAs(object["w"]), "-2.5E-999");
    EXPECT_EQ(object.writtenAs(object["w"]), "-2.5E-999"); // any value of the tree finds it
    EXPECT_EQ(tree.writtenAs(object["s"]), "");
    // Of a key given twice, only the value kept counts.
    EXPECT_EQ(tree.writtenAs(object["k"]), "");
    EXPECT_EQ(tree.writtenAs(object["l"]), "1e-330");
}

TEST(TextNotes, ALargeArrayParsedInTwoPartsKeepsTheNotesOfEach) {
    std::string text = "[\n";
    for (int i = 0; i < 50000; ++i) {
        text += i == 5       ? R"({"a":1e-400,"a":2},)"
                : i == 45000 ? R"({"z":[7e-999]},)"
                             : R"({"text":"some words here"},)";
        text += "\n";
    }
    text += "{}]";
    Parser parser;
    std::string writable = text;
    ElementStream stream = parser.streamAndRelease(WritableText{writable.data(), writable.size()});
    ASSERT_EQ(stream.parts(), 2u);
    Value element;
    std::vector<std::string> notes;
    for (std::size_t i = 0; stream.next(element); ++i) {
        if (!element.hasTextNotes()) {
            continue;
        }
        for (auto const key : element.duplicateKeys()) {
            notes.push_back(std::to_string(i) + " key " + std::string(key));
        }
        if (element.hasOwnProperty("z")) {
            notes.push_back(std::to_string(i) + " number " + std::string(element.writtenAs(element["z"].asArray()[0])));
        }
    }
    EXPECT_THAT(notes, ElementsAre("5 key a", "45000 number 7e-999"));
}
