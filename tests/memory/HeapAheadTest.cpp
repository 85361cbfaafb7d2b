#include "HeapAhead.hpp"

#include <gtest/gtest.h>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include <algorithm>
#include <atomic>
#include <cstring>
#include <memory>
#include <thread>
#include <vector>

namespace richmarkup::host {
namespace {

// The heap's top is mapped from a second thread while this one fills it, in the large steps the
// tool has glibc take: that must change no byte of what either thread wrote.
TEST(HeapAheadTest, MappingTheHeapTopAheadChangesNoByte) {
#if defined(__GLIBC__)
    mallopt(M_TOP_PAD, 4 << 20);
#endif
    HeapAhead heap;
    std::atomic<bool> done{false};
    std::thread ahead([&] {
        while (!done.load()) {
            heap.step();
        }
    });
    constexpr std::size_t kBlock = 16000; // below the mmap threshold: from the heap
    std::vector<std::unique_ptr<unsigned char[]>> blocks;
    for (std::size_t i = 0; i < 2500; ++i) {
        blocks.emplace_back(new unsigned char[kBlock]);
        std::memset(blocks.back().get(), static_cast<int>(i % 251), kBlock);
        heap.step();
    }
    done = true;
    ahead.join();
    for (std::size_t i = 0; i < blocks.size(); ++i) {
        unsigned char const* block = blocks[i].get();
        ASSERT_TRUE(std::all_of(block, block + kBlock, [&](unsigned char c) { return c == i % 251; })) << i;
    }
}

} // namespace
} // namespace richmarkup::host
