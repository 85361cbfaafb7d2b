#include "WriterWarningLocator.hpp"

#include <richmarkup/host/BuildWarning.hpp>
#include <richmarkup/host/NodeLocator.hpp>
#include <richmarkup/formats/NodeView.hpp>

#include <foundation/json/Value.hpp>

#include <optional>

namespace richmarkup::python {

std::vector<host::Diagnostic> WriterWarningLocator::locate(std::vector<formats::WriterWarning> const& warnings,
                                                           host::Diagnostic::Severity severity) const {
    std::vector<host::Diagnostic> located;
    if (warnings.empty()) {
        return located;
    }
    host::NodeLocator const locator(host_);
    std::optional<foundation::json::Value> parsed; // the input, parsed again
    for (auto const& warning : warnings) {
        std::string pointer;
        if (auto path = host::NodeLocator::pathOf(nodes_, formats::NodeView(warning.node)); path && !path->empty()) {
            if (!parsed) {
                parsed = input_.document(0);
            }
            pointer = locator.pointerOf(*parsed, *path).value_or(std::string());
        }
        located.push_back(input_.locate(0, host::BuildWarning{0, warning.message, pointer}, severity));
    }
    return located;
}

} // namespace richmarkup::python
