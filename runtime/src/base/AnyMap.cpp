#include "cppmicroservices/AnyMap.h"

#include <cerrno>
#include <climits>
#include <cstdlib>

namespace cppmicroservices {

namespace {

inline unsigned char LowerAscii(char c) noexcept
{
  auto const u = static_cast<unsigned char>(c);
  return (u >= 'A' && u <= 'Z') ? static_cast<unsigned char>(u + ('a' - 'A')) : u;
}

template <class Map>
std::ostream& MapToString(std::ostream& os, Map const& m)
{
  os << "{";
  bool first = true;
  for (auto const& [key, value] : m) {
    if (!first) {
      os << ", ";
    }
    first = false;
    os << key << " : ";
    any_value_to_string(os, value);
  }
  return os << "}";
}

} // namespace

namespace detail {

std::size_t any_map_cihash::operator()(std::string const& key) const noexcept
{
  // FNV-1a over the lower-cased bytes.
  std::size_t hash = static_cast<std::size_t>(14695981039346656037ULL);
  for (char const c : key) {
    hash ^= LowerAscii(c);
    hash *= static_cast<std::size_t>(1099511628211ULL);
  }
  return hash;
}

bool any_map_ciequal::operator()(std::string const& l, std::string const& r) const noexcept
{
  if (l.size() != r.size()) {
    return false;
  }
  for (std::size_t i = 0; i < l.size(); ++i) {
    if (LowerAscii(l[i]) != LowerAscii(r[i])) {
      return false;
    }
  }
  return true;
}

} // namespace detail

// ---- iterators

any_map::iter::reference any_map::iter::operator*() const
{
  return std::visit([](auto const& it) -> reference { return *it; }, it_);
}

any_map::iter& any_map::iter::operator++()
{
  std::visit([](auto& it) { ++it; }, it_);
  return *this;
}

any_map::const_iter::const_iter(iter const& it)
{
  switch (it.it_.index()) {
  case 0: it_.emplace<0>(std::get<0>(it.it_)); break;
  case 1: it_.emplace<1>(std::get<1>(it.it_)); break;
  default: it_.emplace<2>(std::get<2>(it.it_)); break;
  }
}

any_map::const_iter::reference any_map::const_iter::operator*() const
{
  return std::visit([](auto const& it) -> reference { return *it; }, it_);
}

any_map::const_iter& any_map::const_iter::operator++()
{
  std::visit([](auto& it) { ++it; }, it_);
  return *this;
}

// ---- any_map

any_map::any_map(map_type type)
{
  switch (type) {
  case ORDERED_MAP: map_.emplace<ORDERED_MAP>(); break;
  case UNORDERED_MAP: map_.emplace<UNORDERED_MAP>(); break;
  case UNORDERED_MAP_CASEINSENSITIVE_KEYS: map_.emplace<UNORDERED_MAP_CASEINSENSITIVE_KEYS>(); break;
  default: throw std::logic_error("invalid map type");
  }
}

any_map::any_map(ordered_any_map const& m) : map_(std::in_place_index<ORDERED_MAP>, m) {}
any_map::any_map(ordered_any_map&& m) : map_(std::in_place_index<ORDERED_MAP>, std::move(m)) {}
any_map::any_map(unordered_any_map const& m) : map_(std::in_place_index<UNORDERED_MAP>, m) {}
any_map::any_map(unordered_any_map&& m) : map_(std::in_place_index<UNORDERED_MAP>, std::move(m)) {}
any_map::any_map(unordered_any_cimap const& m) : map_(std::in_place_index<UNORDERED_MAP_CASEINSENSITIVE_KEYS>, m) {}
any_map::any_map(unordered_any_cimap&& m) : map_(std::in_place_index<UNORDERED_MAP_CASEINSENSITIVE_KEYS>, std::move(m))
{}

any_map::iter any_map::begin()
{
  switch (map_.index()) {
  case ORDERED_MAP: return iter(std::get<ORDERED_MAP>(map_).begin());
  case UNORDERED_MAP: return iter(std::get<UNORDERED_MAP>(map_).begin());
  default: return iter(std::get<UNORDERED_MAP_CASEINSENSITIVE_KEYS>(map_).begin(), 0);
  }
}

any_map::const_iter any_map::begin() const
{
  return cbegin();
}

any_map::const_iter any_map::cbegin() const
{
  switch (map_.index()) {
  case ORDERED_MAP: return const_iter(std::get<ORDERED_MAP>(map_).cbegin());
  case UNORDERED_MAP: return const_iter(std::get<UNORDERED_MAP>(map_).cbegin());
  default: return const_iter(std::get<UNORDERED_MAP_CASEINSENSITIVE_KEYS>(map_).cbegin(), 0);
  }
}

any_map::iter any_map::end()
{
  switch (map_.index()) {
  case ORDERED_MAP: return iter(std::get<ORDERED_MAP>(map_).end());
  case UNORDERED_MAP: return iter(std::get<UNORDERED_MAP>(map_).end());
  default: return iter(std::get<UNORDERED_MAP_CASEINSENSITIVE_KEYS>(map_).end(), 0);
  }
}

any_map::const_iter any_map::end() const
{
  return cend();
}

any_map::const_iter any_map::cend() const
{
  switch (map_.index()) {
  case ORDERED_MAP: return const_iter(std::get<ORDERED_MAP>(map_).cend());
  case UNORDERED_MAP: return const_iter(std::get<UNORDERED_MAP>(map_).cend());
  default: return const_iter(std::get<UNORDERED_MAP_CASEINSENSITIVE_KEYS>(map_).cend(), 0);
  }
}

bool any_map::empty() const
{
  return std::visit([](auto const& m) { return m.empty(); }, map_);
}

any_map::size_type any_map::size() const
{
  return std::visit([](auto const& m) { return m.size(); }, map_);
}

any_map::size_type any_map::count(key_type const& key) const
{
  return std::visit([&key](auto const& m) { return m.count(key); }, map_);
}

void any_map::clear()
{
  std::visit([](auto& m) { m.clear(); }, map_);
}

any_map::mapped_type& any_map::at(key_type const& key)
{
  return std::visit([&key](auto& m) -> mapped_type& { return m.at(key); }, map_);
}

any_map::mapped_type const& any_map::at(key_type const& key) const
{
  return std::visit([&key](auto const& m) -> mapped_type const& { return m.at(key); }, map_);
}

any_map::mapped_type& any_map::operator[](key_type const& key)
{
  return std::visit([&key](auto& m) -> mapped_type& { return m[key]; }, map_);
}

any_map::mapped_type& any_map::operator[](key_type&& key)
{
  return std::visit([&key](auto& m) -> mapped_type& { return m[std::move(key)]; }, map_);
}

std::pair<any_map::iterator, bool> any_map::insert(value_type const& value)
{
  return emplace(value);
}

any_map::const_iterator any_map::find(key_type const& key) const
{
  switch (map_.index()) {
  case ORDERED_MAP: return const_iter(std::get<ORDERED_MAP>(map_).find(key));
  case UNORDERED_MAP: return const_iter(std::get<UNORDERED_MAP>(map_).find(key));
  default: return const_iter(std::get<UNORDERED_MAP_CASEINSENSITIVE_KEYS>(map_).find(key), 0);
  }
}

any_map::iterator any_map::find(key_type const& key)
{
  switch (map_.index()) {
  case ORDERED_MAP: return iter(std::get<ORDERED_MAP>(map_).find(key));
  case UNORDERED_MAP: return iter(std::get<UNORDERED_MAP>(map_).find(key));
  default: return iter(std::get<UNORDERED_MAP_CASEINSENSITIVE_KEYS>(map_).find(key), 0);
  }
}

any_map::size_type any_map::erase(key_type const& key)
{
  return std::visit([&key](auto& m) -> size_type { return m.erase(key); }, map_);
}

bool any_map::operator==(any_map const& rhs) const
{
  if (size() != rhs.size()) {
    return false;
  }
  for (auto const& [key, value] : *this) {
    auto const other = rhs.find(key);
    if (other == rhs.end() || !(other->second == value)) {
      return false;
    }
  }
  return true;
}

// ---- AnyMap

AnyMap::AnyMap(map_type type) : any_map(type) {}
AnyMap::AnyMap(ordered_any_map const& m) : any_map(m) {}
AnyMap::AnyMap(ordered_any_map&& m) : any_map(std::move(m)) {}
AnyMap::AnyMap(unordered_any_map const& m) : any_map(m) {}
AnyMap::AnyMap(unordered_any_map&& m) : any_map(std::move(m)) {}
AnyMap::AnyMap(unordered_any_cimap const& m) : any_map(m) {}
AnyMap::AnyMap(unordered_any_cimap&& m) : any_map(std::move(m)) {}

AnyMap::map_type AnyMap::GetType() const
{
  return GetMapType();
}

namespace {

// Index of a std::vector<Any> component; anything but a plain non-negative int is absent.
std::size_t ParseIndex(std::string const& text, std::string const& key)
{
  bool valid = !text.empty() && text.size() <= 10;
  for (char const c : text) {
    valid = valid && c >= '0' && c <= '9';
  }
  long long const value = valid ? std::strtoll(text.c_str(), nullptr, 10) : -1;
  if (!valid || value > INT_MAX) {
    throw std::out_of_range("Invalid index '" + text + "' in compound key '" + key + "'");
  }
  return static_cast<std::size_t>(value);
}

} // namespace

AnyMap::mapped_type const& AnyMap::AtCompoundKey(key_type const& key) const
{
  Any const* current = nullptr;
  std::size_t start = 0;
  while (true) {
    std::size_t const dot = key.find('.', start);
    std::string const part = key.substr(start, dot == std::string::npos ? std::string::npos : dot - start);
    if (!current) {
      current = &at(part);
    } else if (auto const* map = any_cast<AnyMap>(current)) {
      current = &map->at(part);
    } else if (auto const* vec = any_cast<std::vector<Any>>(current)) {
      std::size_t const index = ParseIndex(part, key);
      if (index >= vec->size()) {
        throw std::out_of_range("Index " + part + " out of range in compound key '" + key + "'");
      }
      current = &(*vec)[index];
    } else {
      throw std::invalid_argument("Value before '" + part + "' in compound key '" + key +
                                  "' is neither an AnyMap nor a std::vector<Any>");
    }
    if (dot == std::string::npos) {
      return *current;
    }
    start = dot + 1;
  }
}

AnyMap::mapped_type AnyMap::AtCompoundKey(key_type const& key, mapped_type defaultValue) const noexcept
{
  try {
    return AtCompoundKey(key);
  } catch (...) {
    return defaultValue;
  }
}

std::ostream& any_value_to_string(std::ostream& os, AnyMap const& m)
{
  return MapToString(os, m);
}

std::ostream& any_value_to_json(std::ostream& os, AnyMap const& m, uint8_t const increment, int32_t const indent)
{
  if (m.empty()) {
    return os << "{}";
  }
  os << "{";
  bool first = true;
  for (auto const& [key, value] : m) {
    if (!first) {
      os << ",";
    }
    first = false;
    newline_and_indent(os, increment, indent);
    any_value_to_json(os, key);
    os << " : ";
    any_value_to_json(os, value, increment, indent + increment);
  }
  newline_and_indent(os, increment, indent - increment);
  return os << "}";
}

} // namespace cppmicroservices
