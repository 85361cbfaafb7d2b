#pragma once

#include <document/vxzero/TextNode.hpp>
#include <quillix/contentmodel/vxzero/Formatting.hpp>
#include <vx/zero/Export.hpp>

#include <boost/uuid/uuid.hpp>

#include <optional>

namespace document::vxzero {

/// A run of formatted text inside a text block.
class RICHMARKUP_MODEL_EXPORT RichTextNode : public TextNode {
public:
    class Impl;
    class Builder;

    RichTextNode() noexcept = default;
    Impl* getImpl() const noexcept;
    Impl* operator->() const noexcept { return getImpl(); }

protected:
    explicit RichTextNode(Node::Impl* impl) noexcept : TextNode(impl) {}

private:
    friend struct detail::NodeAccess;
};

class RICHMARKUP_MODEL_EXPORT RichTextNode::Impl final : public TextNode::Impl {
public:
    using TextNode::Impl::Impl;
    ~Impl() override;
    NodeKind getKind() const noexcept override { return NodeKind::RichTextNode; }

    void setFormatting(quillix::contentmodel::vxzero::Formatting const& value) { formatting_ = value; }
    std::optional<quillix::contentmodel::vxzero::Formatting> const& getFormatting() const noexcept {
        return formatting_;
    }

private:
    std::optional<quillix::contentmodel::vxzero::Formatting> formatting_;
};

/// Creates RichTextNode nodes in one model; every call gives a new node.
class RICHMARKUP_MODEL_EXPORT RichTextNode::Builder {
public:
    explicit Builder(vx::zero::Model const& model) noexcept : model_(model) {}
    RichTextNode createRichTextNode(boost::uuids::uuid const& uuid) const;

private:
    vx::zero::Model const& model_;
};

inline RichTextNode::Impl* RichTextNode::getImpl() const noexcept { return static_cast<Impl*>(Node::getImpl()); }

} // namespace document::vxzero
