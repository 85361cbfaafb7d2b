#include <richmarkup/formats/HtmlWriter.hpp>

#include "NodeKinds.hpp"
#include "NodeWalk.hpp"
#include "PageBuffer.hpp"
#include "PageMath.hpp"
#include "TextTable.hpp"
#include <richmarkup/formats/TextEscape.hpp>
#include "UrlFilter.hpp"

#include <document/vxzero/Document.hpp>

#include <algorithm>
#include <charconv>
#include <ostream>
#include <sstream>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

namespace richmarkup::formats {

namespace {

namespace dv = document::vxzero;

constexpr char const* pageStyle =
    "body{font-family:sans-serif;max-width:52em;margin:2em auto;padding:0 1em;line-height:1.5}\n"
    "table{border-collapse:collapse;margin:1em 0}\n"
    "td,th{border:1px solid #999;padding:.25em .5em;vertical-align:top}\n"
    "th{background:#eee}\n"
    "pre.code{background:#f6f6f6;border:1px solid #ddd;padding:.75em;overflow:auto}\n"
    ".equation code.tex{background:#f3f0ff;padding:0 .2em}\n"
    ".equation.display{display:block;text-align:center;margin:.5em 0}\n"
    // MathML needs a font with math tables to stretch its operators; a browser's own choice is
    // often a text font. DejaVu's matches the page; the others are what macOS and Windows have.
    "math{font-family:\"DejaVu Math TeX Gyre\",\"STIX Two Math\",\"Latin Modern Math\",\"Cambria Math\",math}\n"
    "nav.toc{border-left:3px solid #ccc;padding-left:1em}\n"
    ".tok-keyword{color:#00008b;font-weight:bold}\n"
    ".tok-type{color:#267f99}\n"
    ".tok-string{color:#a31515}\n"
    ".tok-number{color:#098658}\n"
    ".tok-comment{color:#008000;font-style:italic}\n"
    ".tok-operator{color:#555}\n"
    ".tok-identifier{color:#001080}\n";

// The few vertical alignments that CSS knows; any other text stays out of the style attribute.
bool isCssVerticalAlign(std::string const& value) {
    static constexpr char const* known[] = {"baseline", "top",         "middle", "bottom",
                                            "text-top", "text-bottom", "sub",    "super"};
    return std::any_of(std::begin(known), std::end(known), [&](char const* k) { return value == k; });
}

// Whether the kind's element carries the node's anchor id; those of the others reach nothing.
bool writesId(dv::NodeKind kind) {
    switch (kind) {
    case dv::NodeKind::CodeExampleLine:
    case dv::NodeKind::CodeTextNode:
    case dv::NodeKind::TableRowNode:
    case dv::NodeKind::TableCellNode:
    case dv::NodeKind::RichTextNode:
    case dv::NodeKind::ImageNode: return false;
    default: return true;
    }
}

// The ids of the page: every anchor id it carries, and for each element whose id an earlier one
// has already, the unique id it gets instead. Browsers follow a link to the first element
// with its id; the first keeping it makes that the rule rather than an accident.
struct PageIds {
    TextTable<dv::Node::Impl const*> anchors;
    std::unordered_map<dv::Node::Impl const*, std::string> renamed;
};

PageIds pageIdsOf(std::vector<dv::Node> const& topLevel) {
    PageIds ids;
    std::vector<std::pair<dv::Node::Impl const*, std::string>> later;
    std::string id;
    auto const gather = [&](dv::Node::Impl const& node, std::u16string const& anchor) {
        id.clear();
        text::appendUtf8(id, anchor);
        if (!ids.anchors.insert(id, &node).second) {
            later.emplace_back(&node, id);
        }
    };
    forEachAnchorId(
        topLevel.size(), [&](std::size_t i) { return topLevel[i].getImpl(); }, writesId, gather);
    // "-2", "-3", ... after the id, past any id the page has or has given; the count goes on
    // per id, so many copies of one id cost no search from "-2" each.
    std::unordered_set<std::string> given;
    std::unordered_map<std::string, std::size_t> nextSuffix;
    for (auto& [node, id] : later) {
        std::size_t& suffix = nextSuffix.try_emplace(id, 2).first->second;
        for (;; ++suffix) {
            std::string candidate = id + "-" + std::to_string(suffix);
            if (!ids.anchors.contains(candidate) && given.insert(candidate).second) {
                ids.renamed.emplace(node, std::move(candidate));
                break;
            }
        }
    }
    return ids;
}

// A text for a message in quotes, cut short: an address may be a data: URL of megabytes.
std::string shortQuoted(std::string_view value) {
    constexpr std::size_t limit = 80;
    std::string out;
    if (value.size() <= limit) {
        text::appendQuoted(out, value);
        return out;
    }
    std::size_t end = limit;
    while (end > 0 && (static_cast<unsigned char>(value[end]) & 0xC0) == 0x80) {
        --end; // not inside a UTF-8 sequence
    }
    text::appendQuoted(out, value.substr(0, end));
    out.insert(out.size() - 1, "...");
    return out;
}

std::string quoted(std::string_view value) {
    std::string out;
    text::appendQuoted(out, value);
    return out;
}

// An id as the fragment of an href: blanks, quotes, angle brackets and backquotes
// percent-encoded, which a browser decodes again when it looks the id up (it would drop a tab
// or line break unencoded). Other controls are left to the escaping, as in the id itself.
std::string fragmentOf(std::string const& id) {
    static constexpr char hex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(id.size());
    for (char const ch : id) {
        auto const c = static_cast<unsigned char>(ch);
        if (c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '"' || c == '<' || c == '>' || c == '`') {
            out.push_back('%');
            out.push_back(hex[c >> 4]);
            out.push_back(hex[c & 0xF]);
        } else {
            out.push_back(ch);
        }
    }
    return out;
}

// The alignment a block states for its text, if it is a kind that has one.
std::optional<dv::Alignment> blockAlignment(dv::Node::Impl const& block) {
    switch (block.getKind()) {
    case dv::NodeKind::RichTextParagraphNode:
        return static_cast<dv::RichTextParagraphNode::Impl const&>(block).getAlignment();
    case dv::NodeKind::HeadingNode: return static_cast<dv::HeadingNode::Impl const&>(block).getAlignment();
    default: return std::nullopt;
    }
}

// Renders the nodes depth first with a stack of its own; each node writes its opening on the
// way down and its closing on the way up.
class HtmlRenderer {
public:
    HtmlRenderer(PageBuffer& page, std::vector<dv::Node> const& topLevel, PageMath const& math,
                 WriterWarningHandler const& onWarning)
        : page_(page), out_(page.text()), topLevel_(topLevel), math_(math), onWarning_(onWarning) {}

