#pragma once

#include <document/vxzero/Node.hpp>

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

namespace richmarkup::host {

/// Writes nodes as a standalone HTML page that a browser renders as written: headings,
/// paragraphs with formatted runs, links, images, equations (as their TeX source), lists, tables
/// of contents, tables and code examples with one class per token kind. Every text and attribute
/// is escaped; link and image addresses with a scheme other than a few known safe ones are left
/// out. A link inside a link becomes a span (HTML has no nested links), and an internal link
/// "#x" is pointed at the element whose id is x or x under its tag ("H_x", "T_x", "M_x"), or
/// loses its address when the page has none.
class HtmlWriter {
public:
    struct Options {
        /// The page title.
        std::string title = "richmarkup document";
        /// The page's language (the html element's lang).
        std::string language = "en";
        /// Only the body's content, to embed in another page.
        bool fragment = false;
        /// A stylesheet to link in place of the built-in style.
        std::optional<std::string> stylesheet;
    };

    /// The text of the first heading in document order, if any.
    static std::optional<std::string> firstHeadingText(std::vector<document::vxzero::Node> const& topLevel);

    static void write(std::ostream& out, std::vector<document::vxzero::Node> const& topLevel,
                      Options const& options);
    static void write(std::ostream& out, std::vector<document::vxzero::Node> const& topLevel);
    static std::string toString(std::vector<document::vxzero::Node> const& topLevel, Options const& options);
    static std::string toString(std::vector<document::vxzero::Node> const& topLevel);
};

} // namespace richmarkup::host
