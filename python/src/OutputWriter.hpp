#pragma once

#include <richmarkup/formats/HtmlMath.hpp>
#include <richmarkup/formats/PandocWriter.hpp>
#include <richmarkup/formats/WriterWarning.hpp>
#include <richmarkup/host/LineConverter.hpp>

#include <document/vxzero/Node.hpp>

#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace richmarkup::python {

/// The formats the module writes: richmarkup-build's own, not those it has pandoc write.
enum class OutputFormat { Html, Markdown, Json, Tree, RichText, Pandoc };

/// What a writer is told besides the nodes; each format reads its own.
struct WriterSettings {
    /// html: the page title (none: the first heading's text, else the input's file name), only the
    /// body's content, a stylesheet to link in place of the built-in one.
    std::optional<std::string> title;
    bool fragment = false;
    std::optional<std::string> css;
    /// html: how equations are shown, with the converter that makes MathML.
    formats::HtmlMath math;
    /// json, richtext: on one line.
    bool compact = false;
    /// pandoc: the AST version.
    formats::PandocWriter::Api api = formats::PandocWriter::Api::V1_23;
};

/// One format with its settings, written byte for byte as `richmarkup-build -t FORMAT` writes it.
class OutputWriter {
public:
    OutputWriter(OutputFormat format, WriterSettings settings) : format_(format), settings_(std::move(settings)) {}

    /// By a name or alias -t takes ("md", "html5", ...), in any case.
    static std::optional<OutputFormat> named(std::string_view name);
    static std::string_view nameOf(OutputFormat format);
    /// Every name, for a message: "html, markdown (md), json, tree, richtext or pandoc".
    static std::string names();
    /// The keyword options the format takes, in the order its methods list them.
    static std::vector<std::string_view> const& optionsOf(OutputFormat format);
    /// "1.22" or "1.23".
    static std::optional<formats::PandocWriter::Api> pandocApi(std::string_view version);
    /// One document as one line, for the formats that write JSON Lines (json, richtext); empty for
    /// the others.
    static host::LineConverter::LineWriter lineWriter(OutputFormat format);

    /// Writes the nodes; `name` (the input's) titles an HTML page that has no title of its own.
    /// What is written otherwise than the model holds it goes to `onWarning`.
    void write(std::ostream& out, std::vector<document::vxzero::Node> const& nodes, std::string const& name,
               formats::WriterWarningHandler const& onWarning) const;

private:
    OutputFormat format_;
    WriterSettings settings_;
};

} // namespace richmarkup::python
