#include <foundation/json/Object.hpp>

#include "ShortEqual.hpp"

#include <algorithm>
#include <stdexcept>

namespace foundation::json {

Object::Object(std::vector<value_type> members)
    : members_(std::make_move_iterator(members.begin()), std::make_move_iterator(members.end())) {
    normalise();
}

Object::Object(std::initializer_list<value_type> members) : members_(members) { normalise(); }

void Object::normalise() {
    std::size_t const n = members_.size();
    if (n < 2) {
        return;
    }
    auto const byKey = [](value_type const& a, value_type const& b) { return detail::shortLess(a.first, b.first); };
    if (n <= 16) {
        // Elements have a handful of keys: a stable insertion sort in place costs no
        // allocation, and nothing more than one pass when the keys come sorted.
        for (std::size_t i = 1; i < n; ++i) {
            if (!byKey(members_[i], members_[i - 1])) {
                continue;
            }
            value_type moving = std::move(members_[i]);
            std::size_t j = i;
            for (; j > 0 && byKey(moving, members_[j - 1]); --j) {
                members_[j] = std::move(members_[j - 1]);
            }
            members_[j] = std::move(moving);
        }
    } else {
        std::stable_sort(members_.begin(), members_.end(), byKey);
    }
    auto const equalKeys = [](value_type const& a, value_type const& b) {
        return detail::shortEqual(a.first, b.first);
    };
    auto first = std::adjacent_find(members_.begin(), members_.end(), equalKeys);
    if (first == members_.end()) {
        return;
    }
    // Of equal keys the last in the input wins: keep the last of each run.
    auto out = first;
    for (auto it = first; it != members_.end();) {
        auto next = it + 1;
        while (next != members_.end() && next->first == it->first) {
            ++it;
            ++next;
        }
        if (out != it) {
            *out = std::move(*it);
        }
        ++out;
        it = next;
    }
    members_.erase(out, members_.end());
}

Object::const_iterator Object::find(std::string_view key) const noexcept {
    if (members_.size() <= 8) {
        // An element has a handful of short keys: a scan with inlined compares beats a search.
        for (auto it = members_.begin(); it != members_.end(); ++it) {
            if (detail::shortEqual(it->first, key)) {
                return it;
            }
        }
        return members_.end();
    }
    auto it = std::lower_bound(members_.begin(), members_.end(), key,
                               [](value_type const& m, std::string_view k) { return m.first < k; });
    return it != members_.end() && it->first == key ? it : members_.end();
}

Value const* Object::get(std::string_view key) const noexcept {
    auto it = find(key);
    return it == members_.end() ? nullptr : &it->second;
}

Value const& Object::at(std::string_view key) const {
    if (Value const* v = get(key)) {
        return *v;
    }
    throw std::out_of_range("no member \"" + std::string(key) + "\"");
}

void Object::set(std::string key, Value value) {
    auto it = std::lower_bound(members_.begin(), members_.end(), key,
                               [](value_type const& m, std::string const& k) { return m.first < k; });
    if (it != members_.end() && it->first == key) {
        it->second = std::move(value);
    } else {
        members_.emplace(it, std::move(key), std::move(value));
    }
}

} // namespace foundation::json
