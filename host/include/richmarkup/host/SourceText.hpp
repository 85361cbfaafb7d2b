#pragma once

#include <richmarkup/host/BuildWarning.hpp>
#include <richmarkup/host/Diagnostic.hpp>
#include <richmarkup/host/ElementBuildError.hpp>
#include <richmarkup/host/Export.hpp>

#include <foundation/json/ParseError.hpp>
#include <foundation/json/TextLocator.hpp>

#include <optional>
#include <string>

namespace richmarkup::host {

/// The text of one input, to give a build's warnings and errors their line and column. A build
/// lets the text go as it passes, so a file is read again, once, when its first diagnostic
/// needs a position; text that cannot be read again (standard input) is kept from the start.
class RICHMARKUP_HOST_EXPORT SourceText {
public:
    /// name: as messages name the input; path: the file to read again, or empty with `kept`.
    /// firstLine: the line of the input the text starts on (a JSON Lines document's line), which
    /// every line given out counts from.
    SourceText(std::string name, std::string path, std::optional<std::string> kept = std::nullopt,
               std::size_t firstLine = 1);

    /// Besides its place, a warning gets the numbers it names as the text wrote them, and a key
    /// given twice the place of each of its values.
    Diagnostic locate(BuildWarning const& warning, Diagnostic::Severity severity = Diagnostic::Severity::Warning);
    Diagnostic locate(ElementBuildError const& error);
    /// Text the parser could not read: an error at its line and column, with the pointer of the
    /// value at fault where the text is sound JSON up to it. Needs no text.
    Diagnostic locate(foundation::json::ParseError const& error) const;

    std::string const& name() const noexcept { return name_; }
    /// The input's text, read again from its file the first time it is asked for.
    std::string const& text();

private:
    Diagnostic located(Diagnostic::Severity severity, std::string pointer, std::string message);

    std::string name_;
    std::string path_;
    std::optional<std::string> text_;
    std::optional<foundation::json::TextLocator> locator_;
    std::size_t lineShift_;
};

} // namespace richmarkup::host
