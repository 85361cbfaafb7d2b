#include <richmarkup/formats/PrintableText.hpp>
#include <richmarkup/host/SourceText.hpp>

#include "ElementPhrases.hpp"

#include <fstream>
#include <iterator>

namespace richmarkup::host {

namespace {

// A message as printable text, its backslashes kept: the escapes the host writes into its
// messages (in quoted keys) stand, and what the input put there raw is escaped.
std::string printableMessage(std::string_view message) {
    std::string out;
    for (std::size_t from = 0;;) {
        std::size_t const backslash = message.find('\\', from);
        out += formats::text::printableText(message.substr(from, backslash - from));
        if (backslash == std::string_view::npos) {
            return out;
        }
        out += '\\';
        from = backslash + 1;
    }
}

} // namespace

std::string Diagnostic::toString() const {
    std::string out =
        std::string(severity == Severity::Error ? "error: " : "warning: ") + formats::text::printableText(file) + ':';
    if (line > 0) {
        out += std::to_string(line) + ':' + std::to_string(column) + ':';
    }
    out += ' ';
    if (!malformed) {
        out += pointer.empty() ? std::string("/") : formats::text::printableText(pointer);
        out += ": ";
    }
    return out + printableMessage(message);
}

SourceText::SourceText(std::string name, std::string path, std::optional<std::string> kept, std::size_t firstLine)
    : name_(std::move(name)), path_(std::move(path)), text_(std::move(kept)), lineShift_(firstLine - 1) {}

Diagnostic SourceText::locate(BuildWarning const& warning, Diagnostic::Severity severity) {
    return located(severity, warning.pointer, warning.message);
}

Diagnostic SourceText::locate(ElementBuildError const& error) {
    std::string message = error.what();
    if (!error.cause().empty()) {
        message += " (" + error.cause() + ")";
    }
    return located(Diagnostic::Severity::Error, error.pointer(), std::move(message));
}

std::string const& SourceText::text() {
    if (!text_) {
        std::ifstream in(path_, std::ios::binary);
        text_.emplace(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    return *text_;
}

Diagnostic SourceText::locate(foundation::json::ParseError const& error) const {
    Diagnostic diagnostic{Diagnostic::Severity::Error,
                          name_,
                          error.line() + lineShift_,
                          error.column(),
                          error.pointer().value_or(std::string()),
                          error.reason(),
                          !error.pointer()};
    return diagnostic;
}

Diagnostic SourceText::located(Diagnostic::Severity severity, std::string pointer, std::string message) {
    Diagnostic diagnostic{severity, name_, 1, 1, std::move(pointer), std::move(message)};
    if (!locator_) {
        locator_.emplace(text());
    }
    if (auto const position = locator_->locate(diagnostic.pointer)) {
        diagnostic.line = position->line + lineShift_;
        diagnostic.column = position->column;
        diagnostic.message =
            phrases::withNumberAsWritten(std::move(diagnostic.message), phrases::numberAt(*text_, position->offset));
    }
    if (phrases::isDuplicateKey(diagnostic.message)) {
        std::vector<std::string> places;
        for (auto const& place : locator_->locateEach(diagnostic.pointer)) {
            places.push_back(std::to_string(place.line + lineShift_) + ':' + std::to_string(place.column));
        }
        if (auto placed = phrases::duplicateKeyPlaced(diagnostic.message, places)) {
            diagnostic.message = std::move(*placed);
        }
    }
    return diagnostic;
}

} // namespace richmarkup::host
