#pragma once

#include <foundation/json/TextLocator.hpp>

#include <optional>
#include <string>

namespace richmarkup::tool {

/// Where a diagnostic's value stands in one input: "LINE:COL". The build lets the text go as
/// it passes, so a file is read again, once, when its first diagnostic needs a position;
/// standard input, which cannot be read again, is kept from the start.
class InputText {
public:
    /// path: the input as named on the command line ("-": standard input, whose text is given).
    InputText(std::string path, std::optional<std::string> keptText = std::nullopt);

    /// "LINE:COL" of the value at pointer, or "1:1" when the text no longer holds it.
    std::string position(std::string const& pointer);

private:
    std::string path_;
    std::optional<std::string> text_;
    std::optional<foundation::json::TextLocator> locator_;
};

} // namespace richmarkup::tool
