#pragma once

#include <document/vxzero/Node.hpp>
#include <vx/zero/Export.hpp>

#include <boost/uuid/uuid.hpp>

namespace document::vxzero {

/// A table of contents; its children are its headings.
class RICHMARKUP_MODEL_EXPORT TableOfContentsContainer : public Node {
public:
    class Impl;
    class Builder;

    TableOfContentsContainer() noexcept = default;
    Impl* getImpl() const noexcept;
    Impl* operator->() const noexcept { return getImpl(); }

protected:
    explicit TableOfContentsContainer(Node::Impl* impl) noexcept : Node(impl) {}

private:
    friend struct detail::NodeAccess;
};

class RICHMARKUP_MODEL_EXPORT TableOfContentsContainer::Impl final : public Node::Impl {
public:
    using Node::Impl::Impl;
    ~Impl() override;
    NodeKind getKind() const noexcept override { return NodeKind::TableOfContentsContainer; }
};

/// Creates TableOfContentsContainer nodes in one model; every call gives a new node.
class RICHMARKUP_MODEL_EXPORT TableOfContentsContainer::Builder {
public:
    explicit Builder(vx::zero::Model const& model) noexcept : model_(model) {}
    TableOfContentsContainer createTableOfContentsContainer(boost::uuids::uuid const& uuid) const;

private:
    vx::zero::Model const& model_;
};

inline TableOfContentsContainer::Impl* TableOfContentsContainer::getImpl() const noexcept {
    return static_cast<Impl*>(Node::getImpl());
}

} // namespace document::vxzero
