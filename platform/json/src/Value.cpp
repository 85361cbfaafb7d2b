#include <foundation/json/Value.hpp>

#include "Reps.hpp"

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace foundation::json {

char const* kindName(Kind kind) noexcept {
    switch (kind) {
    case Kind::Undefined: return traits<Undefined>::name;
    case Kind::Null: return traits<Null>::name;
    case Kind::Bool: return traits<bool>::name;
    case Kind::Double: return traits<double>::name;
    case Kind::String: return traits<std::string>::name;
    case Kind::Array: return traits<Array>::name;
    case Kind::Object: return traits<Object>::name;
    case Kind::Float: return traits<float>::name;
    case Kind::Int64: return traits<long long>::name;
    case Kind::UInt64: return traits<unsigned long long>::name;
    }
    return "unknown";
}

Value::Value(std::string s) : kind_(Kind::String) { u_.s = new detail::StringRep(std::move(s)); }
Value::Value(std::string_view s) : Value(std::string(s)) {}
Value::Value(char const* s) : Value(std::string(s)) {}
Value::Value(Array a) : kind_(Kind::Array) { u_.a = new detail::ArrayRep(std::move(a)); }
Value::Value(Object o) : kind_(Kind::Object) { u_.o = new detail::ObjectRep(std::move(o)); }

namespace {
// Only for the shared kinds.
detail::RepHeader* header(Kind kind, void* rep) noexcept {
    switch (kind) {
    case Kind::String: return static_cast<detail::StringRep*>(rep);
    case Kind::Array: return static_cast<detail::ArrayRep*>(rep);
    default: return static_cast<detail::ObjectRep*>(rep);
    }
}
} // namespace

void Value::retain() const noexcept {
    detail::RepHeader* h = header(kind_, u_.p);
    if (h->arena != nullptr) {
        h->arena->retain();
    } else {
        h->refs.fetch_add(1, std::memory_order_relaxed);
    }
}

void Value::release() noexcept {
    if (detail::Arena* arena = header(kind_, u_.p)->arena) {
        arena->release(1);
    } else {
        switch (kind_) {
        case Kind::String: detail::releaseRep(u_.s); break;
        case Kind::Array: detail::releaseRep(u_.a); break;
        case Kind::Object: detail::releaseRep(u_.o); break;
        default: break;
        }
    }
    kind_ = Kind::Undefined;
}

void Value::throwConversion(Kind wanted) const {
    throw std::runtime_error(std::string("invalid conversion: ") + kindName() + " to " + json::kindName(wanted));
}

std::string const& Value::asString() const {
    check(Kind::String);
    return u_.s->value;
}

Array const& Value::asArray() const {
    check(Kind::Array);
    return u_.a->value;
}

Object const& Value::asObject() const {
    check(Kind::Object);
    return u_.o->value;
}

namespace {
Value const undefinedValue;
}

Value const& Value::operator[](std::string_view key) const noexcept {
    if (kind_ != Kind::Object) {
        return undefinedValue;
    }
    Value const* member = u_.o->value.get(key);
    return member != nullptr ? *member : undefinedValue;
}

bool Value::hasOwnProperty(std::string_view key) const noexcept {
    return kind_ == Kind::Object && u_.o->value.contains(key);
}

bool Value::hasOwnProperty(std::string const& key) const noexcept { return hasOwnProperty(std::string_view(key)); }

std::size_t Value::size() const noexcept {
    switch (kind_) {
    case Kind::Array: return u_.a->value.size();
    case Kind::Object: return u_.o->value.size();
    default: return 0;
    }
}

namespace {
// The arena of a parsed tree's value; nullptr for every other value.
detail::Arena const* arenaOf(Kind kind, void* rep) noexcept {
    if (kind != Kind::String && kind != Kind::Array && kind != Kind::Object) {
        return nullptr;
    }
    return header(kind, rep)->arena;
}
} // namespace

bool Value::hasTextNotes() const noexcept {
    detail::Arena const* arena = arenaOf(kind_, u_.p);
    return arena != nullptr && arena->notes() != nullptr;
}

std::vector<std::string_view> Value::duplicateKeys() const {
    std::vector<std::string_view> keys;
    detail::Arena const* arena = kind_ == Kind::Object ? arenaOf(kind_, u_.p) : nullptr;
    for (auto const* note = arena != nullptr ? arena->notes() : nullptr; note != nullptr; note = note->previous) {
        if (note->kind == detail::Arena::Note::Kind::DuplicateKey && note->at == u_.p) {
            keys.push_back(note->text);
        }
    }
    std::reverse(keys.begin(), keys.end()); // noted in key order, listed latest first
    return keys;
}

std::string_view Value::writtenAs(Value const& number) const {
    detail::Arena const* arena = arenaOf(kind_, u_.p);
    for (auto const* note = arena != nullptr ? arena->notes() : nullptr; note != nullptr; note = note->previous) {
        if (note->kind == detail::Arena::Note::Kind::ZeroedNumber && note->at == &number) {
            return note->text;
        }
    }
    return {};
}

bool operator==(Value const& a, Value const& b) noexcept {
    if (a.kind_ != b.kind_) {
        return false;
    }
    switch (a.kind_) {
    case Kind::Undefined:
    case Kind::Null: return true;
    case Kind::Bool: return a.u_.b == b.u_.b;
    case Kind::Double: return a.u_.d == b.u_.d;
    case Kind::Float: return a.u_.f == b.u_.f;
    case Kind::Int64: return a.u_.i == b.u_.i;
    case Kind::UInt64: return a.u_.u == b.u_.u;
    case Kind::String: return a.u_.s == b.u_.s || a.u_.s->value == b.u_.s->value;
    case Kind::Array: return a.u_.a == b.u_.a || a.u_.a->value == b.u_.a->value;
    case Kind::Object: return a.u_.o == b.u_.o || a.u_.o->value == b.u_.o->value;
    }
    return false;
}

} // namespace foundation::json
