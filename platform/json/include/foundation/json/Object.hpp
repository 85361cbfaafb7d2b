#pragma once

#include <foundation/json/Export.hpp>
#include <foundation/json/Value.hpp>

#include <initializer_list>
#include <memory_resource>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace foundation::json {

namespace detail {
/// Marks members already sorted by key, with no key twice: taken as they are.
struct SortedUnique {};
} // namespace detail

/// A JSON object: members with unique keys, kept sorted by key in one flat vector, so a
/// typical element (a handful of keys) costs one allocation and lookups touch one block.
/// The parser places the vector in its tree's arena; every other object, a copy of a
/// parsed one included, keeps it on the heap.
class RICHMARKUP_JSON_EXPORT Object {
public:
    using value_type = std::pair<std::string, Value>;
    using Members = std::pmr::vector<value_type>;
    using const_iterator = Members::const_iterator;

    Object() = default;
    /// Members in any order; of duplicate keys the last one stays.
    explicit Object(std::vector<value_type> members);
    /// Members the caller has sorted and made unique (the parser): not checked.
    Object(Members members, detail::SortedUnique) noexcept : members_(std::move(members)) {}
    Object(std::initializer_list<value_type> members);

    std::size_t size() const noexcept { return members_.size(); }
    bool empty() const noexcept { return members_.empty(); }
    const_iterator begin() const noexcept { return members_.begin(); }
    const_iterator end() const noexcept { return members_.end(); }

    const_iterator find(std::string_view key) const noexcept;
    bool contains(std::string_view key) const noexcept { return find(key) != end(); }
    std::size_t count(std::string_view key) const noexcept { return contains(key) ? 1 : 0; }
    /// The member's value, or nullptr when absent.
    Value const* get(std::string_view key) const noexcept;
    /// The member's value; throws std::out_of_range when absent.
    Value const& at(std::string_view key) const;
    /// Inserts or replaces one member.
    void set(std::string key, Value value);

    friend bool operator==(Object const& a, Object const& b) noexcept { return a.members_ == b.members_; }
    friend bool operator!=(Object const& a, Object const& b) noexcept { return !(a == b); }

private:
    void normalise();
    Members members_;
};

} // namespace foundation::json
