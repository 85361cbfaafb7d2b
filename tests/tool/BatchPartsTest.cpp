// The parts of batch conversion: ordered parallel work, line reading, the progress line.
#include "LineReader.hpp"
#include "OrderedWork.hpp"
#include "Progress.hpp"
#include "ToolRunner.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <random>
#include <sstream>
#include <stdexcept>
#include <thread>
#include <vector>

namespace richmarkup::tool::test {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

// Jobs of random lengths finish out of order; results must come back in order, and no more
// than the window may be given and not yet handed back.
TEST(OrderedWorkThreads, HandsResultsBackInOrderWithinTheWindow) {
    for (std::size_t threads : {std::size_t(1), std::size_t(4)}) {
        std::vector<int> delivered;
        std::atomic<int> open{0};
        int mostOpen = 0;
        std::size_t const window = 8;
        {
            OrderedWork<int> work(threads, window, [&](int& value) {
                delivered.push_back(value);
                --open;
            });
            std::mt19937 random(7);
            for (int i = 0; i < 300; ++i) {
                int const micros = static_cast<int>(random() % 300);
                ++open;
                mostOpen = std::max(mostOpen, open.load());
                work.submit([i, micros] {
                    std::this_thread::sleep_for(std::chrono::microseconds(micros));
                    return i;
                });
            }
            work.finish();
        }
        ASSERT_EQ(delivered.size(), 300u);
        for (int i = 0; i < 300; ++i) {
            ASSERT_EQ(delivered[static_cast<std::size_t>(i)], i);
        }
        EXPECT_LE(mostOpen, static_cast<int>(window) + 1) << threads << " threads";
    }
}

TEST(OrderedWorkThreads, AJobThatThrowsEndsTheWorkInItsPlace) {
    std::vector<int> delivered;
    auto run = [&] {
        OrderedWork<int> work(3, 6, [&](int& value) { delivered.push_back(value); });
        for (int i = 0; i < 50; ++i) {
            work.submit([i]() -> int {
                if (i == 20) {
                    throw std::runtime_error("job 20");
                }
                return i;
            });
        }
        work.finish();
    };
    EXPECT_THROW(run(), std::runtime_error);
    ASSERT_EQ(delivered.size(), 20u); // everything before the failed job, nothing after
    EXPECT_EQ(delivered.back(), 19);
}

std::vector<std::string> readLines(std::string const& path) {
    LineReader reader(path);
    std::vector<std::string> lines;
    std::string line;
    std::size_t number = 0;
    while (reader.next(line, number)) {
        EXPECT_EQ(number, lines.size() + 1);
        lines.push_back(line);
    }
    return lines;
}

TEST(LineReaderTest, EndsOfLinesAndLongLines) {
    ToolRunner runner;
    EXPECT_THAT(readLines(runner.file("a", "one\r\ntwo\n\nlast")), ElementsAre("one", "two", "", "last"));
    EXPECT_THAT(readLines(runner.file("b", "")), ElementsAre());
    EXPECT_THAT(readLines(runner.file("c", "\n")), ElementsAre(""));
    // Lines across the reader's pieces, one longer than a piece.
    std::string const longLine = "[" + std::string(3 << 20, 'x');
    std::string const shortLine(1000, 'y');
    std::string text;
    for (int i = 0; i < 3000; ++i) {
        text += shortLine + "\n";
    }
    text += longLine + "\n" + shortLine;
    std::vector<std::string> const lines = readLines(runner.file("d", text));
    ASSERT_EQ(lines.size(), 3002u);
    EXPECT_EQ(lines[2999], shortLine);
    EXPECT_EQ(lines[3000], longLine);
    EXPECT_EQ(lines[3001], shortLine);
    EXPECT_THROW(LineReader(runner.directory().string()), std::runtime_error);

    // A long line no JSON starts like is given by its opening and read past, not kept.
    std::string const hopeless = "  " + std::string(3 << 20, 'x');
    LineReader reader(runner.file("e", hopeless + "\n" + shortLine + "\n"));
    std::string line;
    std::size_t number = 0;
    ASSERT_TRUE(reader.next(line, number));
    EXPECT_TRUE(reader.cut());
    EXPECT_EQ(number, 1u);
    EXPECT_EQ(line, hopeless.substr(0, 4096));
    ASSERT_TRUE(reader.next(line, number));
    EXPECT_FALSE(reader.cut());
    EXPECT_EQ(number, 2u);
    EXPECT_EQ(line, shortLine);
    EXPECT_FALSE(reader.next(line, number));
}

TEST(ProgressTest, DrawsOnATerminalAfterItsDelayAndClearsForMessages) {
    using namespace std::chrono;
    steady_clock::time_point now{};
    auto const clock = [&] { return now; };
    std::ostringstream off;
    {
        Progress silent(off, false, clock);
        now += seconds(5);
        silent.done(false);
    }
    EXPECT_EQ(off.str(), "");

    std::ostringstream err;
    Progress progress(err, true, clock, milliseconds(1000), milliseconds(250));
    progress.done(false);
    EXPECT_EQ(err.str(), ""); // a short run shows nothing
    now += milliseconds(2000);
    progress.done(true);
    EXPECT_THAT(err.str(), HasSubstr("2 documents, 1/s, 1 failed"));
    err.str("");
    now += milliseconds(100);
    progress.done(false);
    EXPECT_EQ(err.str(), ""); // not again before the interval
    progress.clear();
    EXPECT_EQ(err.str(), "\r\033[K");
}

} // namespace
} // namespace richmarkup::tool::test
