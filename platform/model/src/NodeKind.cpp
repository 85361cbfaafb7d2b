#include <document/vxzero/NodeKind.hpp>

namespace document::vxzero {

char const* kindName(NodeKind kind) noexcept {
    switch (kind) {
    case NodeKind::RichTextParagraphNode: return "RichTextParagraphNode";
    case NodeKind::HeadingNode: return "HeadingNode";
    case NodeKind::ListContainer: return "ListContainer";
    case NodeKind::ListItem: return "ListItem";
    case NodeKind::TableOfContentsContainer: return "TableOfContentsContainer";
    case NodeKind::TableOfContentsHeadingNode: return "TableOfContentsHeadingNode";
    case NodeKind::CodeExampleBlock: return "CodeExampleBlock";
    case NodeKind::CodeExampleLine: return "CodeExampleLine";
    case NodeKind::TableNode: return "TableNode";
    case NodeKind::TableRowNode: return "TableRowNode";
    case NodeKind::TableCellNode: return "TableCellNode";
    case NodeKind::RichTextNode: return "RichTextNode";
    case NodeKind::HyperlinkNode: return "HyperlinkNode";
    case NodeKind::ImageNode: return "ImageNode";
    case NodeKind::EquationNode: return "EquationNode";
    case NodeKind::CodeTextNode: return "CodeTextNode";
    }
    return "";
}

bool hasChildSequence(NodeKind kind) noexcept {
    switch (kind) {
    case NodeKind::RichTextNode:
    case NodeKind::ImageNode:
    case NodeKind::EquationNode:
    case NodeKind::CodeTextNode: return false;
    default: return true;
    }
}

} // namespace document::vxzero
