#pragma once

#include <cstddef>
#include <stdexcept>
#include <string>

namespace foundation::json {

/// Malformed JSON text: where (1-based line, 1-based byte column) and what is wrong.
class ParseError : public std::runtime_error {
public:
    ParseError(std::size_t line, std::size_t column, std::string reason);
    std::size_t line() const noexcept { return line_; }
    std::size_t column() const noexcept { return column_; }
    std::string const& reason() const noexcept { return reason_; }

private:
    std::size_t line_;
    std::size_t column_;
    std::string reason_;
};

} // namespace foundation::json
