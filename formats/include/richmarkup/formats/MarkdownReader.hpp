#pragma once

#include <richmarkup/formats/Export.hpp>
#include <richmarkup/formats/ReadDocument.hpp>

#include <string_view>

namespace richmarkup::formats {

/// Reads CommonMark with GitHub's tables, strikethrough and autolinks into rich-text elements:
/// headings (with the identifiers GitHub gives them, so that `[see](#a-heading)` is an internal
/// link), paragraphs of formatted runs, links, images, `$...$` and `$$...$$` equations, lists,
/// code blocks and tables. What the format has no element for keeps its text in the nearest
/// form, with a warning at its line and column; raw HTML is kept as text, never interpreted.
/// Any bytes are read: Markdown has no malformed input.
class RICHMARKUP_FORMATS_EXPORT MarkdownReader {
public:
    static ReadDocument read(std::string_view markdown);
};

} // namespace richmarkup::formats
