#include <richmarkup/formats/RichTextWriter.hpp>

#include "NodeKinds.hpp"

#include <richmarkup/formats/TextEscape.hpp>

#include <document/vxzero/Document.hpp>

#include <charconv>
#include <cstdint>
#include <optional>
#include <ostream>
#include <string_view>
#include <vector>

namespace richmarkup::formats {

namespace {

namespace dv = document::vxzero;
namespace cm = quillix::contentmodel::vxzero;

// Large enough that a buffered stream passes each piece straight through.
constexpr std::size_t flushThreshold = 256 * 1024;

// The builder makes a CodeIndentNode a run of this many spaces at most, tagged as whitespace.
constexpr std::size_t maxIndentWidth = 256;

template <class Number>
void appendNumber(std::string& out, Number number) {
    char digits[24];
    auto const result = std::to_chars(digits, digits + sizeof digits, number);
    out.append(digits, result.ptr);
}

// An image size as a number that reads back as the same size. Sizes are read as doubles, and a
// negative one keeps the bits of its integer part: a size that no double holds exactly (from
// 2^53 up, most of them) is written as the negative number it wraps from when that one is
// exact, as the largest sizes are (2^64 - 1 as -1).
void appendImageSize(std::string& out, std::uint64_t size) {
    constexpr double twoTo64 = 18446744073709551616.0;
    auto const asDouble = static_cast<double>(size);
    bool const exact = asDouble < twoTo64 && static_cast<std::uint64_t>(asDouble) == size;
    auto const wrapped = static_cast<std::int64_t>(size);
    if (exact || wrapped >= 0) {
        appendNumber(out, size);
    } else {
        appendNumber(out, wrapped);
    }
}

// A code run that the builder would have made of a CodeIndentNode: spaces only, at most 256,
// tagged "whitespace". Written as one, as a document would hold it; both build the same node.
std::optional<std::size_t> indentWidth(dv::CodeTextNode::Impl const& code) {
    auto const& text = code.getText();
    auto const& tokenKind = code.getTokenKind();
    if (!text || !tokenKind || *tokenKind != u"whitespace" || text->size() > maxIndentWidth ||
        text->find_first_not_of(u' ') != std::u16string::npos) {
        return std::nullopt;
    }
    return text->size();
}

// Writes the JSON of the elements into one buffer, handing it to the stream in large pieces.
class Output {
public:
    Output(std::string& text, bool pretty, std::ostream* stream) : text_(text), pretty_(pretty), stream_(stream) {}

    void beginArray() { open('['); }
    void endArray() { close(']'); }
    void beginObject() { open('{'); }
    void endObject() { close('}'); }

    /// A member's key (ASCII, needs no escaping); the next value is its value.
    void key(std::string_view name) {
        beforeValue();
        text_.push_back('"');
        text_.append(name);
        text_.append(pretty_ ? "\": " : "\":");
        afterKey_ = true;
    }

    void value(std::u16string_view text) {
        beforeValue();
        // A lone surrogate, which no JSON text can carry, becomes U+FFFD as in every writer.
        text::appendQuoted(text_, text);
    }
    void value(std::optional<std::u16string> const& text) { value(text ? std::u16string_view(*text) : u""); }
    /// A string known to be plain ASCII without quotes or backslashes (names, words).
    void asciiValue(std::string_view text) {
        beforeValue();
        text_.push_back('"');
        text_.append(text);
        text_.push_back('"');
    }
    void value(bool flag) {
        beforeValue();
        text_.append(flag ? "true" : "false");
    }
    template <class Number>
    void number(Number number) {
        beforeValue();
        appendNumber(text_, number);
    }
    void imageSize(std::uint64_t size) {
        beforeValue();
        appendImageSize(text_, size);
    }

    void member(std::string_view name, std::optional<std::u16string> const& text) {
        if (text) {
            key(name);
            value(std::u16string_view(*text));
        }
    }
    void member(std::string_view name, std::optional<bool> const& flag) {
        if (flag) {
            key(name);
            value(*flag);
        }
    }

    void finish() {
        if (pretty_) {
            text_.push_back('\n');
        }
        flush();
    }
    void flushIfLarge() {
        if (text_.size() >= flushThreshold) {
            flush();
        }
    }

private:
    void flush() {
        if (stream_ != nullptr) {
            stream_->write(text_.data(), static_cast<std::streamsize>(text_.size()));
            text_.clear();
        }
    }

    void newline() {
        if (pretty_) {
            text_.push_back('\n');
            text_.append(2 * nonEmpty_.size(), ' ');
        }
    }

    void beforeValue() {
        if (afterKey_) {
            afterKey_ = false;
            return;
        }
        if (nonEmpty_.empty()) {
            return;
        }
        if (nonEmpty_.back()) {
            text_.push_back(',');
        }
        nonEmpty_.back() = true;
        newline();
    }

