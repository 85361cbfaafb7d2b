#pragma once

#include <document/vxzero/Node.hpp>
#include <quillix/contentmodel/vxzero/TableNodeMetaData.hpp>
#include <vx/zero/Export.hpp>

#include <boost/uuid/uuid.hpp>

#include <optional>
#include <utility>

namespace document::vxzero {

/// A table; its children are its rows.
class RICHMARKUP_MODEL_EXPORT TableNode : public Node {
public:
    class Impl;
    class Builder;

    TableNode() noexcept = default;
    Impl* getImpl() const noexcept;
    Impl* operator->() const noexcept { return getImpl(); }

protected:
    explicit TableNode(Node::Impl* impl) noexcept : Node(impl) {}

private:
    friend struct detail::NodeAccess;
};

class RICHMARKUP_MODEL_EXPORT TableNode::Impl final : public Node::Impl {
public:
    using Node::Impl::Impl;
    ~Impl() override;
    NodeKind getKind() const noexcept override { return NodeKind::TableNode; }

    void setTableNodeMetaData(quillix::contentmodel::vxzero::TableNodeMetaData const& value) {
        tableNodeMetaData_ = value;
    }
    void setTableNodeMetaData(quillix::contentmodel::vxzero::TableNodeMetaData&& value) {
        tableNodeMetaData_ = std::move(value);
    }
    std::optional<quillix::contentmodel::vxzero::TableNodeMetaData> const& getTableNodeMetaData() const noexcept {
        return tableNodeMetaData_;
    }

private:
    std::optional<quillix::contentmodel::vxzero::TableNodeMetaData> tableNodeMetaData_;
};

/// Creates TableNode nodes in one model; every call gives a new node.
class RICHMARKUP_MODEL_EXPORT TableNode::Builder {
public:
    explicit Builder(vx::zero::Model const& model) noexcept : model_(model) {}
    TableNode createTableNode(boost::uuids::uuid const& uuid) const;

private:
    vx::zero::Model const& model_;
};

inline TableNode::Impl* TableNode::getImpl() const noexcept { return static_cast<Impl*>(Node::getImpl()); }

} // namespace document::vxzero
