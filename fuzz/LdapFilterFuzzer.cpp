// Filter text: parses or throws std::invalid_argument; a parsed filter's normal form parses
// again to the same filter, and matching never fails.
#include <cppmicroservices/AnyMap.h>
#include <cppmicroservices/LDAPFilter.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(std::uint8_t const* data, std::size_t size) {
    std::string const text(reinterpret_cast<char const*>(data), size);
    cppmicroservices::LDAPFilter filter;
    try {
        filter = cppmicroservices::LDAPFilter(text);
    } catch (std::invalid_argument const&) {
        return 0;
    }
    std::string const normal = filter.ToString();
    if (!(cppmicroservices::LDAPFilter(normal) == filter)) {
        std::abort();
    }
    cppmicroservices::AnyMap properties(cppmicroservices::AnyMap::UNORDERED_MAP_CASEINSENSITIVE_KEYS);
    properties["test_id"] = std::string("ListItemBuilderImpl");
    properties["service.ranking"] = 3;
    properties["ratio"] = 0.5;
    properties["enabled"] = true;
    properties["objectclass"] = std::vector<std::string>{"richmarkup::build::json::NodeBuilder"};
    (void)filter.Match(properties);
    (void)filter.MatchCase(properties);
    return 0;
}
