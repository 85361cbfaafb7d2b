#pragma once

#include <document/vxzero/Node.hpp>
#include <vx/zero/Export.hpp>

#include <boost/uuid/uuid.hpp>

#include <optional>
#include <string>
#include <utility>

namespace document::vxzero {

/// A link; its children are the text it shows.
class RICHMARKUP_MODEL_EXPORT HyperlinkNode : public Node {
public:
    class Impl;
    class Builder;

    HyperlinkNode() noexcept = default;
    Impl* getImpl() const noexcept;
    Impl* operator->() const noexcept { return getImpl(); }

protected:
    explicit HyperlinkNode(Node::Impl* impl) noexcept : Node(impl) {}

private:
    friend struct detail::NodeAccess;
};

class RICHMARKUP_MODEL_EXPORT HyperlinkNode::Impl final : public Node::Impl {
public:
    using Node::Impl::Impl;
    ~Impl() override;
    NodeKind getKind() const noexcept override { return NodeKind::HyperlinkNode; }

    void setTarget(std::u16string const& value) { target_ = value; }
    void setTarget(std::u16string&& value) { target_ = std::move(value); }
    void setAnchor(std::u16string const& value) { anchor_ = value; }
    void setAnchor(std::u16string&& value) { anchor_ = std::move(value); }
    void setTargetType(std::u16string const& value) { targetType_ = value; }
    void setTargetType(std::u16string&& value) { targetType_ = std::move(value); }
    std::optional<std::u16string> const& getTarget() const noexcept { return target_; }
    std::optional<std::u16string> const& getAnchor() const noexcept { return anchor_; }
    std::optional<std::u16string> const& getTargetType() const noexcept { return targetType_; }

private:
    std::optional<std::u16string> target_;
    std::optional<std::u16string> anchor_;
    std::optional<std::u16string> targetType_;
};

/// Creates HyperlinkNode nodes in one model; every call gives a new node.
class RICHMARKUP_MODEL_EXPORT HyperlinkNode::Builder {
public:
    explicit Builder(vx::zero::Model const& model) noexcept : model_(model) {}
    HyperlinkNode createHyperlinkNode(boost::uuids::uuid const& uuid) const;

private:
    vx::zero::Model const& model_;
};

inline HyperlinkNode::Impl* HyperlinkNode::getImpl() const noexcept { return static_cast<Impl*>(Node::getImpl()); }

} // namespace document::vxzero
