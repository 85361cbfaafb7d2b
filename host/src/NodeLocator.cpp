#include <richmarkup/host/NodeLocator.hpp>

#include <richmarkup/host/DocumentHost.hpp>

#include "ElementChecker.hpp"

#include <algorithm>
#include <utility>

namespace richmarkup::host {

namespace {

namespace dv = document::vxzero;
namespace fj = foundation::json;

} // namespace

NodeLocator::NodeLocator(DocumentHost const& host) : NodeLocator(host.blockKinds()) {}
NodeLocator::NodeLocator(std::set<std::string> blockKinds)
    : checker_(std::make_unique<ElementChecker const>(blockKinds)) {}
NodeLocator::NodeLocator(NodeLocator&&) noexcept = default;
NodeLocator& NodeLocator::operator=(NodeLocator&&) noexcept = default;
NodeLocator::~NodeLocator() = default;

std::optional<std::vector<std::size_t>> NodeLocator::pathOf(std::vector<dv::Node> const& topLevel,
                                                            formats::NodeView node) {
    std::vector<std::size_t> path;
    formats::NodeView at = node;
    for (std::optional<formats::NodeView> parent = at.parent(); parent; at = *parent, parent = at.parent()) {
        std::size_t i = 0;
        while (i < parent->childCount() && !(parent->hasChild(i) && parent->child(i) == at)) {
            ++i;
        }
        if (i == parent->childCount()) {
            return std::nullopt; // a parent that lost the node
        }
        path.push_back(i);
    }
    auto const top = std::find_if(topLevel.begin(), topLevel.end(),
                                  [&](dv::Node const& candidate) { return candidate.getImpl() == &at.impl(); });
    if (top == topLevel.end()) {
        return std::nullopt;
    }
    path.push_back(static_cast<std::size_t>(top - topLevel.begin()));
    std::reverse(path.begin(), path.end());
    return path;
}

std::optional<std::string> NodeLocator::pointerOf(fj::Value const& document,
                                                  std::vector<std::size_t> const& nodePath) const {
    if (nodePath.empty()) {
        return std::nullopt;
    }
    // The top level: the one element, or the array's elements that a block builder took.
    fj::Value const* element = nullptr;
    std::string pointer;
    if (document.isObject()) {
        if (nodePath[0] != 0 || !checker_->takesBlock(document)) {
            return std::nullopt;
        }
        element = &document;
    } else if (document.isArray()) {
        auto const& elements = document.asArray();
        std::size_t left = nodePath[0];
        for (std::size_t i = 0; i < elements.size() && element == nullptr; ++i) {
            if (checker_->takesBlock(elements[i]) && left-- == 0) {
                element = &elements[i];
                pointer = "/" + std::to_string(i);
            }
        }
        if (element == nullptr) {
            return std::nullopt;
        }
    } else {
        return std::nullopt;
    }
    // Below: each step counts the children that became nodes, as the build made them.
    for (std::size_t step = 1; step < nodePath.size(); ++step) {
        auto const position = checker_->nodeChildPosition(*element, nodePath[step]);
        if (!position) {
            return std::nullopt;
        }
        element = &(*element)["children"].asArray()[*position];
        pointer += "/children/" + std::to_string(*position);
    }
    return pointer;
}

} // namespace richmarkup::host
