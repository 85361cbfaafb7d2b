#include "WarningLimit.hpp"

namespace richmarkup::tool {

std::optional<std::string> WarningLimit::summary(std::string const& printableFile, bool errors) const {
    if (left_ == 0) {
        return std::nullopt;
    }
    std::string const what = errors ? "error" : "warning";
    return what + ": " + printableFile + ": " + std::to_string(left_) + " more " + what + (left_ == 1 ? "" : "s") +
           " not shown; --max-warnings 0 shows them all";
}

} // namespace richmarkup::tool
