#pragma once

#include <foundation/json/Export.hpp>

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace foundation::json {

/// Appends "/" and `token` as an RFC 6901 reference token ("~" as "~0", "/" as "~1").
RICHMARKUP_JSON_EXPORT void appendPointerToken(std::string& pointer, std::string_view token);

/// Where a value stands in the text it was parsed from.
struct TextPosition {
    std::size_t offset = 0; ///< byte offset of the value's first character
    std::size_t line = 1;   ///< counted from 1
    std::size_t column = 1; ///< bytes, counted from 1
};

/// Finds values of well-formed JSON text by RFC 6901 pointer ("/0/children/2/text"), only when a
/// message needs a position, so that parsing keeps no positions at all. Of an object's members
/// with the same key, the last is found, as the parser keeps the last. Lookups in document
/// order of the top-level array are cheap: the locator goes on from the element it found last.
class RICHMARKUP_JSON_EXPORT TextLocator {
public:
    explicit TextLocator(std::string_view text) noexcept : text_(text) {}

    /// The value's position, or nothing when the pointer names no value of the text.
    std::optional<TextPosition> locate(std::string_view pointer);
    /// Every value the pointer names, in the order of the text: of an object's members with the
    /// same key, each one (the last is the one the parser keeps); else the one value, or none.
    std::vector<TextPosition> locateEach(std::string_view pointer);

private:
    // The offset where the value starts.
    std::optional<std::size_t> find(std::string_view pointer);
    TextPosition position(std::size_t offset);

    std::string_view text_;
    // The top-level array element found last and where it starts; the line count up to it.
    std::size_t lastIndex_ = 0;
    std::size_t lastOffset_ = 0;
    bool haveLast_ = false;
    std::size_t countedTo_ = 0;
    std::size_t linesBefore_ = 1;
    std::size_t lineStart_ = 0;
};

} // namespace foundation::json
