#include <foundation/json/Parser.hpp>
#include <foundation/json/ReadAheadStream.hpp>

#include "ArrayCut.hpp"
#include "ElementStreamImpl.hpp"

#include <foundation/memory/Pages.hpp>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include <sys/mman.h>

using namespace foundation::json;

namespace {

// Entries of every kind the tape knows, long and short strings, escapes, numbers of all
// three simdjson kinds, nesting, and objects with keys out of order and duplicated.
std::string entry(std::size_t i) {
    std::string const n = std::to_string(i);
    switch (i % 6) {
    case 0:
        return R"({"className":"RichTextNode","text":"run )" + n +
               R"( with \"quotes\" and \u00e9","formatting":{"bold":true}})";
    case 1:
        return R"({"b":)" + n + R"(,"a":-)" + n +
               R"(.5,"big":18446744073709551615,"neg":-9223372036854775807,"b":null})";
    case 2:
        return R"(["a long string well past the length of any short-string optimisation, number )" + n +
               R"(",[[],{}],false,)" + n + ",2522015791327477744]"; // its bits start with the byte of '"'
    case 3: return R"("just a string )" + n + R"(")";
    case 4: return n + ".25e1";
    default:
        return R"({"className":"TableNode","children":[{"className":"TableRowNode","children":[{"id":")" + n +
               R"("}]}]})";
    }
}

std::string document(std::size_t entries) {
    std::string text = "[";
    for (std::size_t i = 0; i < entries; ++i) {
        text += i == 0 ? "\n" : ",\n";
        text += entry(i);
    }
    return text + "\n]";
}

std::vector<Value> drain(ElementStream& stream) {
    std::vector<Value> out;
    Value element;
    while (stream.next(element)) {
        out.push_back(element);
    }
    return out;
}

} // namespace

TEST(ElementStream, HandsOutWhatAWholeParseGivesAcrossReleasedPages) {
    std::string const text = document(60000); // several MiB: many batches of released pages
    ASSERT_GT(text.size(), std::size_t(4) << 20);
    Array const whole = parse(text).asArray();

    Parser parser;
    ElementStream warm = parser.stream(text);
    EXPECT_EQ(warm.documentKind(), Kind::Array);
    EXPECT_EQ(warm.size(), whole.size());
    std::vector<Value> const fromWarm = drain(warm);
    EXPECT_EQ(warm.releasedBytes(), 0u); // the parser keeps its buffers for the next document

    std::string copy = text;
    ElementStream released = Parser().streamAndRelease(std::move(copy));
    std::vector<Value> const fromReleased = drain(released);
    EXPECT_GT(released.releasedBytes(), text.size() / 4);
    EXPECT_EQ(released.position(), whole.size());
    EXPECT_EQ(released.parts(), 2u); // its own text: written into, parsed in two parts at once

    ASSERT_EQ(fromWarm.size(), whole.size());
    ASSERT_EQ(fromReleased.size(), whole.size());
    for (std::size_t i = 0; i < whole.size(); ++i) {
        ASSERT_EQ(fromWarm[i], whole[i]) << "entry " << i;
        ASSERT_EQ(fromReleased[i], whole[i]) << "entry " << i;
    }
    Value after;
    EXPECT_FALSE(released.next(after));
}

TEST(ElementStream, DocumentsThatAreNoArrayAreOneElement) {
    Parser parser;
    for (std::string const text : {R"({"className":"HeadingNode","level":2})", R"("text")", "null", "7"}) {
        std::string owned = text;
        ElementStream stream = parser.streamAndRelease(std::move(owned));
        EXPECT_EQ(stream.size(), 1u) << text;
        std::vector<Value> const got = drain(stream);
        ASSERT_EQ(got.size(), 1u) << text;
        EXPECT_EQ(got[0], parse(text)) << text;
        EXPECT_EQ(stream.documentKind(), parse(text).kind()) << text;
    }
    ElementStream empty = parser.stream(" [ ] ");
    EXPECT_EQ(empty.size(), 0u);
    EXPECT_TRUE(drain(empty).empty());
}

