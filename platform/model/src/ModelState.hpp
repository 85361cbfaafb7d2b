#pragma once

#include <vx/zero/Model.hpp>
#include <vx/zero/ModelElement.hpp>

#include <algorithm>
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
        std::size_t const blockSize = std::max(nextBlockSize, size + alignment);
        nextBlockSize = std::min(nextBlockSize * 2, largestBlockSize);
        // Left uninitialised: every element is constructed in place, and zeroing a block
        // would touch each page once more for nothing.
        blocks.push_back(std::unique_ptr<std::byte[]>(new std::byte[blockSize]));
        cursor = blocks.back().get();
        left = blockSize;
        return take(std::align(alignment, size, cursor, left), size);
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

    ModelElement* newest = nullptr;
    std::size_t elements = 0;
    std::size_t typeNameQueries = 0;
    // Elements still held by handles after the model ended.
    std::size_t survivors = 0;
};

} // namespace vx::zero::detail
