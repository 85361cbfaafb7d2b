#pragma once

#include <document/vxzero/Node.hpp>
#include <vx/zero/Export.hpp>

#include <optional>
#include <string>
#include <utility>

namespace document::vxzero {

/// The nodes that carry a run of text. No node is of this kind itself.
class RICHMARKUP_MODEL_EXPORT TextNode : public Node {
public:
    class Impl;

    TextNode() noexcept = default;
    Impl* getImpl() const noexcept;
    Impl* operator->() const noexcept { return getImpl(); }

protected:
    explicit TextNode(Node::Impl* impl) noexcept : Node(impl) {}

private:
    friend struct detail::NodeAccess;
};

class RICHMARKUP_MODEL_EXPORT TextNode::Impl : public Node::Impl {
public:
    using Node::Impl::Impl;
    ~Impl() override;

    void setText(std::u16string const& value) { text_ = value; }
    void setText(std::u16string&& value) { text_ = std::move(value); }
    std::optional<std::u16string> const& getText() const noexcept { return text_; }

private:
    std::optional<std::u16string> text_;
};

inline TextNode::Impl* TextNode::getImpl() const noexcept { return static_cast<Impl*>(Node::getImpl()); }

} // namespace document::vxzero
