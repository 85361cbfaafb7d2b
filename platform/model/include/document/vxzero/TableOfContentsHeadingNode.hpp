#pragma once

#include <document/vxzero/Node.hpp>
#include <vx/zero/Export.hpp>

#include <boost/uuid/uuid.hpp>

#include <optional>

namespace document::vxzero {

/// One entry of a table of contents.
class RICHMARKUP_MODEL_EXPORT TableOfContentsHeadingNode : public Node {
public:
    class Impl;
    class Builder;

    TableOfContentsHeadingNode() noexcept = default;
    Impl* getImpl() const noexcept;
    Impl* operator->() const noexcept { return getImpl(); }

protected:
    explicit TableOfContentsHeadingNode(Node::Impl* impl) noexcept : Node(impl) {}

private:
    friend struct detail::NodeAccess;
};

class RICHMARKUP_MODEL_EXPORT TableOfContentsHeadingNode::Impl final : public Node::Impl {
public:
    using Node::Impl::Impl;
    ~Impl() override;
    NodeKind getKind() const noexcept override { return NodeKind::TableOfContentsHeadingNode; }

    void setAlignment(Alignment value) { alignment_ = value; }
    std::optional<Alignment> const& getAlignment() const noexcept { return alignment_; }

private:
    std::optional<Alignment> alignment_;
};

/// Creates TableOfContentsHeadingNode nodes in one model; every call gives a new node.
class RICHMARKUP_MODEL_EXPORT TableOfContentsHeadingNode::Builder {
public:
    explicit Builder(vx::zero::Model const& model) noexcept : model_(model) {}
    TableOfContentsHeadingNode createTableOfContentsHeadingNode(boost::uuids::uuid const& uuid) const;

private:
    vx::zero::Model const& model_;
};

inline TableOfContentsHeadingNode::Impl* TableOfContentsHeadingNode::getImpl() const noexcept {
    return static_cast<Impl*>(Node::getImpl());
}

} // namespace document::vxzero
