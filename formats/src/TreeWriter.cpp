#include <richmarkup/formats/TreeWriter.hpp>

#include "NodeKinds.hpp"
#include "PageBuffer.hpp"
#include <richmarkup/formats/TextEscape.hpp>

#include <document/vxzero/Document.hpp>

#include <charconv>
#include <optional>
#include <ostream>
#include <sstream>
#include <utility>

namespace richmarkup::formats {

namespace {

namespace dv = document::vxzero;

template <class Number>
void appendNumber(std::string& out, Number number) {
    char digits[24];
    auto const result = std::to_chars(digits, digits + sizeof digits, number);
    out.append(digits, result.ptr);
}

// One line of the outline: the kind, then the node's fields in the model writer's key order.
class LineBuilder {
public:
    explicit LineBuilder(std::string& line) : line_(line) {}

    void text(std::optional<std::u16string> const& value) {
        if (value) {
            line_.push_back(' ');
            text::appendQuoted(line_, std::u16string_view(*value));
        }
    }
    void string(char const* key, std::optional<std::u16string> const& value) {
        if (value) {
            beginField(key);
            text::appendQuoted(line_, std::u16string_view(*value));
        }
    }
    void flag(char const* key, std::optional<bool> const& value) {
        if (value) {
            beginField(key);
            line_ += *value ? "true" : "false";
        }
    }
    template <class Number>
    void number(char const* key, std::optional<Number> const& value) {
        if (value) {
            beginField(key);
            appendNumber(line_, *value);
        }
    }
    void word(char const* key, char const* value) {
        beginField(key);
        line_ += value;
    }
    void numbers(char const* key, std::optional<std::vector<long long>> const& values) {
        if (!values) {
            return;
        }
        beginField(key);
        line_.push_back('[');
        for (std::size_t i = 0; i < values->size(); ++i) {
            if (i != 0) {
                line_.push_back(',');
            }
            appendNumber(line_, (*values)[i]);
        }
        line_.push_back(']');
    }

private:
    void beginField(char const* key) {
        line_.push_back(' ');
        line_ += key;
        line_.push_back('=');
    }

