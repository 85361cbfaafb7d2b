#include <richmarkup/formats/NodeView.hpp>
#include <richmarkup/formats/Subtree.hpp>

#include <document/vxzero/CodeExampleBlock.hpp>
#include <document/vxzero/CodeTextNode.hpp>
#include <document/vxzero/EquationNode.hpp>
#include <document/vxzero/HeadingNode.hpp>
#include <document/vxzero/HyperlinkNode.hpp>
#include <document/vxzero/ImageNode.hpp>
#include <document/vxzero/TextNode.hpp>

#include <richmarkup/formats/TextEscape.hpp>

namespace richmarkup::formats {

namespace dv = document::vxzero;

namespace {

std::optional<std::string> utf8(std::optional<std::u16string> const& text) {
    if (!text) {
        return std::nullopt;
    }
    return text::toUtf8(*text);
}

// The node as Impl when it is of that class (or one derived from it), else null. The kinds
// are final classes but for TextNode and RichTextParagraphNode, so a kind test is enough for
// all but TextNode.
template <class Impl>
Impl const* as(dv::Node::Impl const* node, dv::NodeKind kind) noexcept {
    return node->getKind() == kind ? static_cast<Impl const*>(node) : nullptr;
}

dv::TextNode::Impl const* asText(dv::Node::Impl const* node) noexcept {
    auto const kind = node->getKind();
    return kind == dv::NodeKind::RichTextNode || kind == dv::NodeKind::CodeTextNode
               ? static_cast<dv::TextNode::Impl const*>(node)
               : nullptr;
}

// A text property of nodes of class Impl: `read` gives where the node keeps it, or
// null when the record that would hold it is absent.
template <class Impl, class Read>
std::optional<std::string> property(dv::Node::Impl const* node, Read read) {
    auto const* typed = dynamic_cast<Impl const*>(node);
    if (typed == nullptr) {
        return std::nullopt;
    }
    std::optional<std::u16string> const* value = read(*typed);
    return value != nullptr ? utf8(*value) : std::nullopt;
}

} // namespace

std::optional<dv::NodeKind> NodeView::kindNamed(std::string_view name) noexcept {
    for (int i = 0; i < dv::nodeKindCount; ++i) {
        auto const kind = static_cast<dv::NodeKind>(i);
        if (name == dv::kindName(kind)) {
            return kind;
        }
    }
    return std::nullopt;
}

std::optional<std::string> NodeView::anchorId() const { return utf8(node_->getAnchorId()); }

std::optional<std::string> NodeView::text() const {
    auto const* node = asText(node_);
    return node != nullptr ? utf8(node->getText()) : std::nullopt;
}

std::optional<std::string> NodeView::target() const {
    return property<dv::HyperlinkNode::Impl>(node_, [](auto const& link) { return &link.getTarget(); });
}

std::optional<std::string> NodeView::anchor() const {
    return property<dv::HyperlinkNode::Impl>(node_, [](auto const& link) { return &link.getAnchor(); });
}

std::optional<std::string> NodeView::targetType() const {
    return property<dv::HyperlinkNode::Impl>(node_, [](auto const& link) { return &link.getTargetType(); });
}

std::optional<std::string> NodeView::imageId() const {
    return property<dv::ImageNode::Impl>(node_, [](auto const& image) { return &image.getId(); });
}

std::optional<std::string> NodeView::imageSource() const {
    return property<dv::ImageNode::Impl>(
        node_, [](auto const& image) { return image.getData() ? &image.getData()->getImgSrc() : nullptr; });
}

std::optional<std::string> NodeView::altText() const {
    if (node_->getKind() == dv::NodeKind::EquationNode) {
        return property<dv::EquationNode::Impl>(node_, [](auto const& equation) {
            return equation.getEquationData() ? &equation.getEquationData()->getAltText() : nullptr;
        });
    }
    return property<dv::ImageNode::Impl>(
        node_, [](auto const& image) { return image.getData() ? &image.getData()->getAltText() : nullptr; });
}

std::optional<std::string> NodeView::verticalAlignment() const {
    return property<dv::ImageNode::Impl>(
        node_, [](auto const& image) { return image.getData() ? &image.getData()->getVerticalAlignment() : nullptr; });
}

std::optional<std::string> NodeView::tex() const {
    return property<dv::EquationNode::Impl>(node_, [](auto const& equation) { return &equation.getTexString(); });
}

std::optional<std::string> NodeView::encoding() const {
    return property<dv::EquationNode::Impl>(node_, [](auto const& equation) {
        return equation.getEquationData() ? &equation.getEquationData()->getEncoding() : nullptr;
    });
}

std::optional<std::string> NodeView::codeExampleType() const {
    return property<dv::CodeExampleBlock::Impl>(node_, [](auto const& block) { return &block.getCodeExampleType(); });
}

std::optional<std::string> NodeView::tokenKind() const {
    return property<dv::CodeTextNode::Impl>(node_, [](auto const& code) { return &code.getTokenKind(); });
}

std::string NodeView::plainText() const {
    // Gathered as UTF-16 and converted once: most nodes add only a few characters.
    std::u16string text;
    forEachNode(*node_, [&](NodeView node) {
        if (auto const* run = asText(node.node_)) {
            text += run->getText().value_or(std::u16string());
        } else if (auto const* equation = as<dv::EquationNode::Impl>(node.node_, dv::NodeKind::EquationNode)) {
            text += equation->getTexString().value_or(std::u16string());
        }
    });
    return text::toUtf8(text);
}

std::optional<int> NodeView::level() const noexcept {
    auto const* node = as<dv::HeadingNode::Impl>(node_, dv::NodeKind::HeadingNode);
    if (node == nullptr || !node->getLevel()) {
        return std::nullopt;
    }
    return static_cast<int>(*node->getLevel());
}

std::optional<NodeView> NodeView::parent() const noexcept {
    if (auto const* parent = node_->getParent()) {
        return NodeView(*parent);
    }
    return std::nullopt;
}

std::size_t NodeView::depth() const noexcept {
    std::size_t depth = 0;
    for (auto const* node = node_->getParent(); node != nullptr; node = node->getParent()) {
        ++depth;
    }
    return depth;
}

} // namespace richmarkup::formats
