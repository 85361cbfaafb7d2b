#include <richmarkup/host/HtmlWriter.hpp>

#include "TextEscape.hpp"
#include "UrlFilter.hpp"

#include <document/vxzero/Document.hpp>

#include <algorithm>
#include <ostream>
#include <sstream>

namespace richmarkup::host {

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
    static constexpr char const* known[] = {"baseline", "top",    "middle",   "bottom",     "text-top",
                                            "text-bottom", "sub", "super"};
    return std::any_of(std::begin(known), std::end(known), [&](char const* k) { return value == k; });
}

// A token kind as a class name: letters, digits, '-' and '_' kept, anything else as '_'.
std::string classToken(std::string const& value) {
    std::string out;
    for (char const c : value) {
        bool const keep = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                          c == '-' || c == '_';
        out.push_back(keep ? c : '_');
    }
    return out;
}

char const* textAlign(std::optional<dv::Alignment> const& alignment) {
    if (!alignment) {
        return nullptr;
    }
    switch (*alignment) {
    case dv::Alignment::Center: return "center";
    case dv::Alignment::Right: return "right";
    case dv::Alignment::Justify: return "justify";
    case dv::Alignment::Left: break;
    }
    return nullptr;
}

// Renders the nodes depth first with a stack of its own; each node writes its opening on the
// way down and its closing on the way up.
class HtmlRenderer {
public:
    explicit HtmlRenderer(std::string& out) : out_(out) {}

    void render(std::vector<dv::Node> const& topLevel) {
        for (auto it = topLevel.rbegin(); it != topLevel.rend(); ++it) {
            stack_.push_back(Step{it->getImpl(), false, false, {}});
        }
        while (!stack_.empty()) {
            Step step = std::move(stack_.back());
            stack_.pop_back();
            if (step.closing) {
                out_ += step.close;
                continue;
            }
            if (step.node == nullptr) {
                continue;
            }
            std::string close = open(*step.node, step.headerRow);
            stack_.push_back(Step{nullptr, true, false, std::move(close)});
            pushChildren(*step.node, step.headerRow);
        }
    }

private:
    struct Step {
        dv::Node::Impl const* node;
        bool closing;
        bool headerRow;  // a row whose cells are header cells, or such a cell
        std::string close;
    };

    void pushChildren(dv::Node::Impl const& node, bool headerRow) {
        auto const& children = node.getChildren();
        bool firstRowIsHeader = false;
        if (node.getKind() == dv::NodeKind::TableNode) {
            auto const& meta = static_cast<dv::TableNode::Impl const&>(node).getTableNodeMetaData();
            firstRowIsHeader = meta && meta->getHasHeader().value_or(false);
        }
        for (std::size_t i = children.size(); i > 0; --i) {
            dv::Node::Impl const* child = children[i - 1].getImpl();
            bool header = false;
            if (node.getKind() == dv::NodeKind::TableNode) {
                header = firstRowIsHeader && i == 1;
            } else if (node.getKind() == dv::NodeKind::TableRowNode) {
                header = headerRow;
            }
            stack_.push_back(Step{child, false, header, {}});
        }
    }

    void text(std::optional<std::u16string> const& value) {
        if (value) {
            text::appendHtmlEscaped(out_, text::toUtf8(*value));
        }
    }

    void attribute(char const* name, std::string const& value) {
        out_.push_back(' ');
        out_ += name;
        out_ += "=\"";
        text::appendHtmlEscaped(out_, value);
        out_.push_back('"');
    }

    void attribute(char const* name, std::optional<std::u16string> const& value) {
        if (value) {
            attribute(name, text::toUtf8(*value));
        }
    }

    void idAttribute(dv::Node::Impl const& node) {
        if (auto const& anchor = node.getAnchorId(); anchor && !anchor->empty()) {
            attribute("id", text::toUtf8(*anchor));
        }
    }

    void alignAttribute(std::optional<dv::Alignment> const& alignment) {
        if (char const* align = textAlign(alignment)) {
            attribute("style", std::string("text-align:") + align);
        }
    }