    // A top-level tree at a time: the stack holds one tree's path, not every tree of the page
    // (memory touched for the first time costs a page fault per page).
    void render(std::vector<dv::Node> const& topLevel) {
        for (dv::Node const& top : topLevel) {
            stack_.push_back(Step{&top, false, false, nullptr, false});
            renderTree();
        }
    }

private:
    void renderTree() {
        while (!stack_.empty()) {
            Step const step = stack_.back();
            stack_.pop_back();
            if (step.closing) {
                if (step.close != nullptr) {
                    out_ += step.close;
                }
                linkDepth_ -= step.closesLink ? 1 : 0;
                continue;
            }
            if (step.node == nullptr || !*step.node) {
                continue;
            }
            current_ = step.node;
            dv::Node::Impl const& node = *step.node->getImpl();
            char const* close = open(node, step.headerRow);
            bool const closesLink = node.getKind() == dv::NodeKind::HyperlinkNode;
            stack_.push_back(Step{nullptr, true, false, close, closesLink});
            pushChildren(node, step.headerRow);
            page_.flushIfLarge();
        }
    }

    struct Step {
        dv::Node const* node; // the handle in its parent's children, to report the node by
        bool closing;
        bool headerRow;    // a row whose cells are header cells, or such a cell
        char const* close; // what closes the node's element, if anything
        bool closesLink = false;
    };

