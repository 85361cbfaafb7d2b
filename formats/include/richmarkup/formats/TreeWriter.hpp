#pragma once

#include <richmarkup/formats/Export.hpp>

#include <document/vxzero/Node.hpp>

#include <iosfwd>
#include <string>
#include <vector>

namespace richmarkup::formats {

/// Writes nodes as an indented outline for people: one node a line, two spaces per level,
/// the kind first, then its text in quotes, then what was set on it as key=value, e.g.
///
///     RichTextParagraphNode anchorId="M_intro" alignment=left
///       RichTextNode "Hello" bold=true italic=false
///       HyperlinkNode target="https://example.org" targetType="url"
///         RichTextNode "a link"
///
/// An empty anchor id is left out. Strings are quoted with `\"` `\\` `\n` `\r` `\t` and `\u00XX` for other control
/// characters.
class RICHMARKUP_FORMATS_EXPORT TreeWriter {
public:
    static void write(std::ostream& out, std::vector<document::vxzero::Node> const& topLevel);
    static std::string toString(std::vector<document::vxzero::Node> const& topLevel);
};

} // namespace richmarkup::formats
