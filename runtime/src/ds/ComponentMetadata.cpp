#include "ComponentMetadata.hpp"

namespace cppmicroservices::scr {

std::string ComponentMetadata::FactorySuffix() const
{
  std::string const& name = implementationClass;
  std::size_t start = name.compare(0, 2, "::") == 0 ? 2 : 0;
  std::string suffix;
  suffix.reserve(name.size());
  for (std::size_t i = start; i < name.size(); ++i) {
    if (name.compare(i, 2, "::") == 0) {
      suffix.push_back('_');
      ++i;
    } else {
      suffix.push_back(name[i]);
    }
  }
  return suffix;
}

} // namespace cppmicroservices::scr
