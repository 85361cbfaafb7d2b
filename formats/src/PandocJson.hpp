#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// The pieces of pandoc's JSON AST that the pandoc writer appends straight into its one buffer:
// no value tree in between, since writing speed is the point of having the AST at all.
namespace richmarkup::formats::pandoc {

/// UTF-16 text as the inside of a JSON string: UTF-8, with `"`, `\` and the control characters
/// escaped. A lone surrogate becomes U+FFFD; gives how many did.
std::size_t appendEscaped(std::string& out, std::u16string_view text);

/// The same between double quotes.
std::size_t appendString(std::string& out, std::u16string_view text);

/// A number as JSON, in the shortest form that reads back as the same double.
void appendNumber(std::string& out, double value);

/// Puts the comma before an element of an array, unless the array has just been opened:
/// every writer of an array element calls this first.
inline void separate(std::string& out) {
    if (out.back() != '[') {
        out.push_back(',');
    }
}

} // namespace richmarkup::formats::pandoc
