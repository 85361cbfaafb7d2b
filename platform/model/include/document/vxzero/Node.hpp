#pragma once

#include <document/vxzero/Alignment.hpp>
#include <document/vxzero/NodeKind.hpp>
#include <vx/zero/ElementSequence.hpp>
#include <vx/zero/Export.hpp>
#include <vx/zero/Model.hpp>
#include <vx/zero/ModelElement.hpp>
#include <vx/zero/meta/Type.hpp>

#include <boost/uuid/uuid.hpp>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>

namespace document::vxzero {

namespace detail {
struct NodeAccess;
}

/// A counted handle to a node of a model; a handle without a node is a null node. The model
/// owns the node; a handle that outlives the model keeps only the node's memory, to be
/// dropped. Counting is not atomic: a model serves one thread at a time.
class RICHMARKUP_MODEL_EXPORT Node {
public:
    class Impl;

    Node() noexcept = default;
    Node(Node const& other) noexcept : impl_(other.impl_) { retain(); }
    Node(Node&& other) noexcept : impl_(std::exchange(other.impl_, nullptr)) {}
    Node& operator=(Node const& other) noexcept {
        Node copy(other);
        std::swap(impl_, copy.impl_);
        return *this;
    }
    Node& operator=(Node&& other) noexcept {
        Node moved(std::move(other));
        std::swap(impl_, moved.impl_);
        return *this;
    }
    ~Node() { release(); }

    explicit operator bool() const noexcept { return impl_ != nullptr; }
    Impl* getImpl() const noexcept { return impl_; }
    Impl* operator->() const noexcept { return impl_; }
    /// Handles on this node, this one included; 0 for a null node.
    std::uint32_t useCount() const noexcept;

    friend bool operator==(Node const& a, Node const& b) noexcept { return a.impl_ == b.impl_; }
    friend bool operator!=(Node const& a, Node const& b) noexcept { return a.impl_ != b.impl_; }

protected:
    explicit Node(Impl* impl) noexcept : impl_(impl) { retain(); }

private:
    friend struct detail::NodeAccess;
    void retain() const noexcept;
    void release() noexcept;

    Impl* impl_ = nullptr;
};

/// What every node has: its identifier, an optional anchor id and its child sequence (empty
/// and closed to additions for the kinds that hold no children).
class RICHMARKUP_MODEL_EXPORT Node::Impl : public vx::zero::ModelElement {
public:
    Impl(vx::zero::Model const& model, boost::uuids::uuid const& uuid) noexcept
        : ModelElement(model), uuid_(uuid), children_(*this) {}
    ~Impl() override;

    virtual NodeKind getKind() const noexcept = 0;
    bool hasChildSequence() const noexcept { return vxzero::hasChildSequence(getKind()); }

    /// The identifier the node was created with.
    boost::uuids::uuid const& getUuid() const noexcept { return uuid_; }

    void setAnchorId(std::u16string const& anchorId) { anchorSlot() = anchorId; }
    void setAnchorId(std::u16string&& anchorId) { anchorSlot() = std::move(anchorId); }
    std::optional<std::u16string> const& getAnchorId() const noexcept {
        return anchorId_ != nullptr ? *anchorId_ : noAnchorId();
    }

    vx::zero::ElementSequence<Node>& getChildrenMutable() noexcept { return children_; }
    vx::zero::ElementSequence<Node> const& getChildren() const noexcept { return children_; }
    /// The node whose child sequence holds this one, or null.
    Impl* getParent() const noexcept { return container_ != nullptr ? &container_->getOwner() : nullptr; }

    /// The qualified type name, e.g. u"document::vxzero::RichTextNode". Counted by the model.
    std::u16string getTypeName() const;
    vx::zero::meta::Type const& getType() const noexcept override;

protected:
    // Also forgets the parent: the parent's sequence may end before this node does.
    void releaseReferences() noexcept override {
        children_.releaseAll();
        container_ = nullptr;
    }

private:
    friend class vx::zero::ElementSequence<Node>;

    std::optional<std::u16string>& anchorSlot();
    static std::optional<std::u16string> const& noAnchorId() noexcept;

    vx::zero::ElementSequence<Node>* container_ = nullptr;
    boost::uuids::uuid uuid_;
    // Most nodes have no anchor id: a pointer, not an empty optional string, in every node.
    std::unique_ptr<std::optional<std::u16string>> anchorId_;
    vx::zero::ElementSequence<Node> children_;
};

inline void Node::retain() const noexcept {
    if (impl_ != nullptr) {
        impl_->retainHandle();
    }
}

inline void Node::release() noexcept {
    if (impl_ != nullptr) {
        std::exchange(impl_, nullptr)->releaseHandle();
    }
}

inline std::uint32_t Node::useCount() const noexcept { return impl_ != nullptr ? impl_->handleCount() : 0; }

/// The meta type of nodes of `kind`.
RICHMARKUP_MODEL_EXPORT vx::zero::meta::Type const& typeOf(NodeKind kind) noexcept;

} // namespace document::vxzero
