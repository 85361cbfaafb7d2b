#pragma once

#include <document/vxzero/RichTextParagraphNode.hpp>
#include <vx/zero/Export.hpp>

#include <boost/uuid/uuid.hpp>

#include <optional>

namespace document::vxzero {

/// A heading: a paragraph with a level.
class RICHMARKUP_MODEL_EXPORT HeadingNode : public RichTextParagraphNode {
public:
    class Impl;
    class Builder;

    HeadingNode() noexcept = default;
    Impl* getImpl() const noexcept;
    Impl* operator->() const noexcept { return getImpl(); }

protected:
    explicit HeadingNode(Node::Impl* impl) noexcept : RichTextParagraphNode(impl) {}

private:
    friend struct detail::NodeAccess;
};

class RICHMARKUP_MODEL_EXPORT HeadingNode::Impl final : public RichTextParagraphNode::Impl {
public:
    using RichTextParagraphNode::Impl::Impl;
    ~Impl() override;
    NodeKind getKind() const noexcept override { return NodeKind::HeadingNode; }

    void setLevel(unsigned char const& value) { level_ = value; }
    std::optional<unsigned char> const& getLevel() const noexcept { return level_; }

private:
    std::optional<unsigned char> level_;
};

/// Creates HeadingNode nodes in one model; every call gives a new node.
class RICHMARKUP_MODEL_EXPORT HeadingNode::Builder {
public:
    explicit Builder(vx::zero::Model const& model) noexcept : model_(model) {}
    HeadingNode createHeadingNode(boost::uuids::uuid const& uuid) const;

private:
    vx::zero::Model const& model_;
};

inline HeadingNode::Impl* HeadingNode::getImpl() const noexcept { return static_cast<Impl*>(Node::getImpl()); }

} // namespace document::vxzero
