#pragma once

#include <document/vxzero/RichTextParagraphNode.hpp>
#include <vx/zero/Export.hpp>

#include <boost/uuid/uuid.hpp>

namespace document::vxzero {

/// One item of a list: a paragraph inside a list container.
class RICHMARKUP_MODEL_EXPORT ListItem : public RichTextParagraphNode {
public:
    class Impl;
    class Builder;

    ListItem() noexcept = default;
    Impl* getImpl() const noexcept;
    Impl* operator->() const noexcept { return getImpl(); }

protected:
    explicit ListItem(Node::Impl* impl) noexcept : RichTextParagraphNode(impl) {}

private:
    friend struct detail::NodeAccess;
};

class RICHMARKUP_MODEL_EXPORT ListItem::Impl final : public RichTextParagraphNode::Impl {
public:
    using RichTextParagraphNode::Impl::Impl;
    ~Impl() override;
    NodeKind getKind() const noexcept override { return NodeKind::ListItem; }
};

/// Creates ListItem nodes in one model; every call gives a new node.
class RICHMARKUP_MODEL_EXPORT ListItem::Builder {
public:
    explicit Builder(vx::zero::Model const& model) noexcept : model_(model) {}
    ListItem createListItem(boost::uuids::uuid const& uuid) const;

private:
    vx::zero::Model const& model_;
};

inline ListItem::Impl* ListItem::getImpl() const noexcept { return static_cast<Impl*>(Node::getImpl()); }

} // namespace document::vxzero
