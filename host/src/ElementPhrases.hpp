#pragma once

#include <foundation/json/Value.hpp>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace richmarkup::host::phrases {

/// "a string", "an array", "null": a JSON kind as it reads in a sentence.
std::string kindPhrase(foundation::json::Kind kind);

/// Why no builder took an element, in words that point at the element's className.
std::string skippedMessage(foundation::json::Value const& element);

/// A number as the shortest text that reads back as the same double: 0.1, 257, 1e+300.
std::string number(double value);

/// Whether `c` can be part of a JSON number as written (digits, sign, point, exponent).
inline bool numberByte(char c) noexcept {
    return (c >= '0' && c <= '9') || c == '-' || c == '+' || c == '.' || c == 'e' || c == 'E';
}

/// The number that starts at `offset` of `text`, as written; empty where none does.
std::string_view numberAt(std::string_view text, std::size_t offset) noexcept;

/// `message` with the number `written` (as the text wrote it) in place of its first mention as
/// number() writes it, for messages whose value the text wrote otherwise: 9007199254740993 where
/// the double is 9007199254740992. Unchanged where `written` is no number or not mentioned.
std::string withNumberAsWritten(std::string message, std::string_view written);

/// The warning for a key that an object has more than once, before the places of its values
/// are known.
std::string duplicateKey(std::string_view key);
/// Whether `message` is one duplicateKey() made.
bool isDuplicateKey(std::string const& message);
/// A duplicateKey() message with the place of each value ("LINE:COL", in the order of the
/// text: the last is the one used) in place of its general words; nothing for other messages.
std::optional<std::string> duplicateKeyPlaced(std::string const& message, std::vector<std::string> const& places);

} // namespace richmarkup::host::phrases