    void pushChildren(dv::Node::Impl const& node, bool headerRow) {
        dv::NodeKind const kind = node.getKind();
        if (isLeafKind(kind)) {
            return;
        }
        auto const& children = node.getChildren();
        bool firstRowIsHeader = false;
        if (kind == dv::NodeKind::TableNode) {
            auto const& meta = static_cast<dv::TableNode::Impl const&>(node).getTableNodeMetaData();
            firstRowIsHeader = meta && meta->getHasHeader().value_or(false);
        }
        for (std::size_t i = children.size(); i > 0; --i) {
            dv::Node const* child = &children[i - 1];
            bool header = false;
            if (kind == dv::NodeKind::TableNode) {
                header = firstRowIsHeader && i == 1;
            } else if (kind == dv::NodeKind::TableRowNode) {
                header = headerRow;
            }
            stack_.push_back(Step{child, false, header, nullptr, false});
        }
    }

    // Reports, at the node being written, what it writes otherwise than the model holds it.
    void warn(std::string message) const {
        if (onWarning_ && current_ != nullptr) {
            onWarning_(WriterWarning{*current_, std::move(message)});
        }
    }

    void escaped(std::string_view value) {
        if (text::appendHtmlEscaped(out_, value) != 0 && onWarning_) {
            std::string const which = text::replacedControlCharacters(value);
            bool const several = which.find(',') != std::string::npos;
            warn((several ? "control characters " : "control character ") + which + " written as U+FFFD");
        }
    }

    // Model text straight from UTF-16; made UTF-8 apart only for the rare message.
    void escaped(std::u16string_view value) {
        if (text::appendHtmlEscaped(out_, value) != 0 && onWarning_) {
            std::string const which = text::replacedControlCharacters(text::toUtf8(value));
            bool const several = which.find(',') != std::string::npos;
            warn((several ? "control characters " : "control character ") + which + " written as U+FFFD");
        }
    }

    void text(std::optional<std::u16string> const& value) {
        if (value) {
            escaped(std::u16string_view(*value));
        }
    }

    void attributeStart(char const* name) {
        out_.push_back(' ');
        out_ += name;
        out_ += "=\"";
    }

    void attribute(char const* name, std::string_view value) {
        attributeStart(name);
        escaped(value);
        out_.push_back('"');
    }

    void attribute(char const* name, std::optional<std::u16string> const& value) {
        if (value) {
            attributeStart(name);
            escaped(std::u16string_view(*value));
            out_.push_back('"');
        }
    }

    void idAttribute(dv::Node::Impl const& node) {
        auto const& anchor = node.getAnchorId();
        if (!anchor || anchor->empty()) {
            return;
        }
        if (!ids_) {
            // Elements are written in the order the ids are gathered in: while no id has come
            // twice, each is the first of its id and keeps it.
            utf8_.clear();
            text::appendUtf8(utf8_, *anchor);
            if (seen_.insert(utf8_, &node).second) {
                attribute("id", utf8_);
                return;
            }
            pageIds();
        }
        if (!ids_->renamed.empty()) {
            if (auto const found = ids_->renamed.find(&node); found != ids_->renamed.end()) {
                attribute("id", found->second);
                warn("duplicate id " + quoted(text::toUtf8(*anchor)) +
                     ": the first element with it keeps it and every link to it goes there; this one is written "
                     "with the id " +
                     quoted(found->second));
                return;
            }
        }
        attribute("id", anchor);
    }

    void alignAttribute(std::optional<dv::Alignment> const& alignment) {
        if (char const* align = alignmentWord(alignment)) {
            // The words need no escaping.
            out_ += " style=\"text-align:";
            out_ += align;
            out_.push_back('"');
        }
    }

