#include "ParsedDocument.hpp"

#include "SharedHost.hpp"

#include <richmarkup/formats/MarkdownReader.hpp>
#include <richmarkup/formats/PandocReader.hpp>
#include <richmarkup/formats/ReadError.hpp>
#include <richmarkup/host/WriterWarnings.hpp>

#include <algorithm>
#include <cctype>
#include <sstream>

namespace richmarkup::python {

namespace {

host::ConversionOptions optionsFor(bool strict) {
    host::ConversionOptions options;
    options.warnings.strict = strict;
    return options;
}

ParsedDocument::Outcome failedWith(ParsedDocument::Failure failure, std::vector<host::Diagnostic> diagnostics) {
    ParsedDocument::Outcome outcome;
    outcome.failure = failure;
    outcome.diagnostics = std::move(diagnostics);
    return outcome;
}

// Where pandoc's AST is no AST, as richmarkup-build says it: at its line and column, and at the
// pointer of the node at fault where there is one.
host::Diagnostic unreadable(std::string const& name, formats::ReadError const& error) {
    host::Diagnostic diagnostic{host::Diagnostic::Severity::Error,
                                name,
                                error.place().line,
                                error.place().column,
                                error.place().pointer,
                                error.what()};
    diagnostic.malformed = error.place().pointer.empty();
    return diagnostic;
}

} // namespace

ParsedDocument::ParsedDocument(host::DocumentHost const* host, std::string text, std::string name, bool strict)
    : host_(host), text_(std::move(text)), name_(std::move(name)), strict_(strict), pipeline_(optionsFor(strict)) {}

std::optional<InputFormat> ParsedDocument::inputNamed(std::string_view name) {
    std::string key(name);
    std::transform(key.begin(), key.end(), key.begin(), [](unsigned char c) { return std::tolower(c); });
    if (key == "richtext" || key == "json") {
        return InputFormat::RichText;
    }
    if (key == "markdown" || key == "md" || key == "gfm" || key == "commonmark") {
        return InputFormat::Markdown;
    }
    if (key == "pandoc") {
        return InputFormat::Pandoc;
    }
    return std::nullopt;
}

ParsedDocument::Outcome ParsedDocument::read(std::string text, std::string name, InputFormat from, bool strict) {
    std::shared_ptr<ParsedDocument> document(new ParsedDocument(nullptr, std::move(text), std::move(name), strict));
    ParsedDocument& self = *document;
    // Each text is read before the host is asked for: input that cannot be read fails without it.
    switch (from) {
    case InputFormat::RichText:
        if (auto malformed = self.pipeline_.add(self.text_, self.name_)) {
            return failedWith(Failure::Input, {std::move(*malformed)});
        }
        break;
    case InputFormat::Markdown: self.pipeline_.add(formats::MarkdownReader::read(self.text_), self.name_); break;
    case InputFormat::Pandoc:
        try {
            formats::ReadDocument read = formats::PandocReader::read(self.text_);
            // While the text is at hand: what the build says of an element is placed at its line.
            formats::PandocReader::placeLines(self.text_, read.places);
            self.pipeline_.add(std::move(read), self.name_);
        } catch (formats::ReadError const& e) {
            return failedWith(Failure::Input, {unreadable(self.name_, e)});
        }
        break;
    }
    if (from != InputFormat::RichText) {
        // The pipeline keeps what the reader made of it; the text places nothing more.
        std::string().swap(self.text_);
    }
    self.host_ = &sharedHost();
    self.conversion_ = self.pipeline_.run(*self.host_);
    switch (self.pipeline_.failure()) {
    case host::ConversionPipeline::Failure::None: break;
    case host::ConversionPipeline::Failure::NotADocument: {
        // Said of the text as a whole, as richmarkup-build says it: "error: NAME: the document is ...".
        host::Diagnostic& error = self.conversion_.diagnostics.back();
        error.line = 0;
        error.column = 0;
        error.pointer.clear();
        error.malformed = true;
        return failedWith(Failure::Input, std::move(self.conversion_.diagnostics));
    }
    case host::ConversionPipeline::Failure::BuildError:
    case host::ConversionPipeline::Failure::StrictWarnings:
        return failedWith(Failure::Build, std::move(self.conversion_.diagnostics));
    }
    Outcome outcome;
    outcome.diagnostics = self.conversion_.diagnostics;
    outcome.document = std::move(document);
    return outcome;
}

ParsedDocument::Written ParsedDocument::write(OutputWriter const& writer) const {
    std::lock_guard<std::mutex> const turn(writing_);
    // Holds node handles: let go before the turn ends.
    host::WriterWarnings said(conversion_.nodes, pipeline_, *host_);
    std::ostringstream out;
    writer.write(out, conversion_.nodes, name_, said.handler());
    Written written;
    written.text = out.str();
    auto const severity = strict_ ? host::Diagnostic::Severity::Error : host::Diagnostic::Severity::Warning;
    for (auto& located : said.locate(severity)) {
        written.warnings.push_back(std::move(located.diagnostic));
    }
    return written;
}

} // namespace richmarkup::python
