#pragma once

#include "TextTable.hpp"

#include <cstddef>
#include <string>
#include <string_view>

namespace richmarkup::formats {

/// The identifiers GitHub-style Markdown renderers give headings, so that a link can reach one:
/// the heading's text in lower case, without punctuation, symbols and blanks other than the
/// space ('-' and '_' stay), each space a '-'. The second heading of one identifier gets "-1",
/// the third "-2", and so on, in document order.
class HeadingIds {
public:
    /// The identifier of the next heading, whose text (UTF-8) is `text`.
    std::string next(std::string_view text);

    /// The identifier of `text` before any suffix.
    static std::string slug(std::string_view text);

private:
    TextTable<std::size_t> seen_; // how many headings had each identifier
};

} // namespace richmarkup::formats
