#include "Arena.hpp"

#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <new>

namespace foundation::json::detail {

BlockPool::~BlockPool() {
    for (void* block : free_) {
        std::free(block);
    }
}

void* BlockPool::take() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (!free_.empty()) {
            void* block = free_.back();
            free_.pop_back();
            return block;
        }
    }
    void* block = std::malloc(blockSize_);
    if (block == nullptr) {
        throw std::bad_alloc();
    }
    return block;
}

void BlockPool::give(void* block) noexcept {
    try {
        std::lock_guard<std::mutex> lock(mutex_);
        free_.push_back(block);
    } catch (...) {
        std::free(block); // no room to keep it: it goes back to the system
    }
}

Arena* Arena::create(std::shared_ptr<BlockPool> pool) { return new Arena(std::move(pool)); }

Arena::~Arena() {
    // Freed in the order they were made, as a walk of the tree would free them: the largest
    // buffer, the root array's, is made last and freed last, so that glibc gathers its free
    // lists during this free and not in the middle of the next tree's conversion.
    Adopted* oldest = nullptr;
    for (Adopted* a = adopted_; a != nullptr;) {
        Adopted* const previous = a->previous;
        a->previous = oldest; // the chain turned round: oldest first
        oldest = a;
        a = previous;
    }
    for (Adopted* a = oldest; a != nullptr; a = a->previous) {
        for (std::uint32_t i = 0; i < a->used; ++i) {
            ::operator delete(a->buffers[i]);
        }
    }
    while (last_ != nullptr) {
        Block* previous = last_->previous;
        if (last_->pooled) {
            pool_->give(last_);
        } else {
            std::free(last_);
        }
        last_ = previous;
    }
}

void Arena::destroy() noexcept { delete this; }

void Arena::seal() noexcept {
    if (live_.fetch_sub(kCredit, std::memory_order_acq_rel) == kCredit) {
        destroy();
    }
}

void Arena::prefetch() const noexcept {
    constexpr std::size_t line = 64;
    char const* end = cursor_;
    for (Block const* block = last_; block != nullptr; block = block->previous) {
        char const* const start = reinterpret_cast<char const*>(block + 1);
        if (!block->pooled) {
            __builtin_prefetch(start, 0, 2); // a block of its own for one large payload: its head
            continue;
        }
        if (end == nullptr || end < start || end > start + pool_->blockSize()) {
            end = reinterpret_cast<char const*>(block) + pool_->blockSize(); // an earlier, full block
        }
        for (char const* p = start; p < end; p += line) {
            __builtin_prefetch(p, 0, 2);
        }
        end = nullptr;
    }
    for (Adopted const* a = adopted_; a != nullptr; a = a->previous) {
        for (std::uint32_t i = 0; i < a->used; ++i) {
            __builtin_prefetch(a->buffers[i], 0, 2);
        }
    }
}

void Arena::note(Note::Kind kind, void const* at, std::string_view text) {
    auto* chars = static_cast<char*>(allocate(text.size() + 1, 1));
    std::memcpy(chars, text.data(), text.size());
    chars[text.size()] = '\0';
    auto* made = static_cast<Note*>(allocate(sizeof(Note), alignof(Note)));
    *made = Note{notes_, kind, at, std::string_view(chars, text.size())};
    notes_ = made;
}

void Arena::growAdoptions(std::uint32_t count) {
    std::uint32_t const capacity = count > 30 ? count : 30;
    std::size_t const bytes = offsetof(Adopted, buffers) + capacity * sizeof(void*);
    auto* fresh = static_cast<Adopted*>(allocate(bytes, alignof(Adopted)));
    fresh->previous = adopted_;
    fresh->used = 0;
    fresh->capacity = capacity;
    adopted_ = fresh;
}

void* Arena::grow(std::size_t bytes, std::size_t alignment) {
    constexpr std::size_t header =
        (sizeof(Block) + alignof(std::max_align_t) - 1) / alignof(std::max_align_t) * alignof(std::max_align_t);
    std::size_t const needed = header + bytes + alignment;
    // A request big for the pool's blocks gets a block of its own, and the current one stays.
    std::size_t const standard = pool_->blockSize();
    bool const alone = needed > standard / 2 && (cursor_ != nullptr || needed > standard);
    void* memory = alone ? std::malloc(needed) : pool_->take();
    if (memory == nullptr) {
        throw std::bad_alloc();
    }
    auto* block = static_cast<Block*>(memory);
    block->previous = last_;
    block->pooled = !alone;
    last_ = block;
    char* start = static_cast<char*>(memory) + header;
    if (alone) {
        auto const at = (reinterpret_cast<std::uintptr_t>(start) + alignment - 1) & ~(std::uintptr_t(alignment) - 1);
        return reinterpret_cast<void*>(at);
    }
    cursor_ = start;
    end_ = static_cast<char*>(memory) + standard;
    return do_allocate(bytes, alignment);
}

} // namespace foundation::json::detail
