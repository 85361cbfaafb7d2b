#pragma once

#include <foundation/json/Value.hpp>

#include <atomic>
#include <string>

namespace foundation::json::detail {

// Shared immutable payloads. The count starts at one for the Value that made them.
struct StringRep {
    explicit StringRep(std::string s) : value(std::move(s)) {}
    std::atomic<std::uint32_t> refs{1};
    std::string value;
};

struct ArrayRep {
    explicit ArrayRep(Array a) : value(std::move(a)) {}
    std::atomic<std::uint32_t> refs{1};
    Array value;
};

struct ObjectRep {
    explicit ObjectRep(Object o) : value(std::move(o)) {}
    std::atomic<std::uint32_t> refs{1};
    Object value;
};

} // namespace foundation::json::detail
