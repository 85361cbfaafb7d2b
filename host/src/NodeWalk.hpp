#pragma once

#include <document/vxzero/Node.hpp>

#include <vector>

namespace richmarkup::host {

/// Visits the subtree under root depth first, in document order, with a stack of its own, so
/// that any nesting is safe. Null children are passed over.
template <class Visit>
void forEachNode(document::vxzero::Node::Impl const* root, Visit const& visit) {
    std::vector<document::vxzero::Node::Impl const*> stack{root};
    while (!stack.empty()) {
        document::vxzero::Node::Impl const* node = stack.back();
        stack.pop_back();
        if (node == nullptr) {
            continue;
        }
        visit(*node);
        auto const& children = node->getChildren();
        for (std::size_t i = children.size(); i > 0; --i) {
            stack.push_back(children[i - 1].getImpl());
        }
    }
}

} // namespace richmarkup::host