    // Writes the node's opening (for leaves, all of it) and gives the text that closes it.
    char const* open(dv::Node::Impl const& node, bool headerRow) {
        switch (node.getKind()) {
        case dv::NodeKind::RichTextParagraphNode: {
            out_ += "<p";
            idAttribute(node);
            alignAttribute(static_cast<dv::RichTextParagraphNode::Impl const&>(node).getAlignment());
            out_ += ">";
            return "</p>\n";
        }
        case dv::NodeKind::HeadingNode: {
            auto const& heading = static_cast<dv::HeadingNode::Impl const&>(node);
            static constexpr char const* opens[] = {"<h1", "<h2", "<h3", "<h4", "<h5", "<h6"};
            static constexpr char const* closes[] = {"</h1>\n", "</h2>\n", "</h3>\n", "</h4>\n", "</h5>\n", "</h6>\n"};
            int const level = std::clamp(static_cast<int>(heading.getLevel().value_or(1)), 1, 6);
            out_ += opens[level - 1];
            idAttribute(node);
            alignAttribute(heading.getAlignment());
            out_ += ">";
            return closes[level - 1];
        }
        case dv::NodeKind::ListContainer: {
            bool const ordered = static_cast<dv::ListContainer::Impl const&>(node).getIsOrdered().value_or(false);
            char const* tag = ordered ? "ol" : "ul";
            out_ += "<";
            out_ += tag;
            idAttribute(node);
            out_ += ">\n";
            return ordered ? "</ol>\n" : "</ul>\n";
        }
        case dv::NodeKind::ListItem:
            out_ += "<li";
            idAttribute(node);
            alignAttribute(static_cast<dv::ListItem::Impl const&>(node).getAlignment());
            out_ += ">";
            return "</li>\n";
        case dv::NodeKind::TableOfContentsContainer:
            out_ += "<nav class=\"toc\"";
            idAttribute(node);
            out_ += "><ul>\n";
            return "</ul></nav>\n";
        case dv::NodeKind::TableOfContentsHeadingNode:
            out_ += "<li class=\"toc-entry\"";
            idAttribute(node);
            alignAttribute(static_cast<dv::TableOfContentsHeadingNode::Impl const&>(node).getAlignment());
            out_ += ">";
            return "</li>\n";
        case dv::NodeKind::CodeExampleBlock:
            out_ += "<pre class=\"code\"";
            idAttribute(node);
            attribute("data-type", static_cast<dv::CodeExampleBlock::Impl const&>(node).getCodeExampleType());
            out_ += "><code>";
            return "</code></pre>\n";
        case dv::NodeKind::CodeExampleLine: out_ += "<span class=\"line\">"; return "</span>\n";
        case dv::NodeKind::CodeTextNode: {
            auto const& code = static_cast<dv::CodeTextNode::Impl const&>(node);
            if (auto const& kind = code.getTokenKind()) {
                out_ += "<span class=\"tok tok-";
                classToken(*kind);
                out_ += "\">";
                text(code.getText());
                out_ += "</span>";
            } else {
                text(code.getText());
            }
            return nullptr;
        }
        case dv::NodeKind::TableNode: return openTable(node);
        case dv::NodeKind::TableRowNode: out_ += "<tr>\n"; return "</tr>\n";
        case dv::NodeKind::TableCellNode:
            if (!headerRow) {
                out_ += "<td>";
                return "</td>\n";
            }
            // A browser centres header cells; they align like their column instead.
            out_ += "<th style=\"text-align:";
            out_ += headerAlignment(node);
            out_ += "\">";
            return "</th>\n";
        case dv::NodeKind::RichTextNode: writeRun(static_cast<dv::RichTextNode::Impl const&>(node)); return nullptr;
        case dv::NodeKind::HyperlinkNode: return openLink(static_cast<dv::HyperlinkNode::Impl const&>(node));
        case dv::NodeKind::ImageNode: writeImage(static_cast<dv::ImageNode::Impl const&>(node)); return nullptr;
        case dv::NodeKind::EquationNode:
            writeEquation(static_cast<dv::EquationNode::Impl const&>(node));
            return nullptr;
        }
        return nullptr;
    }

