#pragma once

#include <foundation/json/Value.hpp>

#include <cstddef>

namespace richmarkup::tool {

/// Counts the elements of a document: objects that carry a "className".
class ElementCounter {
public:
    struct Counts {
        /// Top-level entries: the array's size, or 1 for a single object.
        std::size_t topLevel = 0;
        /// Elements at any depth, the top-level ones included.
        std::size_t total = 0;
    };

    /// Walks with a stack of its own, so depth costs no native stack.
    static Counts count(foundation::json::Value const& document);
};

} // namespace richmarkup::tool
