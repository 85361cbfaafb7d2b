#include <document/vxzero/ModelJsonWriter.hpp>

#include "JsonOutput.hpp"

#include <document/vxzero/Document.hpp>

#include <ostream>

namespace document::vxzero {
namespace {

using detail::JsonOutput;
namespace content = quillix::contentmodel::vxzero;

template <class T, std::size_t N>
void member(JsonOutput& out, char const (&key)[N], std::optional<T> const& field) {
    if (field) {
        out.key(key);
        out.value(*field);
    }
}

void alignmentMember(JsonOutput& out, std::optional<Alignment> const& alignment) {
    if (alignment) {
        out.key("alignment");
        out.asciiValue(alignmentName(*alignment));
    }
}

void formattingMember(JsonOutput& out, std::optional<content::Formatting> const& formatting) {
    if (!formatting) {
        return;
    }
    out.key("formatting");
    out.beginObject();
    member(out, "bold", formatting->getBold());
    member(out, "italic", formatting->getItalic());
    member(out, "monospace", formatting->getMonospace());
    member(out, "underline", formatting->getUnderline());
    out.endObject();
}

void imageDataMember(JsonOutput& out, std::optional<content::ImageData> const& data) {
    if (!data) {
        return;
    }
    out.key("imageData");
    out.beginObject();
    member(out, "imgSrc", data->getImgSrc());
    member(out, "height", data->getHeight());
    member(out, "width", data->getWidth());
    member(out, "altText", data->getAltText());
    member(out, "verticalAlignment", data->getVerticalAlignment());
    out.endObject();
}

void equationDataMember(JsonOutput& out, std::optional<content::EquationData> const& data) {
    if (!data) {
        return;
    }
    out.key("equationData");
    out.beginObject();
    member(out, "displayStyle", data->getDisplayStyle());
    member(out, "encoding", data->getEncoding());
    member(out, "altText", data->getAltText());
    out.endObject();
}

void tableMetaDataMember(JsonOutput& out, std::optional<content::TableNodeMetaData> const& data) {
    if (!data) {
        return;
    }
    out.key("tableNodeMetaData");
    out.beginObject();
    member(out, "hasHeader", data->getHasHeader());
    if (auto const& widths = data->getColumnWidths()) {
        out.key("columnWidths");
        out.beginArray();
        for (long long width : *widths) {
            out.value(width);
        }
        out.endArray();
    }
    out.endObject();
}

// Everything of the node but its children, in the one key order shared by all kinds.
void writeFields(JsonOutput& out, Node::Impl const& node) {
    NodeKind const kind = node.getKind();
    out.key("kind");
    out.asciiValue(kindName(kind));
    member(out, "anchorId", node.getAnchorId());
    switch (kind) {
    case NodeKind::RichTextParagraphNode:
    case NodeKind::ListItem:
        alignmentMember(out, static_cast<RichTextParagraphNode::Impl const&>(node).getAlignment());
        break;
    case NodeKind::HeadingNode: {
        auto const& heading = static_cast<HeadingNode::Impl const&>(node);
        alignmentMember(out, heading.getAlignment());
        if (auto const& level = heading.getLevel()) {
            out.key("level");
            out.value(static_cast<std::uint64_t>(*level));
        }
        break;
    }
    case NodeKind::TableOfContentsHeadingNode:
        alignmentMember(out, static_cast<TableOfContentsHeadingNode::Impl const&>(node).getAlignment());
        break;
    case NodeKind::RichTextNode: {
        auto const& run = static_cast<RichTextNode::Impl const&>(node);
        member(out, "text", run.getText());
        formattingMember(out, run.getFormatting());
        break;
    }
    case NodeKind::CodeTextNode: {
        auto const& code = static_cast<CodeTextNode::Impl const&>(node);
        member(out, "text", code.getText());
        member(out, "tokenKind", code.getTokenKind());
        break;
    }
    case NodeKind::ListContainer:
        member(out, "isOrdered", static_cast<ListContainer::Impl const&>(node).getIsOrdered());
        break;
    case NodeKind::HyperlinkNode: {
        auto const& link = static_cast<HyperlinkNode::Impl const&>(node);
        member(out, "target", link.getTarget());
        member(out, "anchor", link.getAnchor());
        member(out, "targetType", link.getTargetType());
        break;
    }
    case NodeKind::ImageNode: {
        auto const& image = static_cast<ImageNode::Impl const&>(node);
        member(out, "id", image.getId());
        imageDataMember(out, image.getData());
        break;
    }
    case NodeKind::EquationNode: {
        auto const& equation = static_cast<EquationNode::Impl const&>(node);
        member(out, "texString", equation.getTexString());
        equationDataMember(out, equation.getEquationData());
        break;
    }
    case NodeKind::CodeExampleBlock:
        member(out, "codeExampleType", static_cast<CodeExampleBlock::Impl const&>(node).getCodeExampleType());
        break;
    case NodeKind::TableNode:
        tableMetaDataMember(out, static_cast<TableNode::Impl const&>(node).getTableNodeMetaData());
        break;
    case NodeKind::TableOfContentsContainer:
    case NodeKind::CodeExampleLine:
    case NodeKind::TableRowNode:
    case NodeKind::TableCellNode: break;
    }
}

struct Frame {
    Node::Impl const* node;
    std::size_t nextChild;
};

// Opens the node's object; a node with children stays open on the stack until its last
// child is written.
void openNode(JsonOutput& out, Node::Impl const& node, std::vector<Frame>& stack) {
    out.beginObject();
    writeFields(out, node);
    if (node.hasChildSequence()) {
        out.key("children");
        out.beginArray();
        stack.push_back({&node, 0});
    } else {
        out.endObject();
    }
}

void writeTree(JsonOutput& out, Node::Impl const& root, std::vector<Frame>& stack) {
    openNode(out, root, stack);
    while (!stack.empty()) {
        Frame& top = stack.back();
        auto const& children = top.node->getChildren();
        if (top.nextChild < children.size()) {
            Node::Impl const& child = *children[top.nextChild++].getImpl();
            openNode(out, child, stack); // may reallocate the stack: top is not used after
        } else {
            out.endArray();
            out.endObject();
            stack.pop_back();
            out.flushIfLarge();
        }
    }
}

void writeAll(JsonOutput& out, std::vector<Node> const& topLevel) {
    std::vector<Frame> stack;
    out.beginArray();
    for (Node const& node : topLevel) {
        if (node) {
            writeTree(out, *node.getImpl(), stack);
        } else {
            out.null();
        }
        out.flushIfLarge();
    }
    out.endArray();
    out.finish();
}

} // namespace

void ModelJsonWriter::write(std::ostream& out, std::vector<Node> const& topLevel) { write(out, topLevel, Options()); }

std::string ModelJsonWriter::toString(std::vector<Node> const& topLevel) { return toString(topLevel, Options()); }

void ModelJsonWriter::write(std::ostream& out, std::vector<Node> const& topLevel, Options options) {
    std::string buffer;
    JsonOutput json(buffer, options.pretty, options.indent, &out);
    writeAll(json, topLevel);
}

std::string ModelJsonWriter::toString(std::vector<Node> const& topLevel, Options options) {
    std::string text;
    JsonOutput json(text, options.pretty, options.indent);
    writeAll(json, topLevel);
    return text;
}

} // namespace document::vxzero
