#pragma once

#include <richmarkup/host/BuildWarning.hpp>
#include <richmarkup/host/Diagnostic.hpp>
#include <richmarkup/host/ElementBuildError.hpp>

#include <foundation/json/TextLocator.hpp>

#include <optional>
#include <string>

namespace richmarkup::host {

/// The text of one input, to give a build's warnings and errors their line and column. A build
/// lets the text go as it passes, so a file is read again, once, when its first diagnostic
/// needs a position; text that cannot be read again (standard input) is kept from the start.
class SourceText {
public:
    /// name: as messages name the input; path: the file to read again, or empty with `kept`.
    SourceText(std::string name, std::string path, std::optional<std::string> kept = std::nullopt);

    Diagnostic locate(BuildWarning const& warning, Diagnostic::Severity severity = Diagnostic::Severity::Warning);
    Diagnostic locate(ElementBuildError const& error);

    std::string const& name() const noexcept { return name_; }

private:
    Diagnostic located(Diagnostic::Severity severity, std::string pointer, std::string message);

    std::string name_;
    std::string path_;
    std::optional<std::string> text_;
    std::optional<foundation::json::TextLocator> locator_;
};

} // namespace richmarkup::host