    std::string& line_;
};

void describeParagraphAlignment(LineBuilder& b, std::optional<dv::Alignment> const& alignment) {
    if (alignment) {
        b.word("alignment", dv::alignmentName(*alignment));
    }
}

void describe(std::string& line, dv::Node::Impl const& node) {
    dv::NodeKind const kind = node.getKind();
    line += dv::kindName(kind);
    LineBuilder b(line);

    // Text first: it is what a reader looks for on the line.
    if (kind == dv::NodeKind::RichTextNode || kind == dv::NodeKind::CodeTextNode) {
        b.text(static_cast<dv::TextNode::Impl const&>(node).getText());
    }
    // Builders store an empty anchor id when the element names none; that says nothing to a reader.
    if (auto const& anchor = node.getAnchorId(); anchor && !anchor->empty()) {
        b.string("anchorId", anchor);
    }

    switch (kind) {
    case dv::NodeKind::RichTextParagraphNode:
    case dv::NodeKind::ListItem:
        describeParagraphAlignment(b, static_cast<dv::RichTextParagraphNode::Impl const&>(node).getAlignment());
        break;
    case dv::NodeKind::HeadingNode: {
        auto const& heading = static_cast<dv::HeadingNode::Impl const&>(node);
        describeParagraphAlignment(b, heading.getAlignment());
        std::optional<unsigned> level;
        if (heading.getLevel()) {
            level = *heading.getLevel();
        }
        b.number("level", level);
        break;
    }
    case dv::NodeKind::TableOfContentsHeadingNode:
        describeParagraphAlignment(b, static_cast<dv::TableOfContentsHeadingNode::Impl const&>(node).getAlignment());
        break;
    case dv::NodeKind::CodeTextNode:
        b.string("tokenKind", static_cast<dv::CodeTextNode::Impl const&>(node).getTokenKind());
        break;
    case dv::NodeKind::RichTextNode: {
        auto const& formatting = static_cast<dv::RichTextNode::Impl const&>(node).getFormatting();
        if (formatting) {
            b.flag("bold", formatting->getBold());
            b.flag("italic", formatting->getItalic());
            b.flag("monospace", formatting->getMonospace());
            b.flag("underline", formatting->getUnderline());
        }
        break;
    }
    case dv::NodeKind::ListContainer:
        b.flag("isOrdered", static_cast<dv::ListContainer::Impl const&>(node).getIsOrdered());
        break;
    case dv::NodeKind::HyperlinkNode: {
        auto const& link = static_cast<dv::HyperlinkNode::Impl const&>(node);
        b.string("target", link.getTarget());
        b.string("anchor", link.getAnchor());
        b.string("targetType", link.getTargetType());
        break;
    }
    case dv::NodeKind::ImageNode: {
        auto const& image = static_cast<dv::ImageNode::Impl const&>(node);
        b.string("id", image.getId());
        if (auto const& data = image.getData()) {
            b.string("imgSrc", data->getImgSrc());
            b.number("height", data->getHeight());
            b.number("width", data->getWidth());
            b.string("altText", data->getAltText());
            b.string("verticalAlignment", data->getVerticalAlignment());
        }
        break;
    }
    case dv::NodeKind::EquationNode: {
        auto const& equation = static_cast<dv::EquationNode::Impl const&>(node);
        b.string("texString", equation.getTexString());
        if (auto const& data = equation.getEquationData()) {
            b.flag("displayStyle", data->getDisplayStyle());
            b.string("encoding", data->getEncoding());
            b.string("altText", data->getAltText());
        }
        break;
    }
    case dv::NodeKind::CodeExampleBlock:
        b.string("codeExampleType", static_cast<dv::CodeExampleBlock::Impl const&>(node).getCodeExampleType());
        break;
    case dv::NodeKind::TableNode:
        if (auto const& meta = static_cast<dv::TableNode::Impl const&>(node).getTableNodeMetaData()) {
            b.flag("hasHeader", meta->getHasHeader());
            b.numbers("columnWidths", meta->getColumnWidths());
        }
        break;
    case dv::NodeKind::TableOfContentsContainer:
    case dv::NodeKind::CodeExampleLine:
    case dv::NodeKind::TableRowNode:
    case dv::NodeKind::TableCellNode: break;
    }
}

// Writes the tree whose root is on the stack, depth first; the stack is empty again after.
void writeTree(std::vector<std::pair<dv::Node::Impl const*, std::size_t>>& stack, std::string& text, PageBuffer& page) {
    while (!stack.empty()) {
        auto const [node, depth] = stack.back();
        stack.pop_back();
        text.append(depth * 2, ' ');
        if (node == nullptr) {
            text += "(null)";
        } else {
            describe(text, *node);
            if (!isLeafKind(node->getKind())) {
                auto const& children = node->getChildren();
                for (std::size_t i = children.size(); i > 0; --i) {
                    stack.emplace_back(children[i - 1].getImpl(), depth + 1);
                }
            }
        }
        text.push_back('\n');
        page.flushIfLarge();
    }
}

} // namespace

void TreeWriter::write(std::ostream& out, std::vector<dv::Node> const& topLevel) {
    // The walk keeps its own stack: a model may nest as deep as its document did. It takes a
    // top-level tree at a time, so that the stack holds one tree's path, not the whole page.
    std::vector<std::pair<dv::Node::Impl const*, std::size_t>> stack;
    PageBuffer page(out);
    std::string& text = page.text();
    for (dv::Node const& top : topLevel) {
        stack.emplace_back(top.getImpl(), 0);
        writeTree(stack, text, page);
    }
    page.flush();
}

std::string TreeWriter::toString(std::vector<dv::Node> const& topLevel) {
    std::ostringstream out;
    write(out, topLevel);
    return out.str();
}

} // namespace richmarkup::formats
