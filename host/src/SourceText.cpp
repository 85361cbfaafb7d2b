#include <richmarkup/host/SourceText.hpp>

#include <fstream>
#include <iterator>

namespace richmarkup::host {

std::string Diagnostic::toString() const {
    std::string out = std::string(severity == Severity::Error ? "error: " : "warning: ") + file + ':' +
                      std::to_string(line) + ':' + std::to_string(column) + ": ";
    if (!malformed) {
        out += pointer.empty() ? std::string("/") : pointer;
        out += ": ";
    }
    return out + message;
}

SourceText::SourceText(std::string name, std::string path, std::optional<std::string> kept)
    : name_(std::move(name)), path_(std::move(path)), text_(std::move(kept)) {}

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

Diagnostic SourceText::located(Diagnostic::Severity severity, std::string pointer, std::string message) {
    Diagnostic diagnostic{severity, name_, 1, 1, std::move(pointer), std::move(message)};
    if (!locator_) {
        if (!text_) {
            std::ifstream in(path_, std::ios::binary);
            text_.emplace(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        }
        locator_.emplace(*text_);
    }
    if (auto const position = locator_->locate(diagnostic.pointer)) {
        diagnostic.line = position->line;
        diagnostic.column = position->column;
    }
    return diagnostic;
}

} // namespace richmarkup::host
