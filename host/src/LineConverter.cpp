#include <richmarkup/host/LineConverter.hpp>

#include <richmarkup/host/DocumentHost.hpp>

#include <richmarkup/formats/TextEscape.hpp>

#include <document/vxzero/ModelJsonWriter.hpp>

#include <sstream>

namespace richmarkup::host {

LineConverter::LineConverter(DocumentHost const& host, WarningPolicy warnings, LineWriter writer)
    : host_(host), writer_(std::move(writer)) {
    options_.warnings = warnings;
}

LineOutcome LineConverter::convert(std::string_view text, std::string const& name, std::size_t number) const {
    LineOutcome outcome;
    Conversion conversion = host_.convert(text, name, number, options_);
    outcome.diagnostics = std::move(conversion.diagnostics);
    for (auto const& diagnostic : outcome.diagnostics) {
        if (diagnostic.severity == Diagnostic::Severity::Error) {
            outcome.failed = true;
            outcome.line = errorLine(diagnostic);
            return outcome;
        }
    }
    if (writer_) {
        // One stream per thread, emptied for each line: a new stream copies the global locale,
        // a count that every converting thread would write at every document.
        thread_local std::ostringstream line;
        line.str(std::string());
        line.clear();
        writer_(line, conversion.nodes);
        outcome.line = line.str();
    }
    return outcome;
}

std::string LineConverter::errorLine(Diagnostic const& error) {
    std::string located = error.toString();
    located.erase(0, located.find(' ') + 1); // the line says it is an error: no "error: "
    return "{\"error\": " + formats::text::jsonQuoted(located) + "}";
}

void LineConverter::writeModelJson(std::ostream& out, std::vector<document::vxzero::Node> const& nodes) {
    document::vxzero::ModelJsonWriter::Options compact;
    compact.pretty = false;
    document::vxzero::ModelJsonWriter::write(out, nodes, compact);
}

} // namespace richmarkup::host
