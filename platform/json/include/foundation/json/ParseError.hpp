#pragma once

#include <foundation/json/Export.hpp>

#include <cstddef>
#include <optional>
#include <stdexcept>
#include <string>

namespace foundation::json {

/// JSON text the parser cannot read: where (1-based line, 1-based byte column) and what is wrong.
/// what() is "LINE:COL: reason", or "LINE:COL: POINTER: reason" with a pointer.
class RICHMARKUP_JSON_EXPORT ParseError : public std::runtime_error {
public:
    ParseError(std::size_t line, std::size_t column, std::string reason,
               std::optional<std::string> pointer = std::nullopt);
    std::size_t line() const noexcept { return line_; }
    std::size_t column() const noexcept { return column_; }
    std::string const& reason() const noexcept { return reason_; }
    /// The RFC 6901 pointer of the value at fault, where the text is sound JSON up to it (a
    /// number out of range); nothing where the text is malformed there.
    std::optional<std::string> const& pointer() const noexcept { return pointer_; }

private:
    std::size_t line_;
    std::size_t column_;
    std::string reason_;
    std::optional<std::string> pointer_;
};

} // namespace foundation::json
