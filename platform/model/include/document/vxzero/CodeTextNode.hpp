#pragma once

#include <document/vxzero/TextNode.hpp>
#include <vx/zero/Export.hpp>

#include <boost/uuid/uuid.hpp>

#include <optional>
#include <string>
#include <utility>

namespace document::vxzero {

/// A run of code text, tagged with the kind of token it is.
class RICHMARKUP_MODEL_EXPORT CodeTextNode : public TextNode {
public:
    class Impl;
    class Builder;

    CodeTextNode() noexcept = default;
    Impl* getImpl() const noexcept;
    Impl* operator->() const noexcept { return getImpl(); }

protected:
    explicit CodeTextNode(Node::Impl* impl) noexcept : TextNode(impl) {}

private:
    friend struct detail::NodeAccess;
};

class RICHMARKUP_MODEL_EXPORT CodeTextNode::Impl final : public TextNode::Impl {
public:
    using TextNode::Impl::Impl;
    ~Impl() override;
    NodeKind getKind() const noexcept override { return NodeKind::CodeTextNode; }

    void setTokenKind(std::u16string const& value) { tokenKind_ = value; }
    void setTokenKind(std::u16string&& value) { tokenKind_ = std::move(value); }
    std::optional<std::u16string> const& getTokenKind() const noexcept { return tokenKind_; }

private:
    std::optional<std::u16string> tokenKind_;
};

/// Creates CodeTextNode nodes in one model; every call gives a new node.
class RICHMARKUP_MODEL_EXPORT CodeTextNode::Builder {
public:
    explicit Builder(vx::zero::Model const& model) noexcept : model_(model) {}
    CodeTextNode createCodeTextNode(boost::uuids::uuid const& uuid) const;

private:
    vx::zero::Model const& model_;
};

inline CodeTextNode::Impl* CodeTextNode::getImpl() const noexcept { return static_cast<Impl*>(Node::getImpl()); }

} // namespace document::vxzero
