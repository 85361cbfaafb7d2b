#include "Converter.hpp"
#include "ArenaStorage.hpp"
#include "Reps.hpp"
#include "ShortEqual.hpp"

#include <foundation/json/Object.hpp>

#include <algorithm>
#include <cstring>
#include <tuple>
#include <utility>
#include <vector>

namespace foundation::json::detail {

Converter::Converter(std::shared_ptr<BlockPool> pool)
    : pool_(std::move(pool)), arena_(Arena::create(pool_)), inArena_(ArenaStorage::available()) {}

Converter::~Converter() { arena_->seal(); }

void Converter::startArena() {
    Arena* fresh = Arena::create(pool_);
    arena_->seal();
    arena_ = fresh;
}

namespace {

// Whether a string keeps its characters on the heap rather than inside itself.
bool onHeap(std::string const& s) noexcept { return s.capacity() > std::string().capacity(); }

// Makes a string or array payload in the arena, which frees the heap buffer it holds, if any.
template <class Rep, class Payload>
Rep* makeHolding(Arena& arena, Payload&& payload, bool heapBuffer) {
    if (heapBuffer) {
        arena.reserveAdoptions();  // may throw: before the payload is moved in
    }
    Rep* rep = makeIn<Rep>(arena, std::forward<Payload>(payload));
    if (heapBuffer) {
        arena.adopt(const_cast<void*>(static_cast<void const*>(rep->value.data())));
    }
    return rep;
}

} // namespace

Value Converter::convert(simdjson::dom::element e) {
    Value const tree = value(e);
    // The caller's handle is the one that counts: a copy owns, while every Value inside the
    // tree borrows. (Named, so that the copy cannot be elided into the borrowing one.)
    Value owned(tree);
    return owned;
}

Value Converter::value(simdjson::dom::element e) {
    using T = simdjson::dom::element_type;
    switch (e.type()) {
    case T::ARRAY: {
        simdjson::dom::array a = e.get_array().value_unsafe();
        if (inArena_) {
            return array(a);
        }
        Array items;
        items.reserve(a.size());
        for (simdjson::dom::element child : a) {
            items.push_back(value(child));
        }
        bool const buffer = items.capacity() != 0;
        return ValueAccess::borrow(makeHolding<ArrayRep>(*arena_, std::move(items), buffer));
    }
    case T::OBJECT: return object(e.get_object().value_unsafe());
    case T::STRING: return string(e.get_string().value_unsafe());
    case T::INT64: return Value(static_cast<double>(e.get_int64().value_unsafe()));
    case T::UINT64: return Value(static_cast<double>(e.get_uint64().value_unsafe()));
    case T::DOUBLE: return Value(e.get_double().value_unsafe());
    case T::BOOL: return Value(e.get_bool().value_unsafe());
    case T::NULL_VALUE: return Value(Null{});
    }
    return Value();
}

Value Converter::object(simdjson::dom::object o) {
    std::size_t const first = pending_.size();
    struct Unwind {  // this object's pending members go, however the conversion ends
        std::vector<std::pair<std::string_view, Value>>& pending;
        std::size_t first;
        ~Unwind() { pending.resize(first); }
    } const unwind{pending_, first};

    for (simdjson::dom::key_value_pair field : o) {
        Value member = value(field.value);
        pending_.emplace_back(field.key, std::move(member));
    }
    auto const begin = pending_.begin() + static_cast<std::ptrdiff_t>(first);
    auto const end = pending_.end();
    auto const byKey = [](auto const& a, auto const& b) { return shortLess(a.first, b.first); };
    // Stable, so that of equal keys the last stays last.
    if (end - begin <= 16) {
        for (auto i = begin + (begin != end ? 1 : 0); i != end; ++i) {
            if (!byKey(*i, *(i - 1))) {
                continue;
            }
            auto moving = std::move(*i);
            auto j = i;
            for (; j != begin && byKey(moving, *(j - 1)); --j) {
                *j = std::move(*(j - 1));
            }
            *j = std::move(moving);
        }
    } else {
        std::stable_sort(begin, end, byKey);
    }
    Object::Members members(arena_);
    members.reserve(static_cast<std::size_t>(end - begin));
    for (auto i = begin; i != end; ++i) {
        if (i + 1 != end && shortEqual(i->first, (i + 1)->first)) {
            continue;  // of duplicate keys the last one stays
        }
        if (inArena_ && !fitsInside(i->first)) {
            members.emplace_back(std::piecewise_construct, std::forward_as_tuple(),
                                 std::forward_as_tuple(std::move(i->second)));
            ArenaStorage::point(members.back().first, copyToArena(i->first), i->first.size());
            continue;
        }
        members.emplace_back(std::piecewise_construct, std::forward_as_tuple(i->first.data(), i->first.size()),
                             std::forward_as_tuple(std::move(i->second)));
    }
    std::uint32_t longKeys = 0;  // rare, and none when keys go to the arena
    for (auto const& member : members) {
        longKeys += !inArena_ && onHeap(member.first) ? 1 : 0;
    }
    if (longKeys != 0) {
        arena_->reserveAdoptions(longKeys);
    }
    ObjectRep* rep = makeIn<ObjectRep>(*arena_, Object(std::move(members), SortedUnique{}));
    if (longKeys != 0) {
        for (auto const& member : rep->value) {
            if (onHeap(member.first)) {
                arena_->adopt(const_cast<char*>(member.first.data()));
            }
        }
    }
    return ValueAccess::borrow(rep);
}

Value Converter::string(std::string_view text) {
    if (inArena_ && !fitsInside(text)) {
        char* chars = copyToArena(text);
        StringRep* rep = makeIn<StringRep>(*arena_, std::string());
        ArenaStorage::point(rep->value, chars, text.size());
        return ValueAccess::borrow(rep);
    }
    std::string s(text);
    bool const heap = onHeap(s);
    return ValueAccess::borrow(makeHolding<StringRep>(*arena_, std::move(s), heap));
}

Value Converter::array(simdjson::dom::array a) {
    std::size_t count = a.size();
    if (count >= 0xFFFFFF) {  // simdjson's count saturates there: count the entries themselves
        count = 0;
        for (auto i = a.begin(); i != a.end(); ++i) {
            ++count;
        }
    }
    // The entries' places come first, so that nested payloads follow them in the arena.
    // Until the array is made below, nothing refers to these places: a conversion that
    // throws part way leaves no half-made Value behind.
    auto* items = count == 0 ? nullptr : static_cast<Value*>(arena_->allocate(count * sizeof(Value), alignof(Value)));
    std::size_t made = 0;
    for (simdjson::dom::element child : a) {
        new (items + made) Value(value(child));
        ++made;
    }
    ArrayRep* rep = makeIn<ArrayRep>(*arena_, Array());
    ArenaStorage::point(rep->value, items, made);
    return ValueAccess::borrow(rep);
}

bool Converter::fitsInside(std::string_view text) noexcept { return text.size() <= std::string().capacity(); }

char* Converter::copyToArena(std::string_view text) {
    auto* chars = static_cast<char*>(arena_->allocate(text.size() + 1, 1));
    std::memcpy(chars, text.data(), text.size());
    chars[text.size()] = '\0';
    return chars;
}

} // namespace foundation::json::detail
