#pragma once

#include <richmarkup/formats/Subtree.hpp>

namespace richmarkup::formats {

/// The writers' form of the walk: visit(Node::Impl const&) for a root that may be null.
template <class Visit>
void forEachNode(document::vxzero::Node::Impl const* root, Visit const& visit) {
    if (root != nullptr) {
        forEachNode(*root, [&](NodeView node) { visit(node.impl()); });
    }
}

} // namespace richmarkup::formats