TEST(ElementStream, MalformedTextFailsBeforeAnyElement) {
    // The error sits after many good entries: nothing of them is handed out first.
    std::string const text = document(50) + "\n,";
    Parser parser;
    try {
        (void)parser.stream(text);
        FAIL() << "no error";
    } catch (ParseError const& e) {
        EXPECT_EQ(e.line(), 53u);
    }
    std::string big = "[1, 123456789012345678901234567890, {\"x\": [2]}]";
    ElementStream stream = parser.streamAndRelease(std::move(big));
    std::vector<Value> const got = drain(stream);
    ASSERT_EQ(got.size(), 3u);
    EXPECT_DOUBLE_EQ(got[1].asDouble(), 1.2345678901234568e29);
    EXPECT_EQ(got[2]["x"].asArray()[0].asDouble(), 2.0);
}

TEST(ElementStream, OutlivesNothingItNeedsAndSharesNoBuffersWithLaterParses) {
    std::vector<Value> kept;
    std::optional<ElementStream> stream;
    {
        Parser parser;
        stream.emplace(parser.stream(document(2000)));
        Value element;
        ASSERT_TRUE(stream->next(element));
        kept.push_back(element);
        // A parse while the stream lives must not overwrite what the stream still reads.
        Value const other = parser.parse(document(3000));
        EXPECT_EQ(other.size(), 3000u);
        ElementStream second = parser.stream("[1,2]");
        EXPECT_EQ(drain(second).size(), 2u);
    } // the parser goes; the stream keeps the buffers it reads
    std::vector<Value> rest = drain(*stream);
    kept.insert(kept.end(), rest.begin(), rest.end());
    stream.reset();
    Array const expected = parse(document(2000)).asArray();
    ASSERT_EQ(kept.size(), expected.size());
    for (std::size_t i = 0; i < kept.size(); ++i) {
        ASSERT_EQ(kept[i], expected[i]) << "entry " << i;
    }
}

namespace {

std::string indented(std::size_t entries) {
    // Pretty-printed: line breaks after commas inside the entries too, indented further.
    std::string text = "[\n";
    for (std::size_t i = 0; i < entries; ++i) {
        text += i == 0 ? "" : ",\n";
        text += "  {\n    \"className\": \"ListNode\",\n    \"children\": [\n      {\"text\": \"item " +
                std::to_string(i) + ", first\"},\n      {\"text\": \"second\"}\n    ]\n  }";
    }
    return text + "\n]\n";
}

void expectSameElements(std::vector<Value> const& got, std::string const& text) {
    Array const whole = parse(text).asArray();
    ASSERT_EQ(got.size(), whole.size());
    for (std::size_t i = 0; i < got.size(); ++i) {
        ASSERT_EQ(got[i], whole[i]) << "entry " << i;
    }
}

} // namespace

namespace {

// One large element: 4.5 MB of strings over 1.6 MB of tape, then pages of numbers, so that its
// last string's tape word lies pages before the element's end, in tape that gets released.
std::string oneLargeElement(std::size_t& stringBytes) {
    std::string text = R"({"className":"ListNode","children":[)";
    stringBytes = 0;
    for (std::size_t i = 0; i < 200000; ++i) {
        std::string const item = "item " + std::to_string(i) + " of the list";
        text += (i == 0 ? "\"" : ",\"") + item + "\"";
        stringBytes += item.size();
    }
    text += "],\"widths\":[";
    for (std::size_t i = 0; i < 2000; ++i) {
        text += i == 0 ? "0.5" : ",0.5";
    }
    return text + "]}";
}

} // namespace

// A stream of one large element gives back its strings and tape before the element is built,
// whether the element is an array's only entry or the document itself.
TEST(ElementStream, OneLargeElementLetsItsParseGoOnceConverted) {
    std::size_t stringBytes = 0;
    std::string const element = oneLargeElement(stringBytes);
    for (std::string const& text : {"[" + element + "]", element}) {
        ElementStream stream = Parser().streamAndRelease(std::string(text));
        Value got;
        ASSERT_TRUE(stream.next(got));
        EXPECT_GT(stream.releasedBytes(), stringBytes) << text.substr(0, 1);
        EXPECT_EQ(got, text[0] == '[' ? parse(text).asArray()[0] : parse(text));
        EXPECT_FALSE(stream.next(got));
    }
}

