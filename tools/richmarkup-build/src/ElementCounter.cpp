#include "ElementCounter.hpp"

#include <foundation/json/Object.hpp>

#include <vector>

namespace richmarkup::tool {

ElementCounter::Counts ElementCounter::count(foundation::json::Value const& document) {
    Counts counts;
    counts.topLevel = document.isArray() ? document.size() : (document.isObject() ? 1 : 0);

    std::vector<foundation::json::Value const*> stack{&document};
    while (!stack.empty()) {
        foundation::json::Value const* value = stack.back();
        stack.pop_back();
        if (value->isArray()) {
            for (auto const& item : value->asArray()) {
                stack.push_back(&item);
            }
        } else if (value->isObject()) {
            auto const& object = value->asObject();
            if (object.contains("className")) {
                ++counts.total;
            }
            for (auto const& member : object) {
                stack.push_back(&member.second);
            }
        }
    }
    return counts;
}

} // namespace richmarkup::tool
