#pragma once

#include <document/vxzero/Node.hpp>
#include <vx/zero/Export.hpp>

#include <boost/uuid/uuid.hpp>

namespace document::vxzero {

/// A row of a table; its children are its cells.
class RICHMARKUP_MODEL_EXPORT TableRowNode : public Node {
public:
    class Impl;
    class Builder;

    TableRowNode() noexcept = default;
    Impl* getImpl() const noexcept;
    Impl* operator->() const noexcept { return getImpl(); }

protected:
    explicit TableRowNode(Node::Impl* impl) noexcept : Node(impl) {}

private:
    friend struct detail::NodeAccess;
};

class RICHMARKUP_MODEL_EXPORT TableRowNode::Impl final : public Node::Impl {
public:
    using Node::Impl::Impl;
    ~Impl() override;
    NodeKind getKind() const noexcept override { return NodeKind::TableRowNode; }
};

/// Creates TableRowNode nodes in one model; every call gives a new node.
class RICHMARKUP_MODEL_EXPORT TableRowNode::Builder {
public:
    explicit Builder(vx::zero::Model const& model) noexcept : model_(model) {}
    TableRowNode createTableRowNode(boost::uuids::uuid const& uuid) const;

private:
    vx::zero::Model const& model_;
};

inline TableRowNode::Impl* TableRowNode::getImpl() const noexcept { return static_cast<Impl*>(Node::getImpl()); }

} // namespace document::vxzero
