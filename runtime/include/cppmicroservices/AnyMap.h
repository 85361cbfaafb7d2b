#ifndef CPPMICROSERVICES_ANYMAP_H
#define CPPMICROSERVICES_ANYMAP_H

#include "cppmicroservices/Any.h"

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <map>
#include <stdexcept>
#include <string>
#include <unordered_map>
#include <utility>
#include <variant>

namespace cppmicroservices {

namespace detail {

/// ASCII case-insensitive hash; allocates nothing (lookups are on the hot path).
struct US_Framework_EXPORT any_map_cihash
{
  std::size_t operator()(std::string const& key) const noexcept;
};

/// ASCII case-insensitive equality.
struct US_Framework_EXPORT any_map_ciequal
{
  bool operator()(std::string const& l, std::string const& r) const noexcept;
};

} // namespace detail

/**
 * A string-keyed map of Any values over one of three containers, chosen at construction:
 * ordered, unordered, or unordered with case-insensitive keys.
 */
class US_Framework_EXPORT any_map
{
public:
  using key_type = std::string;
  using mapped_type = Any;
  using value_type = std::pair<key_type const, mapped_type>;
  using size_type = std::size_t;
  using difference_type = std::ptrdiff_t;
  using reference = value_type&;
  using const_reference = value_type const&;
  using pointer = value_type*;
  using const_pointer = value_type const*;

  using ordered_any_map = std::map<std::string, Any>;
  using unordered_any_map = std::unordered_map<std::string, Any>;
  using unordered_any_cimap = std::unordered_map<std::string, Any, detail::any_map_cihash, detail::any_map_ciequal>;

  enum map_type : uint8_t
  {
    ORDERED_MAP,
    UNORDERED_MAP,
    UNORDERED_MAP_CASEINSENSITIVE_KEYS
  };

  class const_iter;

  class US_Framework_EXPORT iter
  {
  public:
    using iterator_category = std::forward_iterator_tag;
    using value_type = any_map::value_type;
    using difference_type = any_map::difference_type;
    using reference = any_map::reference;
    using pointer = any_map::pointer;
    using iterator = iter;

    iter() = default;
    iter(ordered_any_map::iterator it) : it_(std::in_place_index<0>, std::move(it)) {}
    iter(unordered_any_map::iterator it) : it_(std::in_place_index<1>, std::move(it)) {}
    iter(unordered_any_cimap::iterator it, int /*ci tag*/) : it_(std::in_place_index<2>, std::move(it)) {}

    reference operator*() const;
    pointer operator->() const { return &operator*(); }
    iter& operator++();
    iter operator++(int)
    {
      iter old(*this);
      ++*this;
      return old;
    }
    bool operator==(iter const& x) const { return it_ == x.it_; }
    bool operator!=(iter const& x) const { return !(it_ == x.it_); }

  private:
    friend class const_iter;
    std::variant<ordered_any_map::iterator, unordered_any_map::iterator, unordered_any_cimap::iterator> it_;
  };

  class US_Framework_EXPORT const_iter
  {
  public:
    using iterator_category = std::forward_iterator_tag;
    using value_type = any_map::value_type;
    using difference_type = any_map::difference_type;
    using reference = any_map::const_reference;
    using pointer = any_map::const_pointer;
    using iterator = const_iter;

    const_iter() = default;
    const_iter(iter const& it);
    const_iter(ordered_any_map::const_iterator it) : it_(std::in_place_index<0>, std::move(it)) {}
    const_iter(unordered_any_map::const_iterator it) : it_(std::in_place_index<1>, std::move(it)) {}
    const_iter(unordered_any_cimap::const_iterator it, int /*ci tag*/) : it_(std::in_place_index<2>, std::move(it)) {}

    reference operator*() const;
    pointer operator->() const { return &operator*(); }
    const_iter& operator++();
    const_iter operator++(int)
    {
      const_iter old(*this);
      ++*this;
      return old;
    }
    bool operator==(const_iter const& x) const { return it_ == x.it_; }
    bool operator!=(const_iter const& x) const { return !(it_ == x.it_); }

