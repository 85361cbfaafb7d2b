#pragma once

#include <richmarkup/formats/Export.hpp>
#include <richmarkup/formats/WriterWarning.hpp>

#include <document/vxzero/Node.hpp>

#include <iosfwd>
#include <string>
#include <vector>

namespace richmarkup::formats {

/// Writes nodes as pandoc's JSON AST, which pandoc reads (`pandoc -f json`) to write every format
/// it knows: paragraphs, headings with their identifiers, lists, tables with a header row, column
/// widths and alignment, code examples as CodeBlocks, formatted runs, links, images and equations.
/// A table of contents becomes a Div of class "toc" holding a list of links to the headings.
/// Whatever has no counterpart in the AST is written in its nearest form and reported to
/// Options::onWarning.
class RICHMARKUP_FORMATS_EXPORT PandocWriter {
public:
    /// The pandoc-types version written: pandoc 2.x reads 1.22, pandoc 3.x 1.23, and each refuses
    /// the other's.
    enum class Api { V1_22, V1_23 };

    struct Options {
        Api api = Api::V1_23;
        /// Called for each node written otherwise than the model holds it, or left out.
        WriterWarningHandler onWarning;
    };
    static void write(std::ostream& out, std::vector<document::vxzero::Node> const& topLevel, Options const& options);
    static std::string toString(std::vector<document::vxzero::Node> const& topLevel, Options const& options);
};

} // namespace richmarkup::formats
