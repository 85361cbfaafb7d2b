// JSON text to foundation::json::Value: any input either parses or raises ParseError with a
// location inside the input; a parsed value survives a copy and a full walk.
#include <foundation/json/Object.hpp>
#include <foundation/json/Parser.hpp>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

std::size_t walk(foundation::json::Value const& value) {
    std::size_t n = 1;
    if (value.isArray()) {
        for (auto const& item : value.asArray()) {
            n += walk(item);
        }
    } else if (value.isObject()) {
        for (auto const& member : value.asObject()) {
            n += walk(member.second);
        }
    }
    return n;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(std::uint8_t const* data, std::size_t size) {
    std::string const text(reinterpret_cast<char const*>(data), size);
    try {
        foundation::json::Value const value = foundation::json::parse(text);
        foundation::json::Value const copy = value;
        if (walk(copy) == 0) {
            std::abort();
        }
    } catch (foundation::json::ParseError const& e) {
        if (e.line() == 0 || e.column() == 0) {
            std::abort();  // every error must point somewhere
        }
    }
    return 0;
}
