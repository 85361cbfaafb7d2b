#include <richmarkup/host/NodeView.hpp>
#include <richmarkup/host/Subtree.hpp>

#include <document/vxzero/CodeExampleBlock.hpp>
#include <document/vxzero/CodeTextNode.hpp>
#include <document/vxzero/EquationNode.hpp>
#include <document/vxzero/HeadingNode.hpp>
#include <document/vxzero/HyperlinkNode.hpp>
#include <document/vxzero/ImageNode.hpp>
#include <document/vxzero/TextNode.hpp>

#include "TextEscape.hpp"

namespace richmarkup::host {

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
    auto const* node = as<dv::HyperlinkNode::Impl>(node_, dv::NodeKind::HyperlinkNode);
    return node != nullptr ? utf8(node->getTarget()) : std::nullopt;
}

std::optional<std::string> NodeView::anchor() const {
    auto const* node = as<dv::HyperlinkNode::Impl>(node_, dv::NodeKind::HyperlinkNode);
    return node != nullptr ? utf8(node->getAnchor()) : std::nullopt;
}

std::optional<std::string> NodeView::targetType() const {
    auto const* node = as<dv::HyperlinkNode::Impl>(node_, dv::NodeKind::HyperlinkNode);
    return node != nullptr ? utf8(node->getTargetType()) : std::nullopt;
}

std::optional<std::string> NodeView::imageId() const {
    auto const* node = as<dv::ImageNode::Impl>(node_, dv::NodeKind::ImageNode);
    return node != nullptr ? utf8(node->getId()) : std::nullopt;
}

std::optional<std::string> NodeView::imageSource() const {
    auto const* node = as<dv::ImageNode::Impl>(node_, dv::NodeKind::ImageNode);
    return node != nullptr && node->getData() ? utf8(node->getData()->getImgSrc()) : std::nullopt;
}

std::optional<std::string> NodeView::altText() const {
    if (auto const* image = as<dv::ImageNode::Impl>(node_, dv::NodeKind::ImageNode)) {
        return image->getData() ? utf8(image->getData()->getAltText()) : std::nullopt;
    }
    if (auto const* equation = as<dv::EquationNode::Impl>(node_, dv::NodeKind::EquationNode)) {
        return equation->getEquationData() ? utf8(equation->getEquationData()->getAltText()) : std::nullopt;
    }
    return std::nullopt;
}

std::optional<std::string> NodeView::verticalAlignment() const {
    auto const* node = as<dv::ImageNode::Impl>(node_, dv::NodeKind::ImageNode);
    return node != nullptr && node->getData() ? utf8(node->getData()->getVerticalAlignment()) : std::nullopt;
}

std::optional<std::string> NodeView::tex() const {
    auto const* node = as<dv::EquationNode::Impl>(node_, dv::NodeKind::EquationNode);
    return node != nullptr ? utf8(node->getTexString()) : std::nullopt;
}

std::optional<std::string> NodeView::encoding() const {
    auto const* node = as<dv::EquationNode::Impl>(node_, dv::NodeKind::EquationNode);
    return node != nullptr && node->getEquationData() ? utf8(node->getEquationData()->getEncoding())
                                                      : std::nullopt;
}

std::optional<std::string> NodeView::codeExampleType() const {
    auto const* node = as<dv::CodeExampleBlock::Impl>(node_, dv::NodeKind::CodeExampleBlock);
    return node != nullptr ? utf8(node->getCodeExampleType()) : std::nullopt;
}

std::optional<std::string> NodeView::tokenKind() const {
    auto const* node = as<dv::CodeTextNode::Impl>(node_, dv::NodeKind::CodeTextNode);
    return node != nullptr ? utf8(node->getTokenKind()) : std::nullopt;
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

} // namespace richmarkup::host
