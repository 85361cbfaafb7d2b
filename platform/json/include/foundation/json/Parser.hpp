#pragma once

#include <foundation/json/ParseError.hpp>
#include <foundation/json/Value.hpp>

#include <memory>
#include <string>
#include <string_view>

namespace foundation::json {

/// Arrays and objects may nest this deep; deeper text is a ParseError, never a stack overflow.
inline constexpr std::size_t kMaxDepth = 512;

/// Parses JSON text. Every number becomes the double kind; of duplicate keys the last stays.
/// Reusable: keeps its buffers warm between documents. Not for concurrent use.
class Parser {
public:
    Parser();
    ~Parser();
    Parser(Parser const&) = delete;
    Parser& operator=(Parser const&) = delete;

    Value parse(std::string_view text);
    /// Throws ParseError for malformed text and std::runtime_error("cannot read FILE: why").
    Value parseFile(std::string const& path);

private:
    struct State;
    std::unique_ptr<State> state_;
};

Value parse(std::string_view text);
Value parseFile(std::string const& path);

} // namespace foundation::json
