#include <richmarkup/host/WriterWarnings.hpp>

#include <richmarkup/host/BuildWarning.hpp>
#include <richmarkup/host/NodeLocator.hpp>
#include <richmarkup/formats/NodeView.hpp>

#include <foundation/json/Parser.hpp>

#include <algorithm>
#include <map>
#include <optional>
#include <unordered_map>
#include <utility>

namespace richmarkup::host {

WriterWarnings::WriterWarnings(std::vector<document::vxzero::Node> const& nodes, ConversionPipeline& inputs,
                               DocumentHost const& host)
    : nodes_(nodes), inputs_(inputs), host_(host) {}

namespace {

void const* addressOf(formats::NodeView node) { return &node.impl(); }

} // namespace

formats::WriterWarningHandler WriterWarnings::handler() {
    return [this](formats::WriterWarning const& warning) { warnings_.push_back(warning); };
}

std::vector<WriterWarnings::Located> WriterWarnings::locate(Diagnostic::Severity severity,
                                                            std::function<bool(std::size_t)> const& admit) const {
    std::vector<Located> located;
    if (warnings_.empty()) {
        return located;
    }
    std::unordered_map<void const*, std::size_t> topLevel;
    for (std::size_t i = 0; i < nodes_.size(); ++i) {
        topLevel.emplace(addressOf(formats::NodeView(nodes_[i])), i);
    }
    NodeLocator const locator(host_);
    std::map<std::size_t, foundation::json::Value> parsed; // input: its text, parsed again
    std::vector<std::size_t> const& firstNodeOfInput = inputs_.firstNodes();
    for (auto const& warning : warnings_) {
        formats::NodeView root(warning.node);
        while (auto const parent = root.parent()) {
            root = *parent;
        }
        auto const top = topLevel.find(addressOf(root));
        // The input whose nodes hold that top-level index.
        std::size_t const topIndex = top != topLevel.end() ? top->second : 0;
        auto const after = std::upper_bound(firstNodeOfInput.begin(), firstNodeOfInput.end(), topIndex);
        std::size_t const input = static_cast<std::size_t>(after - firstNodeOfInput.begin()) - 1;
        if (admit && !admit(input)) {
            continue;
        }
        std::string pointer;
        if (auto path = NodeLocator::pathOf(nodes_, formats::NodeView(warning.node)); path && !path->empty()) {
            (*path)[0] -= firstNodeOfInput[input]; // the index among the input's own
            auto found = parsed.find(input);
            if (found == parsed.end()) {
                // An input changed since is located as a whole.
                found = parsed.emplace(input, inputs_.document(input)).first;
            }
            pointer = locator.pointerOf(found->second, *path).value_or(std::string());
        }
        BuildWarning const asBuildWarning{0, warning.message, pointer};
        located.push_back({input, inputs_.locate(input, asBuildWarning, severity)});
    }
    return located;
}

} // namespace richmarkup::host
