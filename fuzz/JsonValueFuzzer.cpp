// JSON text to foundation::json::Value: any input either parses or raises ParseError with a
// location inside the input; a parsed value survives a copy and a full walk; a stream of
// the same text, warm or releasing, hands out exactly the top-level entries of the parse.
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
        foundation::json::Parser parser;
        for (bool const releasing : {false, true}) {
            foundation::json::ElementStream stream =
                releasing ? parser.streamAndRelease(std::string(text)) : parser.stream(text);
            if (stream.documentKind() != value.kind()) {
                std::abort();
            }
            std::size_t i = 0;
            foundation::json::Value element;
            while (stream.next(element)) {
                if (i >= (value.isArray() ? value.size() : 1)) {
                    std::abort();
                }
                foundation::json::Value const& expected = value.isArray() ? value.asArray()[i] : value;
                if (element != expected) {
                    std::abort();
                }
                ++i;
            }
            if (i != (value.isArray() ? value.size() : 1)) {
                std::abort();
            }
        }
    } catch (foundation::json::ParseError const& e) {
        if (e.line() == 0 || e.column() == 0) {
            std::abort(); // every error must point somewhere
        }
    }
    return 0;
}
