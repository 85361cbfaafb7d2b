#pragma once

#include <vx/zero/Export.hpp>

namespace document::vxzero {

/// Every concrete kind of node the model knows.
enum class NodeKind {
    RichTextParagraphNode,
    HeadingNode,
    ListContainer,
    ListItem,
    TableOfContentsContainer,
    TableOfContentsHeadingNode,
    CodeExampleBlock,
    CodeExampleLine,
    TableNode,
    TableRowNode,
    TableCellNode,
    RichTextNode,
    HyperlinkNode,
    ImageNode,
    EquationNode,
    CodeTextNode,
};

inline constexpr int nodeKindCount = static_cast<int>(NodeKind::CodeTextNode) + 1;

/// The kind's class name, e.g. "RichTextParagraphNode"; an out-of-range value gives "".
RICHMARKUP_MODEL_EXPORT char const* kindName(NodeKind kind) noexcept;

/// Whether nodes of the kind hold children (runs, images, equations and code text do not).
RICHMARKUP_MODEL_EXPORT bool hasChildSequence(NodeKind kind) noexcept;

} // namespace document::vxzero
