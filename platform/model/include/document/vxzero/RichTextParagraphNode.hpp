#pragma once

#include <document/vxzero/Node.hpp>
#include <vx/zero/Export.hpp>

#include <boost/uuid/uuid.hpp>

#include <optional>

namespace document::vxzero {

/// A paragraph of inline content.
class RICHMARKUP_MODEL_EXPORT RichTextParagraphNode : public Node {
public:
    class Impl;
    class Builder;

    RichTextParagraphNode() noexcept = default;
    Impl* getImpl() const noexcept;
    Impl* operator->() const noexcept { return getImpl(); }

protected:
    explicit RichTextParagraphNode(Node::Impl* impl) noexcept : Node(impl) {}

private:
    friend struct detail::NodeAccess;
};

class RICHMARKUP_MODEL_EXPORT RichTextParagraphNode::Impl : public Node::Impl {
public:
    using Node::Impl::Impl;
    ~Impl() override;
    NodeKind getKind() const noexcept override { return NodeKind::RichTextParagraphNode; }

    void setAlignment(Alignment value) { alignment_ = value; }
    std::optional<Alignment> const& getAlignment() const noexcept { return alignment_; }

private:
    std::optional<Alignment> alignment_;
};

/// Creates RichTextParagraphNode nodes in one model; every call gives a new node.
class RICHMARKUP_MODEL_EXPORT RichTextParagraphNode::Builder {
public:
    explicit Builder(vx::zero::Model const& model) noexcept : model_(model) {}
    RichTextParagraphNode createRichTextParagraphNode(boost::uuids::uuid const& uuid) const;

private:
    vx::zero::Model const& model_;
};

inline RichTextParagraphNode::Impl* RichTextParagraphNode::getImpl() const noexcept {
    return static_cast<Impl*>(Node::getImpl());
}

} // namespace document::vxzero
