#pragma once

#include <richmarkup/host/Conversion.hpp>
#include <richmarkup/host/ConversionOptions.hpp>
#include <richmarkup/host/Diagnostic.hpp>
#include <richmarkup/host/Export.hpp>
#include <richmarkup/host/SourceText.hpp>

#include <richmarkup/formats/ReadDocument.hpp>

#include <foundation/json/Parser.hpp>
#include <foundation/json/Value.hpp>

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace richmarkup::host {

class DocumentHost;

/// Converts texts into one model, as the one document they make in order. Each text is parsed,
/// and checked whole, when it is added, so that malformed JSON fails before anything is built
/// (a host need not even have started); run() then builds them one after the other, each
/// top-level element converted, built and let go before the next while the next ones are
/// converted on a second core, and a text's parse let go once it is built. What it reports is
/// located in the text concerned, under the options' WarningPolicy.
///
/// DocumentHost::convert is one text through it; richmarkup-build runs every input through it.
/// A pipeline runs once (a text's parse goes as it is built); adding to it or running it again
/// afterwards throws std::logic_error. Not for concurrent use: pipelines of their own may run on
/// several threads, sharing the host.
class ConversionPipeline {
public:
    /// Why a run gave no nodes.
    enum class Failure {
        None,
        /// A text is neither a block element nor an array of them; the run stopped at it.
        NotADocument,
        /// A builder's error; the run stopped at it.
        BuildError,
        /// Warnings under WarningPolicy::strict; every text was built.
        StrictWarnings,
    };

    /// What a run built.
    struct Counts {
        /// Top-level elements of the texts built.
        std::size_t topLevel = 0;
        /// Nodes in the model.
        std::size_t nodes = 0;
        /// Bytes of the parsed texts handed back to the system while they were built.
        std::size_t releasedBytes = 0;
        /// Parsed documents: two for a text parsed in two parts at once (see WritableText).
        std::size_t parsedParts = 0;
    };

    RICHMARKUP_HOST_EXPORT explicit ConversionPipeline(ConversionOptions options = {});
    RICHMARKUP_HOST_EXPORT ~ConversionPipeline();
    ConversionPipeline(ConversionPipeline const&) = delete;
    ConversionPipeline& operator=(ConversionPipeline const&) = delete;

    /// Adds a text that stays where it is until run() returns; diagnostics are located in it,
    /// which is copied only when the first one comes. `firstLine` as for DocumentHost::convert.
    /// Malformed text is not added: its error comes back, located.
    RICHMARKUP_HOST_EXPORT std::optional<Diagnostic> add(std::string_view json, std::string name,
                                                         std::size_t firstLine = 1);
    /// Adds a whole file's text, which the parser may write into while it reads it (it is as it
    /// was once this returns) and which may go then: a large document is never held twice, and
    /// its parse goes back to the system as the build passes it. A diagnostic is located in the
    /// text read again from `path`, or in `kept` where it cannot be (standard input).
    RICHMARKUP_HOST_EXPORT std::optional<Diagnostic> add(foundation::json::WritableText json, std::string name,
                                                         std::string path,
                                                         std::optional<std::string> kept = std::nullopt);

    /// Adds what a reader made of an input in another format (Markdown, pandoc's AST): its
    /// elements are built in their turn as a text's are. The reader's warnings are reported when
    /// the run reaches it, under the same policy and limit as the build's; what the build says of
    /// an element is placed where the reader found it. `lines`: the places' lines and columns
    /// mean something to the user (false for an AST that pandoc made of a file: its pointers do).
    RICHMARKUP_HOST_EXPORT void add(formats::ReadDocument document, std::string name, bool lines = true);

    /// Builds every text added, in order, into the conversion's model. Reported warnings go to
    /// ConversionOptions::onWarning, else into the conversion's diagnostics; an error is the
    /// conversion's last diagnostic. With an error, or warnings under strict, the conversion has
    /// no nodes; failure() says which (with an onWarning handler the warnings are not among the
    /// diagnostics, so that ok() cannot tell).
    RICHMARKUP_HOST_EXPORT Conversion run(DocumentHost const& host);

    Failure failure() const noexcept { return failure_; }
    Counts const& counts() const noexcept { return counts_; }
    /// Where each text's nodes start among the conversion's, for the texts built.
    std::vector<std::size_t> const& firstNodes() const noexcept { return firstNodes_; }
    /// Text `index`, to locate what is said later of its nodes (a writer's warnings). A text added
    /// as a view is read where it is, so only while it lives. Not for an input added as a
    /// ReadDocument, which has no text: use document() and locate().
    RICHMARKUP_HOST_EXPORT SourceText& source(std::size_t index);
    /// Input `index` as Values (a text parsed again; undefined where it no longer parses), to find
    /// a node's element in it (NodeLocator).
    RICHMARKUP_HOST_EXPORT foundation::json::Value document(std::size_t index);
    /// Places what is said later of input `index` (a writer's warning at `warning.pointer`) as the
    /// build's own warnings are placed.
    RICHMARKUP_HOST_EXPORT Diagnostic locate(std::size_t index, BuildWarning const& warning,
                                             Diagnostic::Severity severity);

private:
    struct Text;

    Conversion failed(Conversion out, Failure failure);

    ConversionOptions options_;
    // Each on the heap, never moved: a SourceText that has located something points into its
    // own copy of the text.
    std::vector<std::unique_ptr<Text>> texts_;
    std::vector<std::size_t> firstNodes_;
    Counts counts_;
    Failure failure_ = Failure::None;
    bool ran_ = false;
};

} // namespace richmarkup::host
