#pragma once

#include <document/vxzero/Node.hpp>

#include <iosfwd>
#include <string>
#include <vector>

namespace richmarkup::host {

/// Writes nodes as CommonMark with GitHub pipe tables: ATX headings, paragraphs with formatted
/// runs, links, images, equations as `$tex$` / `$$tex$$`, lists, tables of contents as bulleted
/// lists, fenced code examples and tables. Text is escaped so that it never reads as markup; a
/// table whose cells hold more than one paragraph becomes an HTML table with Markdown cells, so
/// that no text is lost. Link and image addresses with an unsafe scheme are left out (the text
/// stays). Alignment has no Markdown form and is dropped.
class MarkdownWriter {
public:
    static void write(std::ostream& out, std::vector<document::vxzero::Node> const& topLevel);
    static std::string toString(std::vector<document::vxzero::Node> const& topLevel);
};

} // namespace richmarkup::host