// The tape pages released behind an element stay released: finding the element's last string
// must not read them again.
TEST(StreamRelease, PassingAnElementLeavesItsTapePagesUnmapped) {
    std::size_t stringBytes = 0;
    std::string const text = "[" + oneLargeElement(stringBytes) + ",7]";
    simdjson::dom::parser parser;
    simdjson::dom::element root;
    ASSERT_EQ(parser.parse(text).get(root), simdjson::SUCCESS);
    detail::Tape const tape(parser.doc);
    detail::StreamRelease release(tape, detail::Tape::kRoot + 1);
    std::size_t const next = tape.after(detail::Tape::kRoot + 1);
    release.passed(next, false);
    EXPECT_GT(release.released(), stringBytes);

    auto const page = static_cast<std::uintptr_t>(foundation::memory::pageSize());
    auto const from = (reinterpret_cast<std::uintptr_t>(tape.words() + 2) + page - 1) / page * page;
    auto const to = reinterpret_cast<std::uintptr_t>(tape.words() + next) / page * page;
    ASSERT_GT(to, from + (std::uintptr_t(1) << 20));
    std::vector<unsigned char> resident((to - from) / page);
    ASSERT_EQ(mincore(reinterpret_cast<void*>(from), to - from, resident.data()), 0);
    EXPECT_EQ(std::count_if(resident.begin(), resident.end(), [](unsigned char r) { return r & 1; }), 0);
}

TEST(ElementStream, WritableTextIsParsedInTwoPartsAndLeftAsItWas) {
    for (std::string const& original : {document(40000), indented(20000), "\xEF\xBB\xBF" + document(40000)}) {
        ASSERT_GT(original.size(), std::size_t(2) << 20);
        std::string text = original;
        Parser parser;
        for (int round = 0; round < 2; ++round) { // warm buffers the second time
            ElementStream stream = parser.stream(WritableText{text.data(), text.size()});
            EXPECT_EQ(stream.parts(), 2u);
            EXPECT_EQ(stream.size(), parse(original).size());
            EXPECT_EQ(text, original);
            expectSameElements(drain(stream), original);
        }
        ElementStream released = parser.streamAndRelease(WritableText{text.data(), text.size()});
        EXPECT_EQ(released.parts(), 2u);
        expectSameElements(drain(released), original);
        EXPECT_GT(released.releasedBytes(), 0u);
        EXPECT_EQ(text, original);
    }
}

TEST(ElementStream, ACutThatIsNoTopLevelCommaFallsBackToOneParse) {
    // The first entry a long run of lines, well past the middle and the window after it:
    // every comma there is inside it.
    std::string inner;
    for (int i = 0; i < 400000; ++i) {
        inner += (i == 0 ? "\n    " : ",\n    ") + std::to_string(i);
    }
    std::string const original = "[\n  [" + inner + "\n  ],\n  [1,\n    2]\n]";
    ASSERT_NE(detail::ArrayCut::find(original, kPadding + 1), detail::ArrayCut::npos);
    std::string text = original;
    ElementStream stream = Parser().stream(WritableText{text.data(), text.size()});
    EXPECT_EQ(stream.parts(), 1u);
    EXPECT_EQ(text, original);
    expectSameElements(drain(stream), original);

    // An integer beyond 64 bits in one half fails that half's parse; the whole parse reads it
    // as a double, as it always has.
    std::string big = document(40000);
    big.insert(big.size() - 2, ",\n123456789012345678901234567890");
    std::string const bigOriginal = big;
    ElementStream widened = Parser().stream(WritableText{big.data(), big.size()});
    EXPECT_EQ(widened.parts(), 1u);
    EXPECT_EQ(big, bigOriginal);
    std::vector<Value> const got = drain(widened);
    ASSERT_EQ(got.size(), 40001u);
    EXPECT_DOUBLE_EQ(got.back().asDouble(), 1.2345678901234568e29);

    // Without a line break after a comma (minified text) nothing is cut.
    std::string minified = "[" + std::string(std::size_t(2) << 20, ' ') + "1,2]";
    EXPECT_EQ(Parser().stream(WritableText{minified.data(), minified.size()}).parts(), 1u);
}

