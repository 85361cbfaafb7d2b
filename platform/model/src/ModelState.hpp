#pragma once

#include <vx/zero/Model.hpp>
#include <vx/zero/ModelElement.hpp>

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <memory>
#include <vector>

namespace vx::zero::detail {

/// A model's blocks and bookkeeping. It lives as long as the model, or, when elements still
/// have handles at the model's end, until the last of them ends.
struct ModelState {
    // Blocks grow from small (a model often holds a handful of nodes) to large (a big
    // document needs few blocks), doubling each time.
    static constexpr std::size_t firstBlockSize = 8 * 1024;
    static constexpr std::size_t largestBlockSize = 1024 * 1024;

    explicit ModelState(Model const& owner) noexcept : model(&owner) {}

    void* allocate(std::size_t size, std::size_t alignment) {
        if (void* place = std::align(alignment, size, cursor, left)) {
            return take(place, size);
        }
        std::size_t blockSize = std::max(nextBlockSize, size + alignment);
        if (spare && largestBlockSize >= blockSize) {
            // Made one block early, so that another thread could map its pages meanwhile.
            blockSize = largestBlockSize;
            blocks.push_back(std::move(spare));
        } else {
            // Left uninitialised: every element is constructed in place, and zeroing a block
            // would touch each page once more for nothing.
            blocks.push_back(std::unique_ptr<std::byte[]>(new std::byte[blockSize]));
            nextBlockSize = std::min(nextBlockSize * 2, largestBlockSize);
        }
        cursor = blocks.back().get();
        left = blockSize;
        void* const place = take(std::align(alignment, size, cursor, left), size);
        if (blockSize >= largestBlockSize) {
            // Large documents: the next block is there before it is needed (warmAhead).
            try {
                spare.reset(new std::byte[largestBlockSize]);
                warmable.store(spare.get(), std::memory_order_release);
            } catch (std::bad_alloc const&) {
                // No block ahead: the next one is made when needed.
            }
        }
        return place;
    }

    void* take(void* place, std::size_t size) noexcept {
        cursor = static_cast<std::byte*>(place) + size;
        left -= size;
        return place;
    }

    Model const* model;
    std::vector<std::unique_ptr<std::byte[]>> blocks;
    void* cursor = nullptr;
    std::size_t left = 0;
    std::size_t nextBlockSize = firstBlockSize;
    // The block made ahead of need (largestBlockSize long), and the last one a warmAhead call
    // has mapped (both only compared and mapped by that other thread, never written through).
    std::unique_ptr<std::byte[]> spare;
    std::atomic<std::byte*> warmable{nullptr};
    std::atomic<std::byte*> warmed{nullptr};

    ModelElement* newest = nullptr;
    std::size_t elements = 0;
    std::size_t typeNameQueries = 0;
    // Elements still held by handles after the model ended.
    std::size_t survivors = 0;
};

} // namespace vx::zero::detail
