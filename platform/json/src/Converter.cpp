#include "Converter.hpp"
#include "Reps.hpp"
#include "ShortEqual.hpp"

#include <foundation/json/Object.hpp>

#include <algorithm>
#include <tuple>
#include <utility>
#include <vector>

namespace foundation::json::detail {

Converter::Converter(std::shared_ptr<BlockPool> pool) : pool_(std::move(pool)), arena_(Arena::create(pool_)) {}

Converter::~Converter() { arena_->seal(); }

void Converter::startArena() {
    Arena* fresh = Arena::create(pool_);
    arena_->seal();
    arena_ = fresh;
}

Value Converter::convert(simdjson::dom::element e) {
    using T = simdjson::dom::element_type;
    switch (e.type()) {
    case T::ARRAY: {
        simdjson::dom::array a = e.get_array().value_unsafe();
        Array items;
        items.reserve(a.size());
        for (simdjson::dom::element child : a) {
            items.push_back(convert(child));
        }
        return ValueAccess::adopt(makeIn<ArrayRep>(*arena_, std::move(items)));
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
        Value value = convert(field.value);
        pending_.emplace_back(field.key, std::move(value));
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
        members.emplace_back(std::piecewise_construct, std::forward_as_tuple(i->first.data(), i->first.size()),
                             std::forward_as_tuple(std::move(i->second)));
    }
    return ValueAccess::adopt(makeIn<ObjectRep>(*arena_, Object(std::move(members), SortedUnique{})));
}

Value Converter::string(std::string_view text) {
    return ValueAccess::adopt(makeIn<StringRep>(*arena_, std::string(text)));
}

} // namespace foundation::json::detail
