#include "WriterWarnings.hpp"

#include <richmarkup/host/BuildWarning.hpp>
#include <richmarkup/host/NodeLocator.hpp>
#include <richmarkup/host/NodeView.hpp>

#include <foundation/json/Parser.hpp>

#include <algorithm>
#include <map>
#include <optional>
#include <utility>

namespace richmarkup::tool {

WriterWarnings::WriterWarnings(std::vector<document::vxzero::Node> const& nodes,
                               std::vector<std::size_t> firstNodeOfInput, std::vector<host::SourceText>& texts,
                               host::DocumentHost const& host)
    : nodes_(nodes), firstNodeOfInput_(std::move(firstNodeOfInput)), texts_(texts), host_(host) {}

host::WriterWarningHandler WriterWarnings::handler() {
    return [this](host::WriterWarning const& warning) { warnings_.push_back(warning); };
}

std::vector<WriterWarnings::Located> WriterWarnings::locate(host::Diagnostic::Severity severity) const {
    std::vector<Located> located;
    if (warnings_.empty()) {
        return located;
    }
    host::NodeLocator const locator(host_);
    std::map<std::size_t, std::optional<foundation::json::Value>> parsed;  // input: its text, parsed again
    for (auto const& warning : warnings_) {
        std::size_t input = 0;
        std::string pointer;
        if (auto path = host::NodeLocator::pathOf(nodes_, host::NodeView(warning.node)); path && !path->empty()) {
            // The input whose nodes hold that top-level index, and the index among its own.
            auto const after = std::upper_bound(firstNodeOfInput_.begin(), firstNodeOfInput_.end(), (*path)[0]);
            input = static_cast<std::size_t>(after - firstNodeOfInput_.begin()) - 1;
            (*path)[0] -= firstNodeOfInput_[input];
            auto& document = parsed[input];
            if (!document) {
                try {
                    document = foundation::json::Parser().parse(texts_[input].text());
                } catch (std::exception const&) {
                    document = foundation::json::Value();  // changed since: the input as a whole
                }
            }
            pointer = locator.pointerOf(*document, *path).value_or(std::string());
        }
        host::BuildWarning const asBuildWarning{0, warning.message, pointer};
        located.push_back({input, texts_[input].locate(asBuildWarning, severity)});
    }
    return located;
}

} // namespace richmarkup::tool
