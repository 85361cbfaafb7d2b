#pragma once

#include <document/vxzero/Alignment.hpp>
#include <document/vxzero/NodeKind.hpp>

#include <optional>

namespace richmarkup::formats {

namespace dv = document::vxzero;

/// The kinds that stand inside a paragraph, a heading, an item or a link.
inline bool isInlineKind(dv::NodeKind kind) {
    switch (kind) {
    case dv::NodeKind::RichTextNode:
    case dv::NodeKind::CodeTextNode:
    case dv::NodeKind::HyperlinkNode:
    case dv::NodeKind::ImageNode:
    case dv::NodeKind::EquationNode: return true;
    default: return false;
    }
}

/// The kinds whose nodes hold no children (runs, code pieces, images, equations). A walk that
/// knows the kind need not read their empty child list, which a node keeps apart from its kind:
/// of a large model most nodes are such leaves, and every read of a node costs a wait on memory.
inline bool isLeafKind(dv::NodeKind kind) {
    switch (kind) {
    case dv::NodeKind::RichTextNode:
    case dv::NodeKind::CodeTextNode:
    case dv::NodeKind::ImageNode:
    case dv::NodeKind::EquationNode: return true;
    default: return false;
    }
}

/// An alignment as the formats name it ("center", "right", "justify"); null for the default,
/// left, and for none: what a writer leaves unsaid.
inline char const* alignmentWord(std::optional<dv::Alignment> const& alignment) {
    if (!alignment) {
        return nullptr;
    }
    switch (*alignment) {
    case dv::Alignment::Center: return "center";
    case dv::Alignment::Right: return "right";
    case dv::Alignment::Justify: return "justify";
    default: return nullptr;
    }
}

} // namespace richmarkup::formats