  private:
    std::variant<ordered_any_map::const_iterator, unordered_any_map::const_iterator,
                 unordered_any_cimap::const_iterator>
      it_;
  };

  using iterator = iter;
  using const_iterator = const_iter;

  any_map(map_type type);
  any_map(ordered_any_map const& m);
  any_map(ordered_any_map&& m);
  any_map(unordered_any_map const& m);
  any_map(unordered_any_map&& m);
  any_map(unordered_any_cimap const& m);
  any_map(unordered_any_cimap&& m);

  any_map(any_map const& m) = default;
  any_map& operator=(any_map const& m) = default;
  any_map(any_map&& m) noexcept = default;
  any_map& operator=(any_map&& m) noexcept = default;
  ~any_map() = default;

  iter begin();
  const_iter begin() const;
  const_iter cbegin() const;
  iter end();
  const_iter end() const;
  const_iter cend() const;

  bool empty() const;
  size_type size() const;
  size_type count(key_type const& key) const;
  void clear();

  /// \throws std::out_of_range if key is absent.
  mapped_type& at(key_type const& key);
  mapped_type const& at(key_type const& key) const;

  mapped_type& operator[](key_type const& key);
  mapped_type& operator[](key_type&& key);

  std::pair<iterator, bool> insert(value_type const& value);

  template <class... Args>
  std::pair<iterator, bool> emplace(Args&&... args)
  {
    switch (map_.index()) {
    case ORDERED_MAP: {
      auto p = std::get<ORDERED_MAP>(map_).emplace(std::forward<Args>(args)...);
      return {iterator(std::move(p.first)), p.second};
    }
    case UNORDERED_MAP: {
      auto p = std::get<UNORDERED_MAP>(map_).emplace(std::forward<Args>(args)...);
      return {iterator(std::move(p.first)), p.second};
    }
    default: {
      auto p = std::get<UNORDERED_MAP_CASEINSENSITIVE_KEYS>(map_).emplace(std::forward<Args>(args)...);
      return {iterator(std::move(p.first), 0), p.second};
    }
    }
  }

  const_iterator find(key_type const& key) const;
  iterator find(key_type const& key);

  /// \return the number of entries erased (0 or 1).
  size_type erase(key_type const& key);

  /// Same size and, for every key of this map, an equal value under that key in rhs.
  bool operator==(any_map const& rhs) const;
  bool operator!=(any_map const& rhs) const { return !operator==(rhs); }

protected:
  map_type GetMapType() const noexcept { return static_cast<map_type>(map_.index()); }

private:
  std::variant<ordered_any_map, unordered_any_map, unordered_any_cimap> map_;
};

/**
 * An any_map with lookups by dotted compound keys ("a.b.0") through nested AnyMaps and
 * std::vector<Any>.
 */
class US_Framework_EXPORT AnyMap : public any_map
{
public:
  AnyMap(map_type type);
  AnyMap(ordered_any_map const& m);
  AnyMap(ordered_any_map&& m);
  AnyMap(unordered_any_map const& m);
  AnyMap(unordered_any_map&& m);
  AnyMap(unordered_any_cimap const& m);
  AnyMap(unordered_any_cimap&& m);

  map_type GetType() const;

  /**
   * Value under a compound key, e.g. "scr.components.0.name".
   * \throws std::invalid_argument if an inner value is neither AnyMap nor std::vector<Any>.
   * \throws std::out_of_range if a key is absent or an index is out of range.
   */
  mapped_type const& AtCompoundKey(key_type const& key) const;

  /// As above, but returns defaultValue instead of throwing.
  mapped_type AtCompoundKey(key_type const& key, mapped_type defaultValue) const noexcept;
};

US_Framework_EXPORT std::ostream& any_value_to_string(std::ostream& os, AnyMap const& m);
US_Framework_EXPORT std::ostream& any_value_to_json(std::ostream& os, AnyMap const& m, uint8_t const increment = 0,
                                                    int32_t const indent = 0);

} // namespace cppmicroservices

#endif // CPPMICROSERVICES_ANYMAP_H
