#pragma once

#include <richmarkup/formats/Export.hpp>
#include <richmarkup/formats/WriterWarning.hpp>

#include <document/vxzero/Node.hpp>

#include <iosfwd>
#include <string>
#include <vector>

namespace richmarkup::formats {

/// Writes nodes as CommonMark with GitHub pipe tables: ATX headings, paragraphs with formatted
/// runs, links, images, equations as `$tex$` / `$$tex$$` with the TeX as it stands, lists, tables
/// of contents as bulleted lists, fenced code examples and tables. Text is escaped so that it
/// never reads as markup, and blanks that start or end a line are kept as character references.
/// A link to an anchor id of a heading points at the id renderers give the heading's text.
///
/// Two constructs need raw HTML, which safe renderers drop: underlined text (`<u>`), and a table
/// whose cells hold more than one paragraph (`<table>` with Markdown cells, so that the cells'
/// content stays). Link and image addresses with an unsafe scheme are left out (the text stays).
/// Alignment, image sizes, column widths, token kinds and equations' alternative text have no
/// Markdown form and are not written. Whatever else the Markdown cannot hold as the model does
/// is reported to Options::onWarning.
class RICHMARKUP_FORMATS_EXPORT MarkdownWriter {
public:
    struct Options {
        /// Called for each node written otherwise than the model holds it, or left out.
        WriterWarningHandler onWarning;
    };

    static void write(std::ostream& out, std::vector<document::vxzero::Node> const& topLevel, Options const& options);
    static void write(std::ostream& out, std::vector<document::vxzero::Node> const& topLevel);
    static std::string toString(std::vector<document::vxzero::Node> const& topLevel, Options const& options);
    static std::string toString(std::vector<document::vxzero::Node> const& topLevel);
};

} // namespace richmarkup::formats
