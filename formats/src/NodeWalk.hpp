#pragma once

#include "NodeKinds.hpp"

#include <richmarkup/formats/Subtree.hpp>

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace richmarkup::formats {

/// The writers' form of the walk: visit(Node::Impl const&) for a root that may be null.
template <class Visit>
void forEachNode(document::vxzero::Node::Impl const* root, Visit const& visit) {
    if (root != nullptr) {
        forEachNode(*root, [&](NodeView node) { visit(node.impl()); });
    }
}

/// Calls visit(Node::Impl const&, std::u16string const&) for every node under the `count`
/// roots that rootAt(index) gives (null ones passed over) whose anchor id is set and not empty,
/// in document order; only for nodes of the kinds that wanted(NodeKind) accepts, whose anchor
/// ids alone are read.
///
/// A node keeps its anchor id apart from itself, and a large model is mostly out of the cache:
/// a plain walk waits on memory twice a node. This one fetches each node's children as it
/// reaches the node, and reads a node's anchor id only some nodes later, so that several
/// fetches are under way at once.
template <class RootAt, class Wanted, class Visit>
void forEachAnchorId(std::size_t count, RootAt const& rootAt, Wanted const& wanted, Visit&& visit) {
    using Impl = document::vxzero::Node::Impl;
    struct Waiting {
        Impl const* node;
        std::optional<std::u16string> const* anchor;
    };
    constexpr std::size_t lag = 8;
    Waiting waiting[lag] = {};
    std::size_t reached = 0;
    auto const look = [&](Waiting const& node) {
        if (*node.anchor && !(*node.anchor)->empty()) {
            visit(*node.node, **node.anchor);
        }
    };
    // A root at a time: the stack holds one tree's path, not the whole page.
    std::vector<Impl const*> stack;
    for (std::size_t root = 0; root < count; ++root) {
        if (Impl const* node = rootAt(root)) {
            stack.push_back(node);
        }
        while (!stack.empty()) {
            Impl const* node = stack.back();
            stack.pop_back();
            document::vxzero::NodeKind const kind = node->getKind();
            if (wanted(kind)) {
                std::optional<std::u16string> const* anchor = &node->getAnchorId();
                __builtin_prefetch(anchor);
                if (reached >= lag) {
                    look(waiting[reached % lag]);
                }
                waiting[reached++ % lag] = Waiting{node, anchor};
            }
            if (isLeafKind(kind)) {
                continue;
            }
            auto const& children = node->getChildren();
            for (std::size_t i = children.size(); i > 0; --i) {
                if (Impl const* child = children[i - 1].getImpl()) {
                    __builtin_prefetch(child);
                    stack.push_back(child);
                }
            }
        }
    }
    for (std::size_t i = reached > lag ? reached - lag : 0; i < reached; ++i) {
        look(waiting[i % lag]);
    }
}

} // namespace richmarkup::formats
