#pragma once

#include <richmarkup/formats/PandocWriter.hpp>

#include "NodeKinds.hpp"
#include "NodeWarnings.hpp"

#include <document/vxzero/Document.hpp>
#include <document/vxzero/NodeAccess.hpp>

#include <cstddef>
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <utility>
#include <vector>

// The pandoc writer's own: one class written over three sources (blocks, tables, inline content).
namespace richmarkup::formats::pandoc {

namespace dv = document::vxzero;

// Blocks or links nested deeper than this are written as plain text: every level costs native
// stack here, and a table level nests nine JSON arrays, which readers that bound nesting (512
// levels, as the JSON reader of this project) must still take.
constexpr std::size_t maxNesting = 48;

// A run of handles, as a parent's children or the top-level nodes hold them; null ones are
// passed over.
struct Nodes {
    dv::Node const* first;
    dv::Node const* last;
    dv::Node const* begin() const { return first; }
    dv::Node const* end() const { return last; }
};

inline Nodes childrenOf(dv::Node::Impl const& node) {
    return Nodes{node.getChildren().begin(), node.getChildren().end()};
}

inline dv::Node::Impl const& at(dv::Node const& handle) { return *handle.getImpl(); }

inline bool hasText(std::optional<std::u16string> const& value) { return value && !value->empty(); }

// "a HeadingNode", "an ImageNode": a node's kind in a sentence.
std::string kindPhrase(dv::NodeKind kind);

// A text for a message, in double quotes.
std::string quoted(std::string_view text);
std::string quoted(std::optional<std::u16string> const& text);

// The alignment of a paragraph, heading, list item or table of contents entry.
std::optional<dv::Alignment> alignmentOf(dv::Node::Impl const& node);

// Reports, at the node concerned, what the AST holds otherwise than the model.
using Warnings = NodeWarnings;

// Writes the AST depth first into one string. Inline content is written as a stream: the open
// Str or Code and the formatting around it stay open while the next run continues them, so
// that runs of the same formatting merge into one Strong, one Str.
class AstWriter {
public:
    AstWriter(std::vector<dv::Node> const& topLevel, PandocWriter::Options const& options)
        : topLevel_(topLevel), warnings_(options.onWarning), api_(options.api) {}

    std::string write();
    /// The same into `out`, in large pieces as the page is made.
    void write(std::ostream& out);

private:
    // What a stretch of inline nodes among blocks becomes: a paragraph, or in a list item the
    // Plain block that pandoc's tight lists hold.
    enum class Flow { Document, Cell, Item };

    // An inline wrapper: formatting, or a Span or Link around content.
    struct Wrap {
        char const* open;
        dv::Node::Impl const* node; // of a Span or Link: the node it stands for
        std::string close;
        bool same(Wrap const& other) const { return open == other.open && node == other.node; }
    };
    enum class Leaf { None, Str, Code };

    static constexpr char const* strongOpen = R"({"t":"Strong","c":[)";
    static constexpr char const* emphOpen = R"({"t":"Emph","c":[)";
    static constexpr char const* underlineOpen = R"({"t":"Underline","c":[)";
    static constexpr char const* spanOpen = R"({"t":"Span","c":[)";
    static constexpr char const* linkOpen = R"({"t":"Link","c":[)";

    void warn(dv::Node::Impl const& node, std::string message) const { warnings_.report(node, std::move(message)); }
    void reportLone(dv::Node::Impl const& node, std::size_t lone) const;
    void attr(dv::Node::Impl const& node, char const* classes = "[]");
    static bool hasAnchorId(dv::Node::Impl const& node) { return hasText(node.getAnchorId()); }
    bool openIdDiv(dv::Node::Impl const& node);
    void closeDiv(bool opened);
    void alignmentWarning(dv::Node::Impl const& node);

    void writeDocument();
    // Hands the text made so far to the stream once it has grown large, but its last byte, which
    // the next element's separate() looks at.
    void flushIfLarge();

