#pragma once

#include <richmarkup/formats/NodeView.hpp>

#include <document/vxzero/Node.hpp>

#include <cstddef>
#include <iterator>
#include <utility>
#include <vector>

namespace richmarkup::formats {

/// Calls visit(NodeView) for root and every node under it, depth first in document order
/// (a node before its children, children in order). Keeps a stack of its own, so any depth of
/// nesting is safe; null child slots are passed over.
template <class Visit>
void forEachNode(document::vxzero::Node::Impl const& root, Visit&& visit) {
    std::vector<document::vxzero::Node::Impl const*> stack{&root};
    while (!stack.empty()) {
        auto const* node = stack.back();
        stack.pop_back();
        visit(NodeView(*node));
        auto const& children = node->getChildren();
        for (std::size_t i = children.size(); i > 0; --i) {
            if (auto const* child = children[i - 1].getImpl()) {
                stack.push_back(child);
            }
        }
    }
}

/// The nodes of one or more trees as a range, in the order forEachNode visits them:
///
///     for (richmarkup::formats::NodeView node : richmarkup::formats::Subtree(result.nodes)) ...
///
/// The range refers to the nodes, not to copies: the nodes and their model must outlive it.
class Subtree {
public:
    /// One tree: `root` and everything under it.
    explicit Subtree(document::vxzero::Node const& root) {
        if (root) {
            roots_.push_back(root.getImpl());
        }
    }
    /// Several trees in order, such as the top-level nodes of a build; null nodes are passed over.
    explicit Subtree(std::vector<document::vxzero::Node> const& roots) {
        roots_.reserve(roots.size());
        for (auto const& root : roots) {
            if (root) {
                roots_.push_back(root.getImpl());
            }
        }
    }

    /// A single-pass iterator: it carries the walk's stack, so copies walk on independently.
    class iterator {
    public:
        using iterator_category = std::input_iterator_tag;
        using value_type = NodeView;
        using difference_type = std::ptrdiff_t;
        using pointer = NodeView const*;
        using reference = NodeView;

        iterator() = default;
        NodeView operator*() const noexcept { return NodeView(*stack_.back().node); }
        /// Levels below the root of the tree being walked: 0 for a root.
        std::size_t depth() const noexcept { return stack_.back().depth; }

        iterator& operator++() {
            Entry const current = stack_.back();
            stack_.pop_back();
            auto const& children = current.node->getChildren();
            for (std::size_t i = children.size(); i > 0; --i) {
                if (auto const* child = children[i - 1].getImpl()) {
                    stack_.push_back(Entry{child, current.depth + 1});
                }
            }
            return *this;
        }
        void operator++(int) { ++*this; }

        // Only the end is compared against, as a range-for does; two walks in progress are
        // equal when they stand on the same node with the same work left.
        friend bool operator==(iterator const& a, iterator const& b) noexcept { return a.stack_ == b.stack_; }
        friend bool operator!=(iterator const& a, iterator const& b) noexcept { return !(a == b); }

    private:
        friend class Subtree;
        struct Entry {
            document::vxzero::Node::Impl const* node;
            std::size_t depth;
            friend bool operator==(Entry const& a, Entry const& b) noexcept {
                return a.node == b.node && a.depth == b.depth;
            }
        };
        std::vector<Entry> stack_;
    };

    iterator begin() const {
        iterator it;
        it.stack_.reserve(roots_.size() + 16);
        for (std::size_t i = roots_.size(); i > 0; --i) {
            it.stack_.push_back(iterator::Entry{roots_[i - 1], 0});
        }
        return it;
    }
    iterator end() const noexcept { return iterator(); }

private:
    std::vector<document::vxzero::Node::Impl const*> roots_;
};

} // namespace richmarkup::formats