TEST(ElementStream, StrayCommasAtTheCutAreReportedAsWithoutCutting) {
    std::string const big = "\"" + std::string(std::size_t(3) << 19, 'x') + "\"";
    std::string const blank(std::size_t(2) << 20, ' '); // longer than the string: the comma is past the middle
    // Each part alone is a good array: a trailing comma leaves the second empty, a leading
    // one the first, and a doubled one is caught by either part.
    for (std::string const& original :
         {"[" + big + ",\n" + std::string(200, ' ') + "]", "[" + blank + ",\n" + big + "]",
          document(20000).insert(document(20000).size() / 2 + 200, ",\n,\n")}) {
        std::optional<std::pair<std::size_t, std::size_t>> expected;
        try {
            (void)Parser().stream(original);
        } catch (ParseError const& e) {
            expected.emplace(e.line(), e.column());
        }
        ASSERT_TRUE(expected.has_value()) << original.substr(0, 40);
        std::string text = original;
        try {
            (void)Parser().stream(WritableText{text.data(), text.size()});
            ADD_FAILURE() << "no error for " << original.substr(0, 40);
        } catch (ParseError const& e) {
            EXPECT_EQ(std::make_pair(e.line(), e.column()), *expected);
        }
        EXPECT_EQ(text, original);
    }
}

TEST(ArrayCut, TakesTheLeastIndentedLineBreakAfterACommaPastTheMiddle) {
    std::string const text = "[\n" + std::string(100, ' ') + "[1,\n    2],\n  [3,\n    4],\n  5\n]";
    std::size_t const cut = detail::ArrayCut::find(text, 2);
    ASSERT_NE(cut, detail::ArrayCut::npos);
    EXPECT_EQ(text.substr(cut - 2, 4), "2],\n");
    EXPECT_EQ(detail::ArrayCut::find("{\"a\": [1,\n2,\n3]}", 1), detail::ArrayCut::npos); // no array at the root
    EXPECT_EQ(detail::ArrayCut::find("[1,\n2]", 64), detail::ArrayCut::npos); // too short to leave the room asked
}

// Reading ahead on a second thread must change nothing but the timing: the same elements in
// the same order, whatever the window, and elements kept stay whole once the reader is gone.
TEST(ReadAheadStreamThreads, HandsOutTheStreamsElementsInOrder) {
    std::string const text = document(20000);
    Array const whole = parse(text).asArray();
    for (std::size_t window : {std::size_t(1), std::size_t(64), std::size_t(100000)}) {
        SCOPED_TRACE(window);
        Parser parser;
        ElementStream stream = parser.streamAndRelease(std::string(text));
        std::vector<Value> got;
        {
            ReadAheadStream<> ahead(stream, window);
            Value element;
            while (ahead.next(element)) {
                got.push_back(element);
            }
            EXPECT_FALSE(ahead.next(element));
        }
        ASSERT_EQ(got.size(), whole.size());
        for (std::size_t i = 0; i < got.size(); ++i) {
            ASSERT_EQ(got[i], whole[i]) << "element " << i;
        }
    }
}

TEST(ReadAheadStreamThreads, StoppingEarlyEndsTheReaderAndLetsTheRestGo) {
    std::string const text = document(5000);
    Array const whole = parse(text).asArray();
    for (std::size_t stopAfter : {std::size_t(0), std::size_t(1), std::size_t(33), std::size_t(4000)}) {
        Parser parser;
        ElementStream stream = parser.stream(text);
        Value kept;
        {
            ReadAheadStream<> ahead(stream, 64); // a small window: the reader waits for room when we stop
            Value element;
            for (std::size_t i = 0; i < stopAfter && ahead.next(element); ++i) {
                kept = element;
            }
        }
        if (stopAfter > 0) {
            EXPECT_EQ(kept, whole[stopAfter - 1]);
        }
        EXPECT_LE(stream.position(), stream.size());
    }
}

