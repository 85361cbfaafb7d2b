#include <richmarkup/formats/PandocWriter.hpp>

#include "NodeWalk.hpp"
#include "PandocAstWriter.hpp"
#include "PandocJson.hpp"
#include <richmarkup/formats/TextEscape.hpp>

#include <algorithm>
#include <ostream>

namespace richmarkup::formats {

namespace pandoc {

std::string kindPhrase(dv::NodeKind kind) {
    std::string const name = dv::kindName(kind);
    bool const vowel = !name.empty() && std::string_view("AEIOU").find(name.front()) != std::string_view::npos;
    return (vowel ? "an " : "a ") + name;
}

std::string quoted(std::string_view text) { return text::jsonQuoted(text); }

std::string quoted(std::optional<std::u16string> const& text) { return quoted(text ? text::toUtf8(*text) : ""); }

std::optional<dv::Alignment> alignmentOf(dv::Node::Impl const& node) {
    switch (node.getKind()) {
    case dv::NodeKind::RichTextParagraphNode:
    case dv::NodeKind::HeadingNode:
    case dv::NodeKind::ListItem: return static_cast<dv::RichTextParagraphNode::Impl const&>(node).getAlignment();
    case dv::NodeKind::TableOfContentsHeadingNode:
        return static_cast<dv::TableOfContentsHeadingNode::Impl const&>(node).getAlignment();
    default: return std::nullopt;
    }
}

namespace {

// Large enough that a buffered stream passes each piece straight through.
constexpr std::size_t pieceSize = 256 * 1024;

} // namespace

std::string AstWriter::write() {
    out_.reserve(1024);
    writeDocument();
    return std::move(out_);
}

void AstWriter::write(std::ostream& out) {
    stream_ = &out;
    out_.reserve(pieceSize + pieceSize / 4);
    writeDocument();
    out.write(out_.data(), static_cast<std::streamsize>(out_.size()));
    out_.clear();
}

void AstWriter::writeDocument() {
    out_ += api_ == PandocWriter::Api::V1_22 ? R"({"pandoc-api-version":[1,22],"meta":{},"blocks":[)"
                                             : R"({"pandoc-api-version":[1,23],"meta":{},"blocks":[)";
    flow(Nodes{topLevel_.data(), topLevel_.data() + topLevel_.size()}, Flow::Document, 0);
    out_ += "]}\n";
}

void AstWriter::flushIfLarge() {
    if (stream_ != nullptr && out_.size() >= pieceSize) {
        stream_->write(out_.data(), static_cast<std::streamsize>(out_.size() - 1));
        out_.erase(0, out_.size() - 1);
    }
}

void AstWriter::reportLone(dv::Node::Impl const& node, std::size_t lone) const {
    if (lone > 0) {
        warn(node, std::to_string(lone) + (lone == 1 ? " lone surrogate" : " lone surrogates") + " written as U+FFFD");
    }
}

// An Attr: the node's anchor id, the classes given, no key-values.
void AstWriter::attr(dv::Node::Impl const& node, char const* classes) {
    out_.push_back('[');
    auto const& id = node.getAnchorId();
    reportLone(node, pandoc::appendString(out_, id ? std::u16string_view(*id) : std::u16string_view()));
    out_.push_back(',');
    out_ += classes;
    out_ += ",[]]";
}

// Blocks whose pandoc form has no Attr carry their anchor id on a Div around them.
bool AstWriter::openIdDiv(dv::Node::Impl const& node) {
    if (!hasAnchorId(node)) {
        return false;
    }
    separate(out_);
    out_ += R"({"t":"Div","c":[)";
    attr(node);
    out_ += ",[";
    return true;
}

void AstWriter::closeDiv(bool opened) {
    if (opened) {
        out_ += "]]}";
    }
}

void AstWriter::alignmentWarning(dv::Node::Impl const& node) {
    std::optional<dv::Alignment> const alignment = alignmentOf(node);
    if (!alignment || *alignment == dv::Alignment::Left) {
        return;
    }
    // A cell's alignment holds its paragraphs'.
    if (alignedCell_ != nullptr && node.getParent() == alignedCell_) {
        return;
    }
    warn(node, std::string("alignment \"") + dv::alignmentName(*alignment) +
                   "\" left out: pandoc's paragraphs and headings have no alignment");
}

void AstWriter::flow(Nodes nodes, Flow flow, std::size_t depth) {
    for (dv::Node const* it = nodes.begin(); it != nodes.end();) {
        if (!*it) {
            ++it;
            continue;
        }
        if (!isInlineKind((*it)->getKind())) {
            block(at(*it), depth);
            ++it;
            if (flow == Flow::Document && depth == 0) {
                flushIfLarge();
            }
            continue;
        }
        if (flow != Flow::Item) {
            warn(at(*it), kindPhrase((*it)->getKind()) + " among blocks written in a paragraph with the " +
                              "inline content next to it");
        }
        separate(out_);
        out_ += flow == Flow::Item ? R"({"t":"Plain","c":[)" : R"({"t":"Para","c":[)";
        beginInlines();
        for (; it != nodes.end() && (!*it || isInlineKind((*it)->getKind())); ++it) {
            if (*it) {
                inlineNode(at(*it), depth + 1);
            }
        }
        endInlines();
        out_ += "]}";
        if (flow == Flow::Document && depth == 0) {
            flushIfLarge();
        }
    }
}

void AstWriter::block(dv::Node::Impl const& node, std::size_t depth) {
    if (depth >= maxNesting) {
        warn(node,
             "nested more than " + std::to_string(maxNesting) + " blocks deep: written as one paragraph of its text");
        separate(out_);
        out_ += R"({"t":"Para","c":[)";
        beginInlines();
        flatText(node);
        endInlines();
        out_ += "]}";
        return;
    }
    switch (node.getKind()) {
    case dv::NodeKind::RichTextParagraphNode: paragraph(node, R"({"t":"Para","c":[)", depth); return;
    case dv::NodeKind::HeadingNode: heading(static_cast<dv::HeadingNode::Impl const&>(node), depth); return;
    case dv::NodeKind::ListItem:
    case dv::NodeKind::TableOfContentsHeadingNode:
        warn(node, kindPhrase(node.getKind()) + " outside a list written as a paragraph");
        paragraph(node, R"({"t":"Para","c":[)", depth);
        return;
    case dv::NodeKind::ListContainer: list(static_cast<dv::ListContainer::Impl const&>(node), depth); return;
    case dv::NodeKind::TableOfContentsContainer: tableOfContents(node, depth); return;
    case dv::NodeKind::CodeExampleBlock: codeBlock(node, childrenOf(node)); return;
    case dv::NodeKind::CodeExampleLine: {
        warn(node, "a CodeExampleLineNode outside a code example written as a code block of its own");
        dv::Node const self = handleOf(node);
        codeBlock(node, Nodes{&self, &self + 1});
        return;
    }
    case dv::NodeKind::TableNode: table(node, childrenOf(node), depth); return;
    case dv::NodeKind::TableRowNode: {
        warn(node, "a TableRowNode outside a table written as a table of one row");
        dv::Node const self = handleOf(node);
        table(node, Nodes{&self, &self + 1}, depth);
        return;
    }
    case dv::NodeKind::TableCellNode: {
        warn(node, "a TableCellNode outside a table written as its blocks");
        bool const div = openIdDiv(node);
        flow(childrenOf(node), Flow::Cell, depth + 1);
        closeDiv(div);
        return;
    }
    default: return; // inline kinds: flow makes paragraphs of them
    }
}

// A handle of one's own on a node, to write it where a run of handles is expected.
dv::Node AstWriter::handleOf(dv::Node::Impl const& node) {
    // A handle counts its node; the node itself is not changed.
    return dv::detail::NodeAccess::wrap<dv::Node>(const_cast<dv::Node::Impl*>(&node));
}

void AstWriter::paragraph(dv::Node::Impl const& node, char const* open, std::size_t depth) {
    alignmentWarning(node);
    bool const div = openIdDiv(node);
    separate(out_);
    out_ += open;
    inlines(childrenOf(node), depth);
    out_ += "]}";
    closeDiv(div);
}

void AstWriter::heading(dv::HeadingNode::Impl const& node, std::size_t depth) {
    alignmentWarning(node);
    int const level = node.getLevel().value_or(1);
    int const written = std::clamp(level, 1, 6);
    if (written != level) {
        warn(node, "heading level " + std::to_string(level) + " written as " + std::to_string(written) +
                       ": pandoc has levels 1 to 6");
    }
    separate(out_);
    out_ += R"({"t":"Header","c":[)";
    out_ += std::to_string(written);
    out_.push_back(',');
    attr(node);
    out_ += ",[";
    inlines(childrenOf(node), depth);
    out_ += "]]}";
}

void AstWriter::list(dv::ListContainer::Impl const& node, std::size_t depth) {
    bool const ordered = node.getIsOrdered().value_or(false);
    bool const div = openIdDiv(node);
    separate(out_);
    out_ += ordered ? R"({"t":"OrderedList","c":[[1,{"t":"Decimal"},{"t":"Period"}],[)" : R"({"t":"BulletList","c":[)";
    items(node, depth);
    out_ += ordered ? "]]}" : "]}";
    closeDiv(div);
}

void AstWriter::tableOfContents(dv::Node::Impl const& node, std::size_t depth) {
    separate(out_);
    out_ += R"({"t":"Div","c":[)";
    attr(node, R"(["toc"])");
    out_ += R"(,[{"t":"BulletList","c":[)";
    items(node, depth);
    out_ += "]}]]}";
}

// A list's items, each an array of blocks. A list right inside the list (which pandoc
// nests in an item) joins the item before it; anything else is an item of its own.
void AstWriter::items(dv::Node::Impl const& list, std::size_t depth) {
    bool itemOpen = false;
    for (dv::Node const& child : list.getChildren()) {
        if (!child) {
            continue;
        }
        dv::NodeKind const kind = child->getKind();
        bool const isList = kind == dv::NodeKind::ListContainer || kind == dv::NodeKind::TableOfContentsContainer;
        if (isList && itemOpen) {
            warn(at(child), kindPhrase(kind) + " right inside a list written as part of the item before it");
            block(at(child), depth + 1);
            continue;
        }
        if (itemOpen) {
            out_.push_back(']');
        }
        separate(out_);
        out_.push_back('[');
        itemOpen = true;
        if (kind == dv::NodeKind::ListItem || kind == dv::NodeKind::TableOfContentsHeadingNode) {
            alignmentWarning(at(child));
            bool const div = openIdDiv(at(child));
            flow(childrenOf(at(child)), Flow::Item, depth + 1);
            closeDiv(div);
        } else {
            warn(at(child), kindPhrase(kind) + " right inside a list written as an item of its own");
            flow(Nodes{&child, &child + 1}, Flow::Item, depth + 1);
        }
    }
    if (itemOpen) {
        out_.push_back(']');
    }
}

// A token kind a reader of the code block cannot give back; an indent's "whitespace" it can.
bool hasTokenKind(dv::Node::Impl const& piece) {
    if (piece.getKind() != dv::NodeKind::CodeTextNode) {
        return false;
    }
    auto const& kind = static_cast<dv::CodeTextNode::Impl const&>(piece).getTokenKind();
    return hasText(kind) && *kind != u"whitespace";
}

// The lines joined by line ends: pandoc's code block is one text. Token kinds are styling
// that pandoc's highlighter redoes, but a model read back has them no more: said once a block.
void AstWriter::codeBlock(dv::Node::Impl const& node, Nodes lines) {
    separate(out_);
    out_ += R"({"t":"CodeBlock","c":[)";
    std::string classes = "[]";
    std::optional<std::u16string> type;
    if (node.getKind() == dv::NodeKind::CodeExampleBlock) {
        type = static_cast<dv::CodeExampleBlock::Impl const&>(node).getCodeExampleType();
    }
    if (hasText(type)) {
        classes = "[";
        reportLone(node, pandoc::appendString(classes, *type));
        classes.push_back(']');
    }
    attr(node, classes.c_str());
    out_ += ",\"";
    bool first = true;
    bool tokenKinds = false;
    for (dv::Node const& line : lines) {
        if (!line) {
            continue;
        }
        if (!first) {
            out_ += "\\n";
        }
        first = false;
        if (line->getKind() == dv::NodeKind::CodeExampleLine) {
            if (hasAnchorId(at(line)) && line.getImpl() != &node) {
                warn(at(line), "anchor id " + quoted(line->getAnchorId()) +
                                   " of a code line left out: pandoc's code blocks have no lines");
            }
            for (dv::Node const& piece : line->getChildren()) {
                if (piece) {
                    codeText(at(piece));
                    tokenKinds = tokenKinds || hasTokenKind(at(piece));
                }
            }
        } else {
            codeText(at(line));
        }
    }
    out_ += "\"]}";
    if (tokenKinds) {
        warn(node, "token kinds left out: pandoc's code block is one text, which its highlighter colours itself");
    }
}

// A piece of a code line as it stands; anything else in a line gives its text.
void AstWriter::codeText(dv::Node::Impl const& piece) {
    if (piece.getKind() != dv::NodeKind::CodeTextNode) {
        warn(piece, kindPhrase(piece.getKind()) + " in a code example written as its text");
    } else if (hasAnchorId(piece)) {
        warn(piece, "anchor id " + quoted(piece.getAnchorId()) +
                        " of a piece of code left out: pandoc's code blocks are one text");
    }
    forEachNode(&piece, [&](dv::Node::Impl const& node) {
        std::optional<std::u16string> const* value = textOf(node);
        if (value == nullptr || !*value) {
            return;
        }
        if ((*value)->find_first_of(u"\r\n") != std::u16string::npos) {
            warn(node, "line end inside a code line: pandoc's code block reads it as two lines");
        }
        reportLone(node, appendEscaped(out_, **value));
    });
}

// The text a node contributes when written as plain text, if any.
std::optional<std::u16string> const* AstWriter::textOf(dv::Node::Impl const& node) {
    switch (node.getKind()) {
    case dv::NodeKind::RichTextNode:
    case dv::NodeKind::CodeTextNode: return &static_cast<dv::TextNode::Impl const&>(node).getText();
    case dv::NodeKind::EquationNode: return &static_cast<dv::EquationNode::Impl const&>(node).getTexString();
    case dv::NodeKind::ImageNode:
        if (auto const& data = static_cast<dv::ImageNode::Impl const&>(node).getData()) {
            return &data->getAltText();
        }
        return nullptr;
    default: return nullptr;
    }
}

} // namespace pandoc

void PandocWriter::write(std::ostream& out, std::vector<document::vxzero::Node> const& topLevel,
                         Options const& options) {
    pandoc::AstWriter(topLevel, options).write(out);
}

std::string PandocWriter::toString(std::vector<document::vxzero::Node> const& topLevel, Options const& options) {
    return pandoc::AstWriter(topLevel, options).write();
}

} // namespace richmarkup::formats
