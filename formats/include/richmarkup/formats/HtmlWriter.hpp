#pragma once

#include <richmarkup/formats/Export.hpp>
#include <richmarkup/formats/HtmlMath.hpp>
#include <richmarkup/formats/WriterWarning.hpp>

#include <document/vxzero/Node.hpp>

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

namespace richmarkup::formats {

/// Writes nodes as a standalone HTML page that a browser renders as written: headings,
/// paragraphs with formatted runs, links, images, equations (as Options::math says), lists,
/// tables of contents, tables and code examples with one class per token kind. Every text and attribute
/// is escaped; link and image addresses with a scheme other than a few known safe ones are left
/// out, and an image without a source is written as its alternative text. A link inside a link
/// becomes a span (HTML has no nested links), and an internal link "#x" is pointed at the
/// element whose id is x or x under its tag ("H_x", "T_x", "M_x"), as written or percent-decoded,
/// or loses its address when the page has none. Of elements that share an id the first keeps it
/// and every link to it goes there; each later one gets the id with "-2", "-3", ... added.
/// Whatever is written otherwise than the model holds it is reported to Options::onWarning.
class RICHMARKUP_FORMATS_EXPORT HtmlWriter {
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
        /// How equations are shown: their TeX (the default), MathML, or TeX that KaTeX or MathJax
        /// typesets in the browser (a fragment leaves loading those to the page it goes into).
        /// An equation the MathML converter rejects, or whose encoding is not TeX, is written as
        /// its TeX, with a warning.
        HtmlMath math;
        /// Hears, at its node, each thing written otherwise than the model holds it: an address
        /// left out, a control character replaced, an internal link with no target, an id
        /// already taken, an equation not typeset. Empty: nothing is reported.
        WriterWarningHandler onWarning;
    };

    /// Whether a link may carry `url` as its address (http, https, mailto, ftp, tel or a
    /// relative address); the writer leaves out any other. For addresses from outside the
    /// document too, such as a stylesheet's.
    static bool allowedLink(std::string const& url);

    /// The text of the first heading in document order, if any.
    static std::optional<std::string> firstHeadingText(std::vector<document::vxzero::Node> const& topLevel);

    static void write(std::ostream& out, std::vector<document::vxzero::Node> const& topLevel, Options const& options);
    static void write(std::ostream& out, std::vector<document::vxzero::Node> const& topLevel);
    static std::string toString(std::vector<document::vxzero::Node> const& topLevel, Options const& options);
    static std::string toString(std::vector<document::vxzero::Node> const& topLevel);
};

} // namespace richmarkup::formats
