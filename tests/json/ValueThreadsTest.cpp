#include <foundation/json/Parser.hpp>

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

using namespace foundation::json;

// Values of one parsed tree are let go on many threads at once, the tree's own handle among
// them: whichever goes last frees the tree's memory, and nothing is freed while still read
// (the sanitizer builds check both).
TEST(ValueThreads, PartsOfOneTreeGoOnManyThreads) {
    std::string text = "[";
    for (int i = 0; i < 4000; ++i) {
        text += (i ? "," : "") +
                std::string(R"({"className":"RichTextNode","text":"a text long enough for the heap )") +
                std::to_string(i) + R"(","children":[{"n":)" + std::to_string(i) + "}]}";
    }
    text += "]";
    constexpr int kThreads = 4;
    std::atomic<long> sum{0};
    std::vector<std::thread> threads;
    {
        Parser parser;
        Value const tree = parser.parse(text);
        for (int t = 0; t < kThreads; ++t) {
            std::vector<Value> mine;
            for (std::size_t i = static_cast<std::size_t>(t); i < tree.size(); i += kThreads) {
                mine.push_back(tree.asArray()[i]);
            }
            threads.emplace_back([&sum, mine = std::move(mine)]() mutable {
                long local = 0;
                for (Value const& element : mine) {
                    local += static_cast<long>(element["children"].asArray()[0]["n"].asDouble());
                    local += static_cast<long>(element["text"].asString().size() > 30);
                }
                mine.clear(); // the last of these may end the tree
                sum += local;
            });
        }
    } // the tree's handle and the parser go while the threads still read
    for (auto& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(sum.load(), 4000L * 3999 / 2 + 4000);
}
