#include "AnyMapLookup.hpp"

namespace cppmicroservices::detail {

Any const* AnyMapLookup::Find(std::string const& key) const
{
  auto const it = map_.find(key);
  bool const caseInsensitiveMap = map_.GetType() == AnyMap::UNORDERED_MAP_CASEINSENSITIVE_KEYS;
  if (it != map_.end()) {
    // A case-insensitive map finds "Key" for "key"; an exact match must reject that.
    if (matchCase_ && caseInsensitiveMap && it->first != key) {
      return nullptr;
    }
    return &it->second;
  }
  if (matchCase_ || caseInsensitiveMap) {
    return nullptr;
  }
  // A case-sensitive map asked case-insensitively: only a scan can find "Key" for "key".
  any_map_ciequal const equal;
  for (auto const& entry : map_) {
    if (equal(entry.first, key)) {
      return &entry.second;
    }
  }
  return nullptr;
}

} // namespace cppmicroservices::detail
