#include <foundation/json/Object.hpp>

#include <algorithm>
#include <stdexcept>

namespace foundation::json {

Object::Object(std::vector<value_type> members) : members_(std::move(members)) { normalise(); }

Object::Object(std::initializer_list<value_type> members) : members_(members) { normalise(); }

void Object::normalise() {
    if (members_.size() < 2) {
        return;
    }
    auto const byKey = [](value_type const& a, value_type const& b) { return a.first < b.first; };
    if (std::is_sorted(members_.begin(), members_.end(),
                       [](value_type const& a, value_type const& b) { return a.first <= b.first; })) {
        return;  // already strictly ascending: nothing to sort or drop
    }
    std::stable_sort(members_.begin(), members_.end(), byKey);
    // Of equal keys the last in the input wins: keep the last of each run.
    auto out = members_.begin();
    for (auto it = members_.begin(); it != members_.end();) {
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
        for (auto it = members_.begin(); it != members_.end(); ++it) {
            if (it->first == key) {
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
