#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <memory_resource>
#include <mutex>
#include <string_view>
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

/// Memory for the payloads of one parsed tree (or one streamed element): taken from a pool's
/// blocks by bumping a pointer, and given back all at once when the last handle into the tree
/// goes. Parsed trees are immutable, so nothing in them is freed alone, and no payload's
/// destructor runs: long strings and array entries lie in the arena too (ArenaStorage), or,
/// where that is not available, their heap buffers are handed to the arena and freed with it,
/// so letting a tree go costs no walk through it.
///
/// The arena counts the owning handles into its tree. While the converter still fills it, it
/// holds a large credit on that count, so handles that come and go meanwhile can never bring it
/// to zero; `seal` takes the credit back.
class Arena final : public std::pmr::memory_resource {
public:
    /// All blocks but those for single large requests come from the pool.
    static Arena* create(std::shared_ptr<BlockPool> pool);

    /// One more owning handle.
    void retain() noexcept { live_.fetch_add(1, std::memory_order_relaxed); }
    /// `count` owning handles are gone; the last one frees the arena and its tree. A sole
    /// holder needs no atomic step: with no other handle, nobody can count it up meanwhile.
    void release(std::uint64_t count) noexcept {
        if (live_.load(std::memory_order_acquire) == count ||
            live_.fetch_sub(count, std::memory_order_acq_rel) == count) {
            destroy();
        }
    }
    /// The converter is done with the arena; frees it at once when no handle was kept.
    void seal() noexcept;

    /// Makes sure the next `count` adoptions need no memory; may throw std::bad_alloc.
    void reserveAdoptions(std::uint32_t count = 1) {
        if (adopted_ == nullptr || adopted_->capacity - adopted_->used < count) {
            growAdoptions(count);
        }
    }
    /// Frees `buffer` (from ::operator new) with the arena. Call reserveAdoptions first.
    void adopt(void* buffer) noexcept { adopted_->buffers[adopted_->used++] = buffer; }

    /// Something the text wrote that the tree does not show (see Value::hasTextNotes).
    struct Note {
        enum class Kind : std::uint8_t { DuplicateKey, ZeroedNumber };
        Note const* previous;
        Kind kind;
        void const* at;        // the object (its ObjectRep) or the number (its Value)
        std::string_view text; // the key, or the number as written; in the arena
    };
    /// Keeps a note, its text copied into the arena; may throw std::bad_alloc.
    void note(Note::Kind kind, void const* at, std::string_view text);
    /// The notes, the latest first.
    Note const* notes() const noexcept { return notes_; }

    /// Asks the cache for the tree's memory ahead of its reader: the arena's blocks as far as
    /// they are used, and the first line of each adopted buffer. Only for a sealed arena.
    void prefetch() const noexcept;

    Arena(Arena const&) = delete;
    Arena& operator=(Arena const&) = delete;

private:
    static constexpr std::uint64_t kCredit = std::uint64_t(1) << 62;
    struct Block {
        Block* previous;
        bool pooled;
    };
    struct Adopted {
        Adopted* previous;
        std::uint32_t used;
        std::uint32_t capacity;
        void* buffers[1]; // `capacity` of them: the chunk is made that long
    };

    explicit Arena(std::shared_ptr<BlockPool> pool) noexcept : pool_(std::move(pool)) {}
    ~Arena() override;
    void destroy() noexcept;
    void* grow(std::size_t bytes, std::size_t alignment);
    void growAdoptions(std::uint32_t count);

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
    char* cursor_ = nullptr;
    char* end_ = nullptr;
    Block* last_ = nullptr;
    Adopted* adopted_ = nullptr;  // in the arena's own blocks
    Note const* notes_ = nullptr; // in the arena's own blocks; rare
    std::shared_ptr<BlockPool> pool_;
};

} // namespace foundation::json::detail