// The per-element step runs on the converting thread while it is ahead and on the caller's
// while it is behind; either way each element comes with its own result, in order, and a step
// that fails reaches the caller at that element.
TEST(ReadAheadStreamThreads, PreparedWorkFollowsItsElementOnWhicheverThreadRanIt) {
    std::string const text = document(3000);
    std::thread::id const caller = std::this_thread::get_id();
    for (bool const slowCaller : {false, true}) {
        SCOPED_TRACE(slowCaller);
        Parser parser;
        ElementStream stream = parser.stream(text);
        std::atomic<std::size_t> index{0};
        std::atomic<std::size_t> onCaller{0};
        std::atomic<std::size_t> onReader{0};
        ReadAheadStream<std::optional<Value>> ahead(stream, 256, [&](Value const& element) {
            (std::this_thread::get_id() == caller ? onCaller : onReader)++;
            if (!slowCaller && index % 7 == 0) {
                std::this_thread::sleep_for(std::chrono::microseconds(100)); // the reader falls behind
            }
            ++index;
            return std::optional<Value>(element);
        });
        Value element;
        std::optional<Value> prepared;
        std::size_t taken = 0;
        while (ahead.next(element, prepared)) {
            ASSERT_TRUE(prepared.has_value()) << taken;
            ASSERT_EQ(*prepared, element) << taken;
            if (slowCaller && taken % 7 == 0) {
                std::this_thread::sleep_for(std::chrono::microseconds(100)); // the reader gets ahead
            }
            ++taken;
        }
        EXPECT_EQ(taken, 3000u);
        EXPECT_EQ(onCaller + onReader, 3000u);
        EXPECT_GT(onCaller, 0u); // the first batch at least: nothing is queued yet
        if (slowCaller) {
            EXPECT_GT(onReader, onCaller);
        }
    }
    Parser parser;
    ElementStream stream = parser.stream(text);
    Value const failAt = parse(text).asArray()[39];
    ReadAheadStream<int> failing(stream, 64, [&](Value const& element) {
        if (element == failAt) {
            throw std::runtime_error("prepare failed");
        }
        return 0;
    });
    Value element;
    std::size_t taken = 0;
    try {
        while (failing.next(element)) {
            ++taken;
        }
        ADD_FAILURE() << "no error";
    } catch (std::runtime_error const& e) {
        EXPECT_STREQ(e.what(), "prepare failed");
        EXPECT_LE(taken, 39u); // never the failed element, nor any after it
    }
}

// A host that keeps its second core for something else turns reading ahead off: then every
// step runs on the caller's thread. Either way each element comes once, in order, with its own
// step's result.
TEST(ReadAheadStreamThreads, ForEachElementStaysOnTheCallersThreadWhenTurnedOff) {
    std::string const text = document(2000);
    Array const whole = parse(text).asArray();
    std::thread::id const caller = std::this_thread::get_id();
    for (ReadAhead const readAhead : {ReadAhead::Off, ReadAhead::WherePays}) {
        SCOPED_TRACE(readAhead == ReadAhead::Off ? "off" : "where it pays");
        Parser parser;
        ElementStream stream = parser.stream(text);
        std::atomic<std::size_t> elsewhere{0};
        std::size_t taken = 0;
        forEachElement(
            stream, readAhead,
            [&](Value const& element) {
                if (std::this_thread::get_id() != caller) {
                    ++elsewhere;
                }
                return std::optional<Value>(element);
            },
            [&](Value const& element, std::optional<Value> const& prepared) {
                ASSERT_LT(taken, whole.size());
                EXPECT_EQ(element, whole[taken]) << taken;
                EXPECT_TRUE(prepared.has_value() && *prepared == element) << taken;
                if (taken % 7 == 0) {
                    std::this_thread::sleep_for(std::chrono::microseconds(100)); // the reader gets ahead
                }
                ++taken;
            });
        EXPECT_EQ(taken, whole.size());
        if (readAhead == ReadAhead::Off) {
            EXPECT_EQ(elsewhere, 0u);
        } else if (std::thread::hardware_concurrency() > 1) {
            EXPECT_GT(elsewhere, 0u);
        }
    }
}
