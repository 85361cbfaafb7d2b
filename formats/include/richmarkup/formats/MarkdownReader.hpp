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
/// Any bytes are read: Markdown has no malformed input. Ill-formed UTF-8 reads as U+FFFD, and
/// the few constructs that would take the parser quadratic time or memory (tables filled with
/// empty cells, paragraphs of thousands of images and links, a long reference definition used
/// many times) read as their text, each with a warning; Markdown past 256 MiB is not read. It
/// never throws, and may be called on several threads at once.
class RICHMARKUP_FORMATS_EXPORT MarkdownReader {
public:
    static ReadDocument read(std::string_view markdown);
};

} // namespace richmarkup::formats