    void open(char bracket) {
        beforeValue();
        text_.push_back(bracket);
        nonEmpty_.push_back(false);
    }

    void close(char bracket) {
        bool const hadItems = nonEmpty_.back();
        nonEmpty_.pop_back();
        if (hadItems) {
            newline();
        }
        text_.push_back(bracket);
    }

    std::string& text_;
    bool pretty_;
    std::ostream* stream_;
    // Per open container: whether it holds anything yet.
    std::vector<bool> nonEmpty_;
    bool afterKey_ = false;
};

void className(Output& out, std::string_view name) {
    out.key("className");
    out.asciiValue(name);
}

// Written only when it holds something: without "anchorId" the builders store the empty id.
void anchorIdMember(Output& out, dv::Node::Impl const& node) {
    auto const& anchorId = node.getAnchorId();
    if (anchorId && !anchorId->empty()) {
        out.key("anchorId");
        out.value(std::u16string_view(*anchorId));
    }
}

void alignmentMember(Output& out, std::optional<dv::Alignment> const& alignment) {
    if (char const* word = alignmentWord(alignment)) {
        out.key("alignment");
        out.asciiValue(word);
    }
}

void formattingMembers(Output& out, std::optional<cm::Formatting> const& formatting) {
    if (formatting) {
        out.member("bold", formatting->getBold());
        out.member("italic", formatting->getItalic());
        out.member("monospace", formatting->getMonospace());
        out.member("underline", formatting->getUnderline());
    }
}

void hyperlinkMember(Output& out, dv::HyperlinkNode::Impl const& link) {
    if (!link.getTarget() && !link.getAnchor() && !link.getTargetType()) {
        return;
    }
    out.key("hyperlink");
    out.beginObject();
    out.member("target", link.getTarget());
    out.member("anchor", link.getAnchor());
    out.member("targetType", link.getTargetType());
    out.endObject();
}

void imageMembers(Output& out, dv::ImageNode::Impl const& image) {
    out.member("imageId", image.getId());
    auto const& data = image.getData();
    if (!data) {
        return;
    }
    out.member("imgSrc", data->getImgSrc());
    if (auto const& height = data->getHeight()) {
        out.key("height");
        out.imageSize(*height);
    }
    if (auto const& width = data->getWidth()) {
        out.key("width");
        out.imageSize(*width);
    }
    out.member("altText", data->getAltText());
    out.member("verticalAlign", data->getVerticalAlignment());
}

void equationMembers(Output& out, dv::EquationNode::Impl const& equation) {
    out.member("texString", equation.getTexString());
    if (auto const& data = equation.getEquationData()) {
        out.member("displayStyle", data->getDisplayStyle());
        out.member("encoding", data->getEncoding());
        out.member("altTextString", data->getAltText());
    }
}

void tableMembers(Output& out, dv::TableNode::Impl const& table) {
    auto const& data = table.getTableNodeMetaData();
    if (!data) {
        return;
    }
    out.member("hasHeader", data->getHasHeader());
    if (auto const& widths = data->getColumnWidths()) {
        // Widths beyond 2^53 are read as the nearest double, which gives the extremes back
        // exactly: 2^63 - 1 reads as 2^63 and is cut back to it.
        out.key("columnWidths");
        out.beginArray();
        for (long long const width : *widths) {
            out.number(width);
        }
        out.endArray();
    }
}

// Everything of the element but its children, in the order the format lists the kind's keys.
void writeMembers(Output& out, dv::Node::Impl const& node) {
    switch (node.getKind()) {
    case dv::NodeKind::RichTextParagraphNode: {
        className(out, "RichTextParagraphNode");
        anchorIdMember(out, node);
        alignmentMember(out, static_cast<dv::RichTextParagraphNode::Impl const&>(node).getAlignment());
        break;
    }
    case dv::NodeKind::HeadingNode: {
        auto const& heading = static_cast<dv::HeadingNode::Impl const&>(node);
        className(out, "HeadingNode");
        // The level is required; a heading without one is the first level, as the other
        // writers show it.
        out.key("level");
        out.number(static_cast<unsigned>(heading.getLevel().value_or(1)));
        anchorIdMember(out, node);
        alignmentMember(out, heading.getAlignment());
        break;
    }
    case dv::NodeKind::ListContainer: {
        auto const& ordered = static_cast<dv::ListContainer::Impl const&>(node).getIsOrdered();
        className(out, "ListParagraph");
        if (ordered) {
            // Any word but "ordered" makes the list unordered; without one the order is unset.
            out.key("type");
            out.asciiValue(*ordered ? "ordered" : "bulleted");
        }
        anchorIdMember(out, node);
        break;
    }
    case dv::NodeKind::ListItem:
        className(out, "ListItem");
        alignmentMember(out, static_cast<dv::ListItem::Impl const&>(node).getAlignment());
        break;
    case dv::NodeKind::TableOfContentsContainer:
        className(out, "TableOfContentsContainer");
        anchorIdMember(out, node);
        break;
    case dv::NodeKind::TableOfContentsHeadingNode:
        className(out, "TableOfContentsHeadingNode");
        alignmentMember(out, static_cast<dv::TableOfContentsHeadingNode::Impl const&>(node).getAlignment());
        break;
    case dv::NodeKind::CodeExampleBlock:
        className(out, "CodeExampleBlockNode");
        out.key("type"); // required
        out.value(static_cast<dv::CodeExampleBlock::Impl const&>(node).getCodeExampleType());
        anchorIdMember(out, node);
        break;
    case dv::NodeKind::CodeExampleLine: className(out, "CodeExampleLineNode"); break;
    case dv::NodeKind::TableNode:
        className(out, "TableNode");
        tableMembers(out, static_cast<dv::TableNode::Impl const&>(node));
        anchorIdMember(out, node);
        break;
    case dv::NodeKind::TableRowNode: className(out, "TableRowNode"); break;
    case dv::NodeKind::TableCellNode: className(out, "TableCellNode"); break;
    case dv::NodeKind::RichTextNode: {
        auto const& run = static_cast<dv::RichTextNode::Impl const&>(node);
        className(out, "RichTextNode");
        out.key("text"); // required
        out.value(run.getText());
        formattingMembers(out, run.getFormatting());
        break;
    }
    case dv::NodeKind::HyperlinkNode:
        className(out, "HyperlinkNode");
        hyperlinkMember(out, static_cast<dv::HyperlinkNode::Impl const&>(node));
        break;
    case dv::NodeKind::ImageNode:
        className(out, "ImageNode");
        imageMembers(out, static_cast<dv::ImageNode::Impl const&>(node));
        break;
    case dv::NodeKind::EquationNode:
        className(out, "EquationNode");
        equationMembers(out, static_cast<dv::EquationNode::Impl const&>(node));
        break;
    case dv::NodeKind::CodeTextNode: {
        auto const& code = static_cast<dv::CodeTextNode::Impl const&>(node);
        if (auto const width = indentWidth(code)) {
            className(out, "CodeIndentNode");
            out.key("width");
            out.number(*width);
            break;
        }
        className(out, "CodeTextNode");
        out.key("text"); // required
        out.value(code.getText());
        out.member("tokenKind", code.getTokenKind());
        break;
    }
    }
}

struct Frame {
    dv::Node::Impl const* node;
    std::size_t nextChild;
};

// Opens the element's object; one with children stays open on the stack until its last child
// is written, so that depth costs no native stack.
void openElement(Output& out, dv::Node::Impl const& node, std::vector<Frame>& stack) {
    out.beginObject();
    writeMembers(out, node);
    if (node.hasChildSequence()) {
        out.key("children");
        out.beginArray();
        stack.push_back({&node, 0});
    } else {
        out.endObject();
    }
}

void writeElement(Output& out, dv::Node::Impl const& root, std::vector<Frame>& stack) {
    openElement(out, root, stack);
    while (!stack.empty()) {
        Frame& top = stack.back();
        auto const& children = top.node->getChildren();
        if (top.nextChild < children.size()) {
            dv::Node const& child = children[top.nextChild++];
            if (child) {                                   // the format has no null element: a null slot is left out
                openElement(out, *child.getImpl(), stack); // may reallocate the stack: top is not used after
            }
        } else {
            out.endArray();
            out.endObject();
            stack.pop_back();
            out.flushIfLarge();
        }
    }
}

void writeDocument(Output& out, std::vector<dv::Node> const& topLevel) {
    std::vector<Frame> stack;
    out.beginArray();
    for (dv::Node const& node : topLevel) {
        if (node) {
            writeElement(out, *node.getImpl(), stack);
            out.flushIfLarge();
        }
    }
    out.endArray();
    out.finish();
}

} // namespace

void RichTextWriter::write(std::ostream& out, std::vector<document::vxzero::Node> const& topLevel,
                           Options const& options) {
    std::string buffer;
    Output json(buffer, options.pretty, &out);
    writeDocument(json, topLevel);
}

std::string RichTextWriter::toString(std::vector<document::vxzero::Node> const& topLevel, Options const& options) {
    std::string text;
    Output json(text, options.pretty, nullptr);
    writeDocument(json, topLevel);
    return text;
}

} // namespace richmarkup::formats
