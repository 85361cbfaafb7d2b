#pragma once

#include <foundation/json/Value.hpp>

#include "Arena.hpp"

#include <atomic>
#include <new>
#include <string>
#include <utility>

namespace foundation::json::detail {

// Shared immutable payloads. The count starts at one for the Value that made them. A
// payload of a parsed tree lives in that tree's arena (`arena` set), any other on the heap.
struct StringRep {
    explicit StringRep(std::string s) : value(std::move(s)) {}
    std::atomic<std::uint32_t> refs{1};
    Arena* arena = nullptr;
    std::string value;
};

struct ArrayRep {
    explicit ArrayRep(Array a) : value(std::move(a)) {}
    std::atomic<std::uint32_t> refs{1};
    Arena* arena = nullptr;
    Array value;
};

struct ObjectRep {
    explicit ObjectRep(Object o) : value(std::move(o)) {}
    std::atomic<std::uint32_t> refs{1};
    Arena* arena = nullptr;
    Object value;
};

/// Makes a payload in an arena.
template <class Rep, class Payload>
Rep* makeIn(Arena& arena, Payload&& payload) {
    void* place = arena.allocatePayload(sizeof(Rep), alignof(Rep));
    Rep* rep;
    try {
        rep = new (place) Rep(std::forward<Payload>(payload));
    } catch (...) {
        arena.release(1);  // the room stays unused; the count must not keep the arena
        throw;
    }
    rep->arena = &arena;
    return rep;
}

/// Arena releases of one thread, gathered while a tree is taken apart and settled with one
/// atomic step per run of payloads from the same arena: a freed tree would otherwise pay
/// one atomic step for each of its payloads. Settling only ever comes late, so an arena
/// is never freed early.
struct PendingReleases {
    Arena* arena = nullptr;
    std::uint64_t count = 0;
    int depth = 0;

    void add(Arena* from) noexcept {
        if (from != arena) {
            settle();
            arena = from;
        }
        ++count;
    }
    void settle() noexcept {
        if (count != 0) {
            arena->release(count);
        }
        arena = nullptr;
        count = 0;
    }
};

PendingReleases& pendingReleases() noexcept;

/// Ends a payload whose count reached zero, wherever it lives.
template <class Rep>
void destroy(Rep* rep) noexcept {
    Arena* arena = rep->arena;
    if (arena == nullptr) {
        delete rep;
        return;
    }
    PendingReleases& pending = pendingReleases();
    ++pending.depth;
    rep->~Rep();  // releases the payloads it holds, which join the pending ones
    pending.add(arena);
    if (--pending.depth == 0) {
        pending.settle();
    }
}

/// Drops one count of a payload and ends it at zero. A sole owner needs no atomic step:
/// nobody else holds the payload, so nobody can count it up meanwhile.
template <class Rep>
void releaseRep(Rep* rep) noexcept {
    if (rep->refs.load(std::memory_order_acquire) == 1 || rep->refs.fetch_sub(1, std::memory_order_acq_rel) == 1) {
        destroy(rep);
    }
}

/// Wraps payloads in Values; for the parser, which makes its payloads in arenas.
struct ValueAccess {
    static Value adopt(StringRep* rep) noexcept { return Value(Kind::String, rep); }
    static Value adopt(ArrayRep* rep) noexcept { return Value(Kind::Array, rep); }
    static Value adopt(ObjectRep* rep) noexcept { return Value(Kind::Object, rep); }
};

} // namespace foundation::json::detail
