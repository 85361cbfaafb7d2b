#pragma once

#include <document/vxzero/Node.hpp>

#include <iosfwd>
#include <string>
#include <vector>

namespace richmarkup::host {

/// Writes nodes as a standalone HTML page that a browser renders: headings, paragraphs with
/// formatted runs, links, images, equations (as their TeX source), lists, tables of contents,
/// tables and code examples with one class per token kind. Every text and attribute is escaped;
/// link and image addresses with a scheme other than a few known safe ones are left out.
class HtmlWriter {
public:
    struct Options {
        /// The page title.
        std::string title = "richmarkup document";
    };

    static void write(std::ostream& out, std::vector<document::vxzero::Node> const& topLevel,
                      Options const& options);
    static void write(std::ostream& out, std::vector<document::vxzero::Node> const& topLevel);
    static std::string toString(std::vector<document::vxzero::Node> const& topLevel, Options const& options);
    static std::string toString(std::vector<document::vxzero::Node> const& topLevel);
};

} // namespace richmarkup::host