    // A token kind as a class name: letters, digits, '-' and '_' kept, any other byte of its
    // UTF-8 as '_'.
    void classToken(std::u16string const& kind) {
        utf8_.clear();
        text::appendUtf8(utf8_, kind);
        for (char const c : utf8_) {
            bool const keep =
                (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '_';
            out_.push_back(keep ? c : '_');
        }
    }

    // The alignment a column's body cells share, for the header cell above them; left when
    // they differ or state none.
    void noteHeaderAlignments(dv::Node::Impl const& table) {
        auto const& rows = table.getChildren();
        if (rows.size() == 0 || rows[0].getImpl() == nullptr) {
            return;
        }
        auto const& header = rows[0]->getChildren();
        for (std::size_t column = 0; column < header.size(); ++column) {
            std::optional<dv::Alignment> shared;
            bool agree = true;
            for (std::size_t r = 1; r < rows.size() && agree; ++r) {
                dv::Node::Impl const* row = rows[r].getImpl();
                if (row == nullptr || column >= row->getChildren().size() ||
                    row->getChildren()[column].getImpl() == nullptr) {
                    continue;
                }
                auto const& blocks = row->getChildren()[column]->getChildren();
                if (blocks.size() == 0 || blocks[0].getImpl() == nullptr) {
                    continue;
                }
                auto const alignment = blockAlignment(*blocks[0].getImpl()).value_or(dv::Alignment::Left);
                agree = !shared || *shared == alignment;
                shared = alignment;
            }
            char const* align = agree && shared ? alignmentWord(shared) : nullptr;
            headerAlignments_[header[column].getImpl()] = align != nullptr ? align : "left";
        }
    }

    // A header cell is written once: its entry goes then, and the map holds the open tables'
    // header rows only, not every table's of the page.
    char const* headerAlignment(dv::Node::Impl const& cell) {
        auto const found = headerAlignments_.find(&cell);
        if (found == headerAlignments_.end()) {
            return "left";
        }
        char const* const align = found->second;
        headerAlignments_.erase(found);
        return align;
    }

    char const* openTable(dv::Node::Impl const& node) {
        auto const& tableMeta = static_cast<dv::TableNode::Impl const&>(node).getTableNodeMetaData();
        if (tableMeta && tableMeta->getHasHeader().value_or(false)) {
            noteHeaderAlignments(node);
        }
        out_ += "<table";
        idAttribute(node);
        out_ += ">\n";
        auto const& meta = static_cast<dv::TableNode::Impl const&>(node).getTableNodeMetaData();
        if (meta && meta->getColumnWidths() && !meta->getColumnWidths()->empty()) {
            out_ += "<colgroup>";
            for (long long const width : *meta->getColumnWidths()) {
                // A width that CSS cannot take (zero or negative) leaves the column to the browser.
                if (width > 0) {
                    out_ += "<col style=\"width:";
                    appendNumber(width);
                    out_ += "px\">";
                } else {
                    out_ += "<col>";
                }
            }
            out_ += "</colgroup>\n";
        }
        return "</table>\n";
    }

    void writeRun(dv::RichTextNode::Impl const& run) {
        auto const& formatting = run.getFormatting();
        bool const bold = formatting && formatting->getBold().value_or(false);
        bool const italic = formatting && formatting->getItalic().value_or(false);
        bool const underline = formatting && formatting->getUnderline().value_or(false);
        bool const monospace = formatting && formatting->getMonospace().value_or(false);
        out_ += bold ? "<strong>" : "";
        out_ += italic ? "<em>" : "";
        out_ += underline ? "<u>" : "";
        out_ += monospace ? "<code>" : "";
        text(run.getText());
        out_ += monospace ? "</code>" : "";
        out_ += underline ? "</u>" : "";
        out_ += italic ? "</em>" : "";
        out_ += bold ? "</strong>" : "";
    }

    template <class Number>
    void appendNumber(Number number) {
        char digits[24];
        out_.append(digits, std::to_chars(digits, digits + sizeof digits, number).ptr);
    }

    char const* openLink(dv::HyperlinkNode::Impl const& link) {
        std::string const address = text::linkAddress(link.getTarget(), link.getAnchor());
        bool const nested = linkDepth_ > 0;
        ++linkDepth_;
        // HTML has no link inside a link: a browser would close the outer one early.
        out_ += nested ? "<span" : "<a";
        idAttribute(link);
        if (!address.empty() && address[0] == '#') {
            if (auto const id = pageAnchor(address.substr(1))) {
                attribute(nested ? "data-href" : "href", "#" + fragmentOf(*id));
            } else {
                attribute("data-missing-anchor", address.substr(1));
                warn("internal link " + shortQuoted(address) + " has no target: no element of the page has the id " +
                     shortQuoted(address.substr(1)) + "; written without an address");
            }
        } else if (!address.empty()) {
            if (auto safe = UrlFilter::forLink(address)) {
                attribute(nested ? "data-href" : "href", *safe);
            } else {
                attribute("class", std::string("unsafe-link"));
                warn("link address " + shortQuoted(address) + " left out: " + UrlFilter::linkRefusal(address) +
                     "; written without an address");
            }
        }
        attribute("data-target-type", link.getTargetType());
        out_ += ">";
        return nested ? "</span>" : "</a>";
    }

    // The page's id that an internal link names ("#" alone is the top of the page).
    std::optional<std::string> pageAnchor(std::string const& name) {
        if (name.empty()) {
            return name;
        }
        if (!ids_) {
            // An id written already is the one the link names, as it stands: the look-up takes
            // the name as written first. Anything else needs every id of the page.
            if (seen_.contains(name)) {
                return name;
            }
            pageIds();
        }
        return text::linkedAnchor(name, [&](std::string const& id) { return ids_->anchors.contains(id); });
    }

    // Every id of the page, gathered at the first link or repeated id that needs ids not yet
    // written: most pages link backwards or not at all, and the gathering walks every node.
    void pageIds() {
        ids_ = pageIdsOf(topLevel_);
        seen_ = {};
    }

    // An image with a source to load; else its alternative text in a span, since an img needs
    // a src.
    void writeImage(dv::ImageNode::Impl const& image) {
        auto const& data = image.getData();
        std::optional<std::string> source;
        if (data && data->getImgSrc()) {
            std::string const written = text::toUtf8(*data->getImgSrc());
            source = UrlFilter::forImage(written);
            if (!source) {
                warn("image source " + shortQuoted(written) + " left out: " + UrlFilter::imageRefusal(written) +
                     "; written as its alternative text");
                writeImageText(image, "unsafe-image");
                return;
            }
        }
        if (!source || source->empty()) {
            writeImageText(image, "image-text");
            return;
        }
        out_ += "<img";
        attribute("src", *source);
        std::optional<std::string> alt;
        if (data) {
            if (data->getAltText()) {
                alt = text::toUtf8(*data->getAltText());
            }
            if (data->getWidth()) {
                attribute("width", std::to_string(*data->getWidth()));
            }
            if (data->getHeight()) {
                attribute("height", std::to_string(*data->getHeight()));
            }
            if (data->getVerticalAlignment()) {
                std::string const valign = text::toUtf8(*data->getVerticalAlignment());
                if (isCssVerticalAlign(valign)) {
                    attribute("style", "vertical-align:" + valign);
                } else {
                    attribute("data-vertical-align", valign);
                }
            }
        }
        attribute("alt", alt.value_or(std::string()));
        attribute("data-image-id", image.getId());
        out_ += ">";
    }

    void writeImageText(dv::ImageNode::Impl const& image, char const* className) {
        out_ += "<span";
        attribute("class", std::string(className));
        attribute("data-image-id", image.getId());
        out_ += ">";
        if (auto const& data = image.getData()) {
            text(data->getAltText());
        }
        out_ += "</span>";
    }

    void writeEquation(dv::EquationNode::Impl const& equation) {
        auto const& data = equation.getEquationData();
        bool const display = data && data->getDisplayStyle().value_or(false);
        auto const& tex = equation.getTexString();
        HtmlMath::Mode const mode = math_.mode();
        if (mode != HtmlMath::Mode::Plain && tex && !PageMath::isTex(data ? data->getEncoding() : std::nullopt)) {
            warn("equation encoding " + quoted(text::toUtf8(*data->getEncoding())) +
                 " is not TeX: written as its source");
        } else if (mode == HtmlMath::Mode::MathML && tex) {
            if (PageMath::Typeset const* typeset = math_.find(*tex, display)) {
                if (typeset->typeset()) {
                    writeMathml(equation, display, typeset->content);
                    return;
                }
                warn("equation " + shortQuoted(text::toUtf8(*tex)) + " not typeset (" + typeset->problem +
                     "): written as its TeX");
            }
        } else if ((mode == HtmlMath::Mode::KaTeX || mode == HtmlMath::Mode::MathJax) && tex) {
            writeScriptMath(equation, display);
            return;
        }
        out_ += display ? "<span class=\"equation display\"" : "<span class=\"equation\"";
        equationAttributes(equation, "title");
        out_ += "><code class=\"tex\">";
        text(tex);
        out_ += "</code></span>";
    }

    void equationAttributes(dv::EquationNode::Impl const& equation, char const* altAttribute) {
        idAttribute(equation);
        if (auto const& data = equation.getEquationData()) {
            attribute(altAttribute, data->getAltText());
            attribute("data-encoding", data->getEncoding());
        }
    }

    // The converter's MathML inside a math element of the page's own making, which carries what
    // the model says of the equation; the TeX is in the MathML's annotation.
    void writeMathml(dv::EquationNode::Impl const& equation, bool display, std::string const& content) {
        out_ += display ? "<math class=\"equation\" display=\"block\"" : "<math class=\"equation\" display=\"inline\"";
        equationAttributes(equation, "alttext");
        out_ += ">";
        out_ += content;
        out_ += "</math>";
    }

    // The TeX between the delimiters KaTeX and MathJax look for, which the page's script finds.
    void writeScriptMath(dv::EquationNode::Impl const& equation, bool display) {
        out_ += display ? "<span class=\"equation math display\"" : "<span class=\"equation math inline\"";
        equationAttributes(equation, "title");
        out_ += display ? ">\\[" : ">\\(";
        text(equation.getTexString());
        out_ += display ? "\\]</span>" : "\\)</span>";
    }

    PageBuffer& page_;
    std::string& out_;
    std::string utf8_; // a text made UTF-8 where it is needed so, reused
    std::vector<dv::Node> const& topLevel_;
    PageMath const& math_;
    TextTable<dv::Node::Impl const*> seen_; // the ids written so far, until ids_ is gathered
    std::optional<PageIds> ids_;
    WriterWarningHandler const& onWarning_;
    dv::Node const* current_ = nullptr; // the node being written
    std::unordered_map<dv::Node::Impl const*, char const*> headerAlignments_;
    std::vector<Step> stack_;
    int linkDepth_ = 0;
};

} // namespace

void HtmlWriter::write(std::ostream& out, std::vector<dv::Node> const& topLevel, Options const& options) {
    PageBuffer buffer(out);
    std::string& page = buffer.text();
    if (!options.fragment) {
        page += "<!DOCTYPE html>\n<html lang=\"";
        text::appendHtmlEscaped(page, options.language);
        page += "\">\n<head>\n<meta charset=\"utf-8\">\n"
                "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n<title>";
        text::appendHtmlEscaped(page, options.title);
        page += "</title>\n";
        if (options.stylesheet) {
            page += "<link rel=\"stylesheet\" href=\"";
            text::appendHtmlEscaped(page, *options.stylesheet);
            page += "\">\n";
        } else {
            page += "<style>\n";
            page += pageStyle;
            page += "</style>\n";
        }
        page += PageMath::head(options.math);
        page += "</head>\n<body>\n";
    }
    PageMath const math(options.math, topLevel);
    HtmlRenderer(buffer, topLevel, math, options.onWarning).render(topLevel);
    if (!options.fragment) {
        page += "</body>\n</html>\n";
    }
    buffer.flush();
}

bool HtmlWriter::allowedLink(std::string const& url) { return UrlFilter::forLink(url).has_value(); }

std::optional<std::string> HtmlWriter::firstHeadingText(std::vector<dv::Node> const& topLevel) {
    for (auto const& top : topLevel) {
        std::optional<std::string> found;
        forEachNode(top.getImpl(), [&](dv::Node::Impl const& node) {
            if (found || node.getKind() != dv::NodeKind::HeadingNode) {
                return;
            }
            std::string textOfHeading;
            forEachNode(&node, [&](dv::Node::Impl const& inner) {
                if (inner.getKind() == dv::NodeKind::RichTextNode) {
                    if (auto const& run = static_cast<dv::RichTextNode::Impl const&>(inner).getText()) {
                        textOfHeading += text::toUtf8(*run);
                    }
                }
            });
            found = std::move(textOfHeading);
        });
        if (found) {
            return found;
        }
    }
    return std::nullopt;
}

void HtmlWriter::write(std::ostream& out, std::vector<dv::Node> const& topLevel) { write(out, topLevel, Options()); }

std::string HtmlWriter::toString(std::vector<dv::Node> const& topLevel, Options const& options) {
    std::ostringstream out;
    write(out, topLevel, options);
    return out.str();
}

std::string HtmlWriter::toString(std::vector<dv::Node> const& topLevel) { return toString(topLevel, Options()); }

} // namespace richmarkup::formats
