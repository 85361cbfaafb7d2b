// The registries hand builders out from per-thread copies; a copy must be the listed object,
// counted apart from the list, and gone with the registry.
#include "shared/ThreadCopies.hpp"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

namespace {

using richmarkup::build::json::ThreadCopies;

struct Builder {
    int id;
};

TEST(ThreadCopies, HandsOutTheListedObjectsCountedApartAndReleasesThemWithItself) {
    std::vector<std::shared_ptr<Builder>> list{std::make_shared<Builder>(Builder{1}),
                                               std::make_shared<Builder>(Builder{2})};
    std::weak_ptr<Builder> const watched = list[1];
    auto copies = std::make_unique<ThreadCopies<Builder>>();

    auto first = copies->copyOf(list, 1);
    EXPECT_EQ(first.get(), list[1].get());
    long const listed = list[1].use_count();
    std::vector<std::shared_ptr<Builder>> held;
    for (int i = 0; i < 50; ++i) {
        held.push_back(copies->copyOf(list, 1));
    }
    EXPECT_EQ(list[1].use_count(), listed) << "handing out must not count on the listed pointer";

    std::atomic<int> wrong{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 8; ++t) {
        threads.emplace_back([&] {
            for (int i = 0; i < 2000; ++i) {
                auto const builder = copies->copyOf(list, static_cast<std::size_t>(i % 2));
                if (builder->id != i % 2 + 1) {
                    ++wrong;
                }
            }
        });
    }
    for (auto& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(wrong.load(), 0);

    // The registry's end: its list and copies go; what a caller still holds stays valid.
    list.clear();
    copies.reset();
    EXPECT_FALSE(watched.expired()) << "a caller's pointer keeps its builder";
    EXPECT_EQ(first->id, 2);
    held.clear();
    EXPECT_FALSE(watched.expired());
}

TEST(ThreadCopies, NothingOutlivesTheRegistryAndItsCallers) {
    std::weak_ptr<Builder> watched;
    {
        std::vector<std::shared_ptr<Builder>> list{std::make_shared<Builder>(Builder{7})};
        watched = list[0];
        ThreadCopies<Builder> copies;
        std::thread([&] { EXPECT_EQ(copies.copyOf(list, 0)->id, 7); }).join();
        EXPECT_EQ(copies.copyOf(list, 0)->id, 7);
    }
    EXPECT_TRUE(watched.expired()) << "a copy outlived its registry";
}

} // namespace
