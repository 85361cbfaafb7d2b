#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <memory_resource>
#include <mutex>
#include <vector>

namespace foundation::json::detail {

/// Blocks of one size that arenas hand back when they go, for the next arena: a warm
/// parser then builds in memory already mapped, as simdjson reuses its own buffers, and a
/// stream makes each element's arena without a trip to the allocator. Holds at most what
/// its arenas had alive at once; freed when its owner and those arenas are all gone.
class BlockPool {
public:
    explicit BlockPool(std::size_t blockSize) noexcept : blockSize_(blockSize) {}
    ~BlockPool();
    BlockPool(BlockPool const&) = delete;
    BlockPool& operator=(BlockPool const&) = delete;

    std::size_t blockSize() const noexcept { return blockSize_; }
    /// A block of blockSize() bytes.
    void* take();
    void give(void* block) noexcept;

private:
    std::size_t const blockSize_;
    std::mutex mutex_;
    std::vector<void*> free_;
};

/// Memory for the shared payloads of one parsed tree (or one streamed element): taken from
/// a pool's blocks by bumping a pointer, and given back all at once when the last payload
/// made in it goes. Parsed trees are immutable, so nothing in them is freed alone.
///
/// The arena counts the payloads alive in it. While the converter still fills it, it holds
/// a large credit on that count, so payloads that come and go meanwhile can never bring it
/// to zero; `seal` settles the credit against the payloads made.
class Arena final : public std::pmr::memory_resource {
public:
    /// All blocks but those for single large requests come from the pool.
    static Arena* create(std::shared_ptr<BlockPool> pool);

    /// Room for one payload; counted alive until released.
    void* allocatePayload(std::size_t bytes, std::size_t alignment) {
        void* place = allocate(bytes, alignment);
        ++payloads_;
        return place;
    }
    /// `count` payloads made here are gone; the last one frees the arena.
    void release(std::uint64_t count) noexcept {
        if (live_.fetch_sub(count, std::memory_order_acq_rel) == count) {
            destroy();
        }
    }
    /// The converter is done with the arena; frees it at once when nothing was kept.
    void seal() noexcept;

    Arena(Arena const&) = delete;
    Arena& operator=(Arena const&) = delete;

private:
    static constexpr std::uint64_t kCredit = std::uint64_t(1) << 62;
    struct Block {
        Block* previous;
        bool pooled;
    };

    explicit Arena(std::shared_ptr<BlockPool> pool) noexcept : pool_(std::move(pool)) {}
    ~Arena() override;
    void destroy() noexcept;
    void* grow(std::size_t bytes, std::size_t alignment);

    void* do_allocate(std::size_t bytes, std::size_t alignment) override {
        auto const at = (reinterpret_cast<std::uintptr_t>(cursor_) + alignment - 1) & ~(std::uintptr_t(alignment) - 1);
        if (at + bytes > reinterpret_cast<std::uintptr_t>(end_)) {
            return grow(bytes, alignment);
        }
        cursor_ = reinterpret_cast<char*>(at + bytes);
        return reinterpret_cast<void*>(at);
    }
    // Parsed trees never shrink or grow: nothing is handed back before the arena goes.
    void do_deallocate(void*, std::size_t, std::size_t) override {}
    bool do_is_equal(std::pmr::memory_resource const& other) const noexcept override { return this == &other; }

    std::atomic<std::uint64_t> live_{kCredit};
    std::uint64_t payloads_ = 0;
    char* cursor_ = nullptr;
    char* end_ = nullptr;
    Block* last_ = nullptr;
    std::shared_ptr<BlockPool> pool_;
};

} // namespace foundation::json::detail
