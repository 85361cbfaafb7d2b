#pragma once

#include <foundation/json/Value.hpp>

#include "Arena.hpp"

#include <atomic>
#include <new>
#include <string>
#include <utility>

namespace foundation::json::detail {

// Shared immutable payloads. A payload on the heap counts its handles itself, starting at one
// for the Value that made it. A payload of a parsed tree lives in that tree's arena (`arena`
// set) and has no count of its own: the arena counts the handles into the whole tree, and
// the Values inside the tree borrow (Value::borrowed_), so letting a tree go walks nothing.
struct RepHeader {
    std::atomic<std::uint32_t> refs{1};
    Arena* arena = nullptr;
};

struct StringRep : RepHeader {
    explicit StringRep(std::string s) : value(std::move(s)) {}
    std::string value;
};

struct ArrayRep : RepHeader {
    explicit ArrayRep(Array a) : value(std::move(a)) {}
    Array value;
};

struct ObjectRep : RepHeader {
    explicit ObjectRep(Object o) : value(std::move(o)) {}
    Object value;
};

/// Makes a payload in an arena. The arena ends it without running its destructor, so a
/// payload that holds heap memory has that memory handed to the arena (Arena::adopt).
template <class Rep, class Payload>
Rep* makeIn(Arena& arena, Payload&& payload) {
    void* place = arena.allocate(sizeof(Rep), alignof(Rep));
    Rep* rep = new (place) Rep(std::forward<Payload>(payload));
    rep->arena = &arena;
    return rep;
}

/// Ends a heap payload whose count reached zero: its destructor lets go of what it holds.
/// A sole owner needs no atomic step: nobody else holds the payload, so nobody can count it
/// up meanwhile.
template <class Rep>
void releaseRep(Rep* rep) noexcept {
    if (rep->refs.load(std::memory_order_acquire) == 1 || rep->refs.fetch_sub(1, std::memory_order_acq_rel) == 1) {
        delete rep;
    }
}

/// Asks the cache for a parsed tree's memory ahead of its reader; nothing for other Values.
inline void prefetchTree(Value const& value) noexcept;

/// Wraps payloads in Values; for the converter, which makes its payloads in arenas.
struct ValueAccess {
    /// A Value inside an arena's tree: it holds no count.
    static Value borrow(StringRep* rep) noexcept { return Value(Kind::String, rep, true); }
    static Value borrow(ArrayRep* rep) noexcept { return Value(Kind::Array, rep, true); }
    static Value borrow(ObjectRep* rep) noexcept { return Value(Kind::Object, rep, true); }
    template <class Rep>
    static Rep const* rep(Value const& value) noexcept {
        return static_cast<Rep const*>(value.u_.p);
    }
};

inline void prefetchTree(Value const& value) noexcept {
    RepHeader const* header = nullptr;
    switch (value.kind()) {
    case Kind::Object: header = ValueAccess::rep<ObjectRep>(value); break;
    case Kind::Array: header = ValueAccess::rep<ArrayRep>(value); break;
    default: return;
    }
    if (header->arena != nullptr) {
        header->arena->prefetch();
    }
}

} // namespace foundation::json::detail
