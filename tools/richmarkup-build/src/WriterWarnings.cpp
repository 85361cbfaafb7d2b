#include "WriterWarnings.hpp"

#include <richmarkup/host/BuildWarning.hpp>
#include <richmarkup/host/NodeLocator.hpp>
#include <richmarkup/host/NodeView.hpp>

#include <foundation/json/Parser.hpp>

#include <algorithm>
#include <map>
#include <optional>
#include <unordered_map>
#include <utility>

namespace richmarkup::tool {

WriterWarnings::WriterWarnings(std::vector<document::vxzero::Node> const& nodes,
                               std::vector<std::size_t> firstNodeOfInput, std::vector<host::SourceText>& texts,
                               host::DocumentHost const& host)
    : nodes_(nodes), firstNodeOfInput_(std::move(firstNodeOfInput)), texts_(texts), host_(host) {}

namespace {

void const* addressOf(host::NodeView node) { return &node.impl(); }

} // namespace

host::WriterWarningHandler WriterWarnings::handler() {
    return [this](host::WriterWarning const& warning) { warnings_.push_back(warning); };
}

std::vector<WriterWarnings::Located> WriterWarnings::locate(host::Diagnostic::Severity severity,
                                                            std::function<bool(std::size_t)> const& admit) const {
    std::vector<Located> located;
    if (warnings_.empty()) {
        return located;
    }
    std::unordered_map<void const*, std::size_t> topLevel;
    for (std::size_t i = 0; i < nodes_.size(); ++i) {
        topLevel.emplace(addressOf(host::NodeView(nodes_[i])), i);
    }
    host::NodeLocator const locator(host_);
    std::map<std::size_t, foundation::json::Value> parsed;  // input: its text, parsed again
    for (auto const& warning : warnings_) {
        host::NodeView root(warning.node);
        while (auto const parent = root.parent()) {
            root = *parent;
        }
        auto const top = topLevel.find(addressOf(root));
        // The input whose nodes hold that top-level index.
        std::size_t const topIndex = top != topLevel.end() ? top->second : 0;
        auto const after = std::upper_bound(firstNodeOfInput_.begin(), firstNodeOfInput_.end(), topIndex);
        std::size_t const input = static_cast<std::size_t>(after - firstNodeOfInput_.begin()) - 1;
        if (!admit(input)) {
            continue;
        }
        std::string pointer;
        if (auto path = host::NodeLocator::pathOf(nodes_, host::NodeView(warning.node)); path && !path->empty()) {
            (*path)[0] -= firstNodeOfInput_[input];  // the index among the input's own
            auto found = parsed.find(input);
            if (found == parsed.end()) {
                foundation::json::Value document;  // an input changed since: located as a whole
                try {
                    document = foundation::json::Parser().parse(texts_[input].text());
                } catch (std::exception const&) {
                }
                found = parsed.emplace(input, std::move(document)).first;
            }
            pointer = locator.pointerOf(found->second, *path).value_or(std::string());
        }
        host::BuildWarning const asBuildWarning{0, warning.message, pointer};
        located.push_back({input, texts_[input].locate(asBuildWarning, severity)});
    }
    return located;
}

} // namespace richmarkup::tool
