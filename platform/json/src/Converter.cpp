#include "Converter.hpp"
#include "ArenaStorage.hpp"
#include "Reps.hpp"
#include "ShortEqual.hpp"
#include "ZeroedNumbers.hpp"

#include <foundation/json/Object.hpp>

#include <algorithm>
#include <cstring>
#include <tuple>
#include <utility>
#include <vector>

namespace foundation::json::detail {

Converter::Converter(std::shared_ptr<BlockPool> pool, bool inArena)
    : pool_(std::move(pool)), arena_(Arena::create(pool_)), inArena_(inArena && ArenaStorage::available()) {}

Converter::~Converter() { arena_->seal(); }

void Converter::startArena() {
    Arena* fresh = Arena::create(pool_);
    arena_->seal();
    arena_ = fresh;
}

namespace {

// Without ArenaStorage, long strings and array buffers are on the heap: their payloads are
// made in the arena, which is handed the heap buffers to free.

// Makes a string or array payload in the arena, which frees the heap buffer it holds, if any.
template <class Rep, class Payload>
Rep* makeHolding(Arena& arena, Payload&& payload, bool heapBuffer) {
    if (heapBuffer) {
        arena.reserveAdoptions(); // may throw: before the payload is moved in
    }
    Rep* rep = makeIn<Rep>(arena, std::forward<Payload>(payload));
    if (heapBuffer) {
        arena.adopt(const_cast<void*>(static_cast<void const*>(rep->value.data())));
    }
    return rep;
}

// Makes an object payload in the arena, which frees the heap buffers of its long keys.
ObjectRep* makeHoldingKeys(Arena& arena, Object::Members members) {
    std::uint32_t longKeys = 0; // rare
    for (auto const& member : members) {
        longKeys += Converter::fitsInside(member.first) ? 0 : 1;
    }
    if (longKeys != 0) {
        arena.reserveAdoptions(longKeys);
    }
    ObjectRep* rep = makeIn<ObjectRep>(arena, Object(std::move(members), SortedUnique{}));
    if (longKeys != 0) {
        for (auto const& member : rep->value) {
            if (!Converter::fitsInside(member.first)) {
                arena.adopt(const_cast<char*>(member.first.data()));
            }
        }
    }
    return rep;
}

} // namespace

Value Converter::convert(Tape const& tape, std::size_t at) {
    tape_ = &tape;
    Value const tree = value(at);
    // The caller's handle is the one that counts: a copy owns, while every Value inside the
    // tree borrows. (Named, so that the copy cannot be elided into the borrowing one.)
    Value owned(tree);
    return owned;
}

Value Converter::value(std::size_t& at) {
    Tape const& tape = *tape_;
    switch (tape.type(at)) {
    case '{': return object(at);
    case '[': return inArena_ ? arrayInArena(at) : array(at);
    case '"': return string(tape.string(at++));
    case 'l':
    case 'u':
    case 'd': {
        double const d = tape.number(at);
        if (d == 0 && tape.zeroed() != nullptr && !tape.zeroed()->empty() && !tape.zeroed()->at(at).empty()) {
            ++zeroedSeen_;
        }
        at += 2;
        return Value(d);
    }
    case 't': ++at; return Value(true);
    case 'f': ++at; return Value(false);
    default: ++at; return Value(Null{}); // 'n'
    }
}

Value Converter::array(std::size_t& at) {
    std::size_t const open = at;
    std::size_t const zeroedBefore = zeroedSeen_;
    std::size_t const end = tape_->close(at);
    Array items;
    items.reserve(tape_->count(at));
    for (++at; at < end;) {
        items.push_back(value(at));
    }
    at = end + 1;
    bool const buffer = items.capacity() != 0;
    ArrayRep* rep = makeHolding<ArrayRep>(*arena_, std::move(items), buffer);
    if (zeroedSeen_ != zeroedBefore) {
        noteZeroedEntries(open, rep->value.data());
    }
    return ValueAccess::borrow(rep);
}

Value Converter::object(std::size_t& at) {
    std::size_t const first = pending_.size();
    struct Unwind { // this object's pending members go, however the conversion ends
        std::vector<std::pair<std::string_view, Value>>& pending;
        std::size_t first;
        ~Unwind() { pending.resize(first); }
    } const unwind{pending_, first};

    std::size_t const open = at;
    std::size_t const zeroedBefore = zeroedSeen_;
    std::size_t const close = tape_->close(at);
    for (++at; at < close;) {
        std::string_view const key = tape_->string(at++);
        Value member = value(at);
        pending_.emplace_back(key, std::move(member));
    }
    at = close + 1;
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
    duplicates_.clear();
    for (auto i = begin; i != end; ++i) {
        if (i + 1 != end && shortEqual(i->first, (i + 1)->first)) {
            // Of duplicate keys the last one stays; the key is noted once.
            if (duplicates_.empty() || !shortEqual(duplicates_.back(), i->first)) {
                duplicates_.push_back(i->first);
            }
            continue;
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
    ObjectRep* rep = inArena_ ? makeIn<ObjectRep>(*arena_, Object(std::move(members), SortedUnique{}))
                              : makeHoldingKeys(*arena_, std::move(members));
    for (std::string_view const key : duplicates_) {
        arena_->note(Arena::Note::Kind::DuplicateKey, rep, key);
    }
    if (zeroedSeen_ != zeroedBefore) {
        noteZeroedMembers(open, rep->value);
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
    return ValueAccess::borrow(makeHolding<StringRep>(*arena_, std::string(text), !fitsInside(text)));
}

Value Converter::arrayInArena(std::size_t& at) {
    std::size_t const open = at;
    std::size_t const zeroedBefore = zeroedSeen_;
    std::size_t const count = tape_->count(at);
    std::size_t const end = tape_->close(at);
    // The entries' places come first, so that nested payloads follow them in the arena.
    // Until the array is made below, nothing refers to these places: a conversion that
    // throws part way leaves no half-made Value behind.
    auto* items = count == 0 ? nullptr : static_cast<Value*>(arena_->allocate(count * sizeof(Value), alignof(Value)));
    std::size_t made = 0;
    for (++at; at < end && made < count; ++made) {
        new (items + made) Value(value(at));
    }
    at = end + 1;
    ArrayRep* rep = makeIn<ArrayRep>(*arena_, Array());
    ArenaStorage::point(rep->value, items, made);
    if (zeroedSeen_ != zeroedBefore) {
        noteZeroedEntries(open, items);
    }
    return ValueAccess::borrow(rep);
}

void Converter::noteZeroedEntries(std::size_t open, Value const* items) {
    Tape const& tape = *tape_;
    std::size_t index = 0;
    for (std::size_t i = open + 1, end = tape.close(open); i < end; i = tape.after(i), ++index) {
        if (tape.type(i) == 'd') {
            if (std::string_view const written = tape.zeroed()->at(i); !written.empty()) {
                arena_->note(Arena::Note::Kind::ZeroedNumber, items + index, written);
            }
        }
    }
}

void Converter::noteZeroedMembers(std::size_t open, Object const& object) {
    Tape const& tape = *tape_;
    std::size_t const end = tape.close(open);
    for (std::size_t i = open + 1; i < end; i = tape.after(i + 1)) {
        std::string_view const written = tape.type(i + 1) == 'd' ? tape.zeroed()->at(i + 1) : std::string_view();
        if (written.empty()) {
            continue;
        }
        std::string_view const key = tape.string(i);
        bool kept = true; // the last member with the key
        for (std::size_t later = tape.after(i + 1); later < end && kept; later = tape.after(later + 1)) {
            kept = tape.string(later) != key;
        }
        if (Value const* member = object.get(key); kept && member != nullptr) {
            arena_->note(Arena::Note::Kind::ZeroedNumber, member, written);
        }
    }
}

bool Converter::fitsInside(std::string_view text) noexcept { return text.size() <= std::string().capacity(); }

char* Converter::copyToArena(std::string_view text) {
    auto* chars = static_cast<char*>(arena_->allocate(text.size() + 1, 1));
    std::memcpy(chars, text.data(), text.size());
    chars[text.size()] = '\0';
    return chars;
}

} // namespace foundation::json::detail
