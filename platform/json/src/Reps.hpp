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
    Rep* rep = new (arena.allocatePayload(sizeof(Rep))) Rep(std::forward<Payload>(payload));
    rep->arena = &arena;
    return rep;
}

/// Ends a payload whose count reached zero, wherever it lives.
template <class Rep>
void destroy(Rep* rep) noexcept {
    if (Arena* arena = rep->arena) {
        rep->~Rep();
        arena->releaseOne();
    } else {
        delete rep;
    }
}

/// Wraps payloads in Values; for the parser, which makes its payloads in arenas.
struct ValueAccess {
    static Value adopt(StringRep* rep) noexcept { return Value(Kind::String, rep); }
    static Value adopt(ArrayRep* rep) noexcept { return Value(Kind::Array, rep); }
    static Value adopt(ObjectRep* rep) noexcept { return Value(Kind::Object, rep); }
};

} // namespace foundation::json::detail
