#pragma once

#include "OutputWriter.hpp"

#include <richmarkup/host/Conversion.hpp>
#include <richmarkup/host/ConversionPipeline.hpp>
#include <richmarkup/host/Diagnostic.hpp>
#include <richmarkup/host/DocumentHost.hpp>

#include <document/vxzero/Node.hpp>

#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace richmarkup::python {

/// The formats a document is read from: richmarkup-build's -f richtext, markdown and pandoc.
enum class InputFormat { RichText, Markdown, Pandoc };

/// One text converted into a model of its own, kept with what it takes to place what a writer
/// says of its nodes later: the pipeline and the text it reads. Plain C++, used without the GIL;
/// the Python objects that show it (Document, Node) share it, so the model lives while any does.
/// Writers may run on several threads at once: they take turns, since a model counts its node
/// handles without atomics.
class ParsedDocument {
public:
    /// Why a text gave no document.
    enum class Failure {
        None,
        /// Malformed JSON, an AST pandoc cannot have written, a text that is no document.
        Input,
        /// A builder's error, or warnings under strict.
        Build,
    };

    struct Outcome {
        /// Null when the text failed.
        std::shared_ptr<ParsedDocument> document;
        Failure failure = Failure::None;
        /// In the order said: the warnings, and when it failed its errors (under strict every
        /// warning is one).
        std::vector<host::Diagnostic> diagnostics;
    };

    /// By a name or alias -f takes ("json", "md", ...), in any case; JSON Lines is not one.
    static std::optional<InputFormat> inputNamed(std::string_view name);

    /// Reads and builds `text`, naming it `name` in diagnostics; under `strict` every warning is
    /// an error. Starts the shared host if the text parses.
    static Outcome read(std::string text, std::string name, InputFormat from, bool strict);

    ParsedDocument(ParsedDocument const&) = delete;
    ParsedDocument& operator=(ParsedDocument const&) = delete;

    std::vector<document::vxzero::Node> const& nodes() const noexcept { return conversion_.nodes; }
    /// The build's warnings, located.
    std::vector<host::Diagnostic> const& diagnostics() const noexcept { return conversion_.diagnostics; }
    std::string const& name() const noexcept { return name_; }
    bool strict() const noexcept { return strict_; }

    struct Written {
        std::string text;
        /// What the writer wrote otherwise than the model holds it, located; errors under strict.
        std::vector<host::Diagnostic> warnings;
    };
    Written write(OutputWriter const& writer) const;

private:
    ParsedDocument(host::DocumentHost const* host, std::string text, std::string name, bool strict);

    host::DocumentHost const* host_; // set once the text is built
    // Read by the pipeline, which places diagnostics in it, while the document lives.
    std::string text_;
    std::string name_;
    bool strict_;
    mutable host::ConversionPipeline pipeline_;
    host::Conversion conversion_;
    mutable std::mutex writing_;
};

} // namespace richmarkup::python
