#pragma once

#include <richmarkup/formats/Export.hpp>

#include <document/vxzero/Node.hpp>
#include <document/vxzero/NodeKind.hpp>

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace richmarkup::formats {

/// A read-only look at one node of a model, with every text property in UTF-8 and the node's
/// kind by name, for code that would rather not deal with the model's UTF-16 strings and
/// per-kind classes. The typed node stays at hand through impl().
///
/// A view is a pointer: it is valid while the node is, that is while its model lives and a
/// handle (a result's nodes, a parent) holds the node. Copying a view is free.
class RICHMARKUP_FORMATS_EXPORT NodeView {
public:
    /// A view of a handle's node; the handle must not be null.
    NodeView(document::vxzero::Node const& node) noexcept : node_(node.getImpl()) {} // NOLINT: implicit on purpose
    explicit NodeView(document::vxzero::Node::Impl const& node) noexcept : node_(&node) {}

    document::vxzero::NodeKind kind() const noexcept { return node_->getKind(); }
    /// The kind's name as the input and the model JSON spell it: "RichTextParagraphNode", ...
    std::string_view kindName() const noexcept { return document::vxzero::kindName(kind()); }
    bool is(document::vxzero::NodeKind kind) const noexcept { return this->kind() == kind; }

    /// The kinds' names, and back: nullopt for a name no kind has.
    static std::optional<document::vxzero::NodeKind> kindNamed(std::string_view name) noexcept;

    // Text properties. Each is nullopt when the node's kind has no such property or the
    // document left it out; an empty string is a property set to "". They never throw: a lone
    // UTF-16 surrogate, which no builder stores, reads as U+FFFD.

    /// Anchor id (any kind; headings, tables and equations get one that links reach).
    std::optional<std::string> anchorId() const;
    /// Text of a run (RichTextNode) or of a piece of code (CodeTextNode).
    std::optional<std::string> text() const;
    /// Link (HyperlinkNode): where it goes, the anchor it names, the kind of target.
    std::optional<std::string> target() const;
    std::optional<std::string> anchor() const;
    std::optional<std::string> targetType() const;
    /// Image (ImageNode): its id and source.
    std::optional<std::string> imageId() const;
    std::optional<std::string> imageSource() const;
    /// Alternative text of an image or an equation.
    std::optional<std::string> altText() const;
    /// Vertical alignment of an image, as written ("middle", ...).
    std::optional<std::string> verticalAlignment() const;
    /// Equation (EquationNode): its TeX and the encoding it is in.
    std::optional<std::string> tex() const;
    std::optional<std::string> encoding() const;
    /// Code example (CodeExampleBlock): the language or kind of example.
    std::optional<std::string> codeExampleType() const;
    /// Piece of code (CodeTextNode): its token kind ("keyword", ...).
    std::optional<std::string> tokenKind() const;

    /// The text a reader sees in this subtree: every run's and code piece's text in document
    /// order, each equation as its TeX, nothing between them.
    std::string plainText() const;

    /// Heading level (HeadingNode), 1 and up.
    std::optional<int> level() const noexcept;

    std::size_t childCount() const noexcept { return node_->getChildren().size(); }
    /// The i-th child; i < childCount(). A child slot may hold a null node: see hasChild.
    bool hasChild(std::size_t i) const noexcept { return static_cast<bool>(node_->getChildren()[i]); }
    NodeView child(std::size_t i) const noexcept { return NodeView(*node_->getChildren()[i].getImpl()); }
    /// The node whose children hold this one, if any (top-level nodes have none).
    std::optional<NodeView> parent() const noexcept;
    /// Ancestors above this node: 0 for a top-level node.
    std::size_t depth() const noexcept;

    document::vxzero::Node::Impl const& impl() const noexcept { return *node_; }

    friend bool operator==(NodeView a, NodeView b) noexcept { return a.node_ == b.node_; }
    friend bool operator!=(NodeView a, NodeView b) noexcept { return a.node_ != b.node_; }

private:
    document::vxzero::Node::Impl const* node_;
};

} // namespace richmarkup::formats