    // Blocks (PandocWriter.cpp). `depth` counts the blocks and links around a node.

    void flow(Nodes nodes, Flow flow, std::size_t depth);
    void block(dv::Node::Impl const& node, std::size_t depth);
    static dv::Node handleOf(dv::Node::Impl const& node);
    void paragraph(dv::Node::Impl const& node, char const* open, std::size_t depth);
    void heading(dv::HeadingNode::Impl const& node, std::size_t depth);
    void list(dv::ListContainer::Impl const& node, std::size_t depth);
    void tableOfContents(dv::Node::Impl const& node, std::size_t depth);
    void items(dv::Node::Impl const& list, std::size_t depth);
    void codeBlock(dv::Node::Impl const& node, Nodes lines);
    void codeText(dv::Node::Impl const& piece);
    static std::optional<std::u16string> const* textOf(dv::Node::Impl const& node);

    // Tables (PandocTables.cpp).

    struct Row {
        dv::Node const* node; // a TableRowNode, or what stands in a table in place of one
        std::vector<dv::Node const*> cells;
        std::vector<std::optional<dv::Alignment>> alignments;
    };

    void table(dv::Node::Impl const& node, Nodes rowNodes, std::size_t depth);
    void tableAttr(dv::Node::Impl const& node, std::optional<std::vector<long long>> const& widths);
    void row(Row const& row, std::size_t columns, std::vector<std::optional<dv::Alignment>> const& columnAlignments,
             std::size_t depth);
    void cellContent(dv::Node const* cell, bool realCell, bool aligned, std::size_t depth);

    // Inline content (PandocInlines.cpp): one stretch at a time, between beginInlines and endInlines.

    void inlines(Nodes nodes, std::size_t depth);
    void beginInlines();
    void endInlines() { closeTo(0); }
    void inlineNode(dv::Node::Impl const& node, std::size_t depth);
    void separatingSpace();
    void flatText(dv::Node::Impl const& root);
    void run(dv::RichTextNode::Impl const& run);
    static Wrap spanWrap(dv::Node::Impl const& node) { return Wrap{spanOpen, &node, "]]}"}; }
    void spanFor(dv::Node::Impl const& node);
    void setStyle(Wrap const* want, std::size_t count);
    void openWrap(Wrap wrap);
    void closeTo(std::size_t size);
    void closeLeaf();
    void openLeaf(Leaf leaf);
    void element(char const* json);
    void text(dv::Node::Impl const& node, std::u16string_view value, bool code);
    void link(dv::HyperlinkNode::Impl const& link, std::size_t depth);
    std::string linkAddress(dv::HyperlinkNode::Impl const& link);
    std::unordered_set<std::string> const& anchorIds();
    void image(dv::ImageNode::Impl const& image);
    void equation(dv::EquationNode::Impl const& equation);

    std::vector<dv::Node> const& topLevel_;
    Warnings warnings_;
    PandocWriter::Api api_;
    std::string out_;
    std::ostream* stream_ = nullptr;                           // where out_ goes in pieces, if anywhere
    std::optional<std::unordered_set<std::string>> anchorIds_; // gathered at the first internal link
    dv::Node::Impl const* alignedCell_ = nullptr;              // a cell whose alignment holds its paragraphs'

    // The inline stretch being written.
    std::vector<Wrap> wraps_;      // open wrappers, outermost first
    std::size_t floor_ = 0;        // wrappers below this belong to the enclosing links
    Leaf leaf_ = Leaf::None;       // the Str or Code element left open for more text
    bool afterSpace_ = false;      // the last thing written is a space
    std::size_t linkDepth_ = 0;    // Links open around the content being written
    std::size_t quietBlocks_ = 0;  // blocks being flattened into inline content
    std::size_t stretchStart_ = 0; // where the stretch's content starts in out_
};

} // namespace richmarkup::formats::pandoc
