#pragma once

#include <document/vxzero/Node.hpp>
#include <vx/zero/Export.hpp>

#include <boost/uuid/uuid.hpp>

#include <optional>

namespace document::vxzero {

/// A list; its children are list items.
class RICHMARKUP_MODEL_EXPORT ListContainer : public Node {
public:
    class Impl;
    class Builder;

    ListContainer() noexcept = default;
    Impl* getImpl() const noexcept;
    Impl* operator->() const noexcept { return getImpl(); }

protected:
    explicit ListContainer(Node::Impl* impl) noexcept : Node(impl) {}

private:
    friend struct detail::NodeAccess;
};

class RICHMARKUP_MODEL_EXPORT ListContainer::Impl final : public Node::Impl {
public:
    using Node::Impl::Impl;
    ~Impl() override;
    NodeKind getKind() const noexcept override { return NodeKind::ListContainer; }

    void setIsOrdered(bool value) { isOrdered_ = value; }
    std::optional<bool> const& getIsOrdered() const noexcept { return isOrdered_; }

private:
    std::optional<bool> isOrdered_;
};

/// Creates ListContainer nodes in one model; every call gives a new node.
class RICHMARKUP_MODEL_EXPORT ListContainer::Builder {
public:
    explicit Builder(vx::zero::Model const& model) noexcept : model_(model) {}
    ListContainer createListContainer(boost::uuids::uuid const& uuid) const;

private:
    vx::zero::Model const& model_;
};

inline ListContainer::Impl* ListContainer::getImpl() const noexcept { return static_cast<Impl*>(Node::getImpl()); }

} // namespace document::vxzero