    // Writes the node's opening (for leaves, all of it) and gives the text that closes it.
    std::string open(dv::Node::Impl const& node, bool headerRow) {
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
            int const level = std::clamp(static_cast<int>(heading.getLevel().value_or(1)), 1, 6);
            std::string const tag = "h" + std::to_string(level);
            out_ += "<" + tag;
            idAttribute(node);
            alignAttribute(heading.getAlignment());
            out_ += ">";
            return "</" + tag + ">\n";
        }
        case dv::NodeKind::ListContainer: {
            bool const ordered = static_cast<dv::ListContainer::Impl const&>(node).getIsOrdered().value_or(false);
            char const* tag = ordered ? "ol" : "ul";
            out_ += "<";
            out_ += tag;
            idAttribute(node);
            out_ += ">\n";
            return std::string("</") + tag + ">\n";
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
        case dv::NodeKind::CodeExampleLine:
            out_ += "<span class=\"line\">";
            return "</span>\n";
        case dv::NodeKind::CodeTextNode: {
            auto const& code = static_cast<dv::CodeTextNode::Impl const&>(node);
            if (auto const& kind = code.getTokenKind()) {
                out_ += "<span class=\"tok tok-";
                out_ += classToken(text::toUtf8(*kind));
                out_ += "\">";
                text(code.getText());
                out_ += "</span>";
            } else {
                text(code.getText());
            }
            return {};
        }
        case dv::NodeKind::TableNode:
            return openTable(node);
        case dv::NodeKind::TableRowNode:
            out_ += "<tr>\n";
            return "</tr>\n";
        case dv::NodeKind::TableCellNode:
            out_ += headerRow ? "<th>" : "<td>";
            return headerRow ? "</th>\n" : "</td>\n";
        case dv::NodeKind::RichTextNode:
            writeRun(static_cast<dv::RichTextNode::Impl const&>(node));
            return {};
        case dv::NodeKind::HyperlinkNode:
            return openLink(static_cast<dv::HyperlinkNode::Impl const&>(node));
        case dv::NodeKind::ImageNode:
            writeImage(static_cast<dv::ImageNode::Impl const&>(node));
            return {};
        case dv::NodeKind::EquationNode:
            writeEquation(static_cast<dv::EquationNode::Impl const&>(node));
            return {};
        }
        return {};
    }

    std::string openTable(dv::Node::Impl const& node) {
        out_ += "<table";
        idAttribute(node);
        out_ += ">\n";
        auto const& meta = static_cast<dv::TableNode::Impl const&>(node).getTableNodeMetaData();
        if (meta && meta->getColumnWidths() && !meta->getColumnWidths()->empty()) {
            out_ += "<colgroup>";
            for (long long const width : *meta->getColumnWidths()) {
                // A width that CSS cannot take (zero or negative) leaves the column to the browser.
                out_ += width > 0 ? "<col style=\"width:" + std::to_string(width) + "px\">" : std::string("<col>");
            }
            out_ += "</colgroup>\n";
        }
        return "</table>\n";
    }

    void writeRun(dv::RichTextNode::Impl const& run) {
        std::string close;
        if (auto const& formatting = run.getFormatting()) {
            auto wrap = [&](std::optional<bool> const& on, char const* tag) {
                if (on.value_or(false)) {
                    out_ += std::string("<") + tag + ">";
                    close.insert(0, std::string("</") + tag + ">");
                }
            };
            wrap(formatting->getBold(), "strong");
            wrap(formatting->getItalic(), "em");
            wrap(formatting->getUnderline(), "u");
            wrap(formatting->getMonospace(), "code");
        }
        text(run.getText());
        out_ += close;
    }

    std::string openLink(dv::HyperlinkNode::Impl const& link) {
        std::string address = link.getTarget() ? text::toUtf8(*link.getTarget()) : std::string();
        if (link.getAnchor() && !link.getAnchor()->empty() && address.find('#') == std::string::npos) {
            address += "#" + text::toUtf8(*link.getAnchor());
        }
        out_ += "<a";
        idAttribute(link);
        if (!address.empty()) {
            if (auto safe = UrlFilter::forLink(address)) {
                attribute("href", *safe);
            } else {
                attribute("class", std::string("unsafe-link"));
            }
        }
        attribute("data-target-type", link.getTargetType());
        out_ += ">";
        return "</a>";
    }

    void writeImage(dv::ImageNode::Impl const& image) {
        out_ += "<img";
        std::optional<std::string> alt;
        if (auto const& data = image.getData()) {
            if (data->getImgSrc()) {
                if (auto safe = UrlFilter::forImage(text::toUtf8(*data->getImgSrc()))) {
                    attribute("src", *safe);
                }
            }
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

    void writeEquation(dv::EquationNode::Impl const& equation) {
        auto const& data = equation.getEquationData();
        bool const display = data && data->getDisplayStyle().value_or(false);
        out_ += display ? "<span class=\"equation display\"" : "<span class=\"equation\"";
        idAttribute(equation);
        if (data) {
            attribute("title", data->getAltText());
            attribute("data-encoding", data->getEncoding());
        }
        out_ += "><code class=\"tex\">";
        text(equation.getTexString());
        out_ += "</code></span>";
    }

    std::string& out_;
    std::vector<Step> stack_;
};

} // namespace

void HtmlWriter::write(std::ostream& out, std::vector<dv::Node> const& topLevel, Options const& options) {
    std::string page;
    page += "<!DOCTYPE html>\n<html>\n<head>\n<meta charset=\"utf-8\">\n<title>";
    text::appendHtmlEscaped(page, options.title);
    page += "</title>\n<style>\n";
    page += pageStyle;
    page += "</style>\n</head>\n<body>\n";
    HtmlRenderer(page).render(topLevel);
    page += "</body>\n</html>\n";
    out << page;
}

void HtmlWriter::write(std::ostream& out, std::vector<dv::Node> const& topLevel) {
    write(out, topLevel, Options());
}

std::string HtmlWriter::toString(std::vector<dv::Node> const& topLevel, Options const& options) {
    std::ostringstream out;
    write(out, topLevel, options);
    return out.str();
}

std::string HtmlWriter::toString(std::vector<dv::Node> const& topLevel) { return toString(topLevel, Options()); }

} // namespace richmarkup::host
