#pragma once

#include <document/vxzero/Node.hpp>
#include <vx/zero/Export.hpp>

#include <boost/uuid/uuid.hpp>

namespace document::vxzero {

/// A cell of a table row; its children are block nodes.
class RICHMARKUP_MODEL_EXPORT TableCellNode : public Node {
public:
    class Impl;
    class Builder;

    TableCellNode() noexcept = default;
    Impl* getImpl() const noexcept;
    Impl* operator->() const noexcept { return getImpl(); }

protected:
    explicit TableCellNode(Node::Impl* impl) noexcept : Node(impl) {}

private:
    friend struct detail::NodeAccess;
};

class RICHMARKUP_MODEL_EXPORT TableCellNode::Impl final : public Node::Impl {
public:
    using Node::Impl::Impl;
    ~Impl() override;
    NodeKind getKind() const noexcept override { return NodeKind::TableCellNode; }
};

/// Creates TableCellNode nodes in one model; every call gives a new node.
class RICHMARKUP_MODEL_EXPORT TableCellNode::Builder {
public:
    explicit Builder(vx::zero::Model const& model) noexcept : model_(model) {}
    TableCellNode createTableCellNode(boost::uuids::uuid const& uuid) const;

private:
    vx::zero::Model const& model_;
};

inline TableCellNode::Impl* TableCellNode::getImpl() const noexcept { return static_cast<Impl*>(Node::getImpl()); }

} // namespace document::vxzero
