#include "NodeWalk.hpp"
#include "PandocAstWriter.hpp"
#include "PandocJson.hpp"
#include <richmarkup/formats/TextEscape.hpp>

#include <algorithm>

// Inline content: runs, links, images and equations as one stream of inline elements.
namespace richmarkup::formats::pandoc {

void AstWriter::inlines(Nodes nodes, std::size_t depth) {
    beginInlines();
    for (dv::Node const& node : nodes) {
        if (node) {
            inlineNode(at(node), depth + 1);
        }
    }
    endInlines();
}

void AstWriter::beginInlines() {
    wraps_.clear();
    floor_ = 0;
    leaf_ = Leaf::None;
    afterSpace_ = false;
    linkDepth_ = 0;
    quietBlocks_ = 0;
    stretchStart_ = out_.size();
}

void AstWriter::inlineNode(dv::Node::Impl const& node, std::size_t depth) {
    if (depth >= maxNesting) {
        warn(node, "nested more than " + std::to_string(maxNesting) + " deep: written as its text");
        flatText(node);
        return;
    }
    switch (node.getKind()) {
    case dv::NodeKind::RichTextNode: run(static_cast<dv::RichTextNode::Impl const&>(node)); return;
    case dv::NodeKind::CodeTextNode: {
        warn(node, "a CodeTextNode outside a code example written as inline code");
        spanFor(node);
        auto const& value = static_cast<dv::CodeTextNode::Impl const&>(node).getText();
        text(node, value ? std::u16string_view(*value) : std::u16string_view(), true);
        return;
    }
    case dv::NodeKind::HyperlinkNode: link(static_cast<dv::HyperlinkNode::Impl const&>(node), depth); return;
    case dv::NodeKind::ImageNode: image(static_cast<dv::ImageNode::Impl const&>(node)); return;
    case dv::NodeKind::EquationNode: equation(static_cast<dv::EquationNode::Impl const&>(node)); return;
    default: break;
    }
    // A block inside inline content (a hand-made model) gives its content, apart.
    if (quietBlocks_ == 0) {
        warn(node, kindPhrase(node.getKind()) + " inside inline content written as its content");
    }
    ++quietBlocks_;
    separatingSpace();
    for (dv::Node const& child : node.getChildren()) {
        if (child) {
            inlineNode(at(child), depth + 1);
        }
    }
    separatingSpace();
    --quietBlocks_;
}

void AstWriter::separatingSpace() {
    if (out_.size() != stretchStart_ && !afterSpace_) {
        setStyle(nullptr, 0);
        element(R"({"t":"Space"})");
        afterSpace_ = true;
    }
}

// Every text in the subtree, without formatting, for content nested too deep.
void AstWriter::flatText(dv::Node::Impl const& root) {
    setStyle(nullptr, 0);
    forEachNode(&root, [&](dv::Node::Impl const& node) {
        if (!isInlineKind(node.getKind())) {
            separatingSpace();
        } else if (std::optional<std::u16string> const* value = textOf(node); value != nullptr && *value) {
            text(node, **value, false);
        }
    });
}

void AstWriter::run(dv::RichTextNode::Impl const& run) {
    auto const& value = run.getText();
    bool const anchored = hasAnchorId(run);
    if (!hasText(value) && !anchored) {
        return;
    }
    Wrap want[4];
    std::size_t count = 0;
    if (anchored) {
        want[count++] = spanWrap(run);
    }
    bool monospace = false;
    if (auto const& formatting = run.getFormatting()) {
        if (formatting->getBold().value_or(false)) {
            want[count++] = Wrap{strongOpen, nullptr, "]}"};
        }
        if (formatting->getItalic().value_or(false)) {
            want[count++] = Wrap{emphOpen, nullptr, "]}"};
        }
        if (formatting->getUnderline().value_or(false)) {
            want[count++] = Wrap{underlineOpen, nullptr, "]}"};
        }
        monospace = formatting->getMonospace().value_or(false);
    }
    setStyle(want, count);
    text(run, value ? std::u16string_view(*value) : std::u16string_view(), monospace);
}

// A node whose pandoc form has no Attr of its own carries its anchor id on a Span.
void AstWriter::spanFor(dv::Node::Impl const& node) {
    if (hasAnchorId(node)) {
        Wrap const want = spanWrap(node);
        setStyle(&want, 1);
    } else {
        setStyle(nullptr, 0);
    }
}

// Opens and closes wrappers above the floor (the enclosing link's) so that exactly `want`
// is open, keeping those already open in the same order.
void AstWriter::setStyle(Wrap const* want, std::size_t count) {
    std::size_t common = 0;
    while (common < count && floor_ + common < wraps_.size() && wraps_[floor_ + common].same(want[common])) {
        ++common;
    }
    if (floor_ + common < wraps_.size()) {
        closeTo(floor_ + common);
    }
    for (std::size_t i = common; i < count; ++i) {
        openWrap(want[i]);
    }
}

void AstWriter::openWrap(Wrap wrap) {
    closeLeaf();
    separate(out_);
    out_ += wrap.open;
    if (wrap.open == spanOpen) {
        attr(*wrap.node);
        out_ += ",[";
    }
    wraps_.push_back(std::move(wrap));
    afterSpace_ = false;
}

void AstWriter::closeTo(std::size_t size) {
    closeLeaf();
    while (wraps_.size() > size) {
        out_ += wraps_.back().close;
        wraps_.pop_back();
    }
}

void AstWriter::closeLeaf() {
    if (leaf_ == Leaf::Str) {
        out_ += "\"}";
    } else if (leaf_ == Leaf::Code) {
        out_ += "\"]}";
    }
    leaf_ = Leaf::None;
}

void AstWriter::openLeaf(Leaf leaf) {
    if (leaf_ == leaf) {
        return;
    }
    closeLeaf();
    separate(out_);
    out_ += leaf == Leaf::Str ? R"({"t":"Str","c":")" : R"({"t":"Code","c":[["",[],[]],")";
    leaf_ = leaf;
}

void AstWriter::element(char const* json) {
    closeLeaf();
    separate(out_);
    out_ += json;
    afterSpace_ = false;
}

// Text into Str, Space and LineBreak elements, or Code ones. The first space after a word
// is a Space; further spaces stay in the next Str, since pandoc's writers fold Spaces
// together and the text would lose them. A line end is a LineBreak, as pandoc's Markdown
// reader gives a hard break: the model's text has no soft wrapping, every line end in it
// is meant, and a SoftBreak may become a mere space.
void AstWriter::text(dv::Node::Impl const& node, std::u16string_view value, bool code) {
    std::size_t lone = 0;
    bool carriageReturn = false;
    std::size_t const size = value.size();
    for (std::size_t i = 0; i < size;) {
        char16_t const c = value[i];
        if (c == u'\n' || c == u'\r') {
            carriageReturn = carriageReturn || c == u'\r';
            i += c == u'\r' && i + 1 < size && value[i + 1] == u'\n' ? 2 : 1;
            element(R"({"t":"LineBreak"})");
            continue;
        }
        if (c == u' ' && !code && !afterSpace_) {
            element(R"({"t":"Space"})");
            afterSpace_ = true;
            ++i;
            continue;
        }
        std::size_t end = i;
        if (code) {
            while (end < size && value[end] != u'\n' && value[end] != u'\r') {
                ++end;
            }
        } else {
            while (end < size && value[end] == u' ') {
                ++end;
            }
            while (end < size && value[end] != u' ' && value[end] != u'\n' && value[end] != u'\r') {
                ++end;
            }
        }
        openLeaf(code ? Leaf::Code : Leaf::Str);
        lone += appendEscaped(out_, value.substr(i, end - i));
        afterSpace_ = !code && value[end - 1] == u' ';
        i = end;
    }
    reportLone(node, lone);
    if (carriageReturn) {
        warn(node, "carriage return written as a line break");
    }
}

void AstWriter::link(dv::HyperlinkNode::Impl const& link, std::size_t depth) {
    std::string const address = linkAddress(link);
    setStyle(nullptr, 0);
    closeLeaf();
    separate(out_);
    Wrap wrap{linkOpen, &link, {}};
    bool const asLink = linkDepth_ == 0 && !address.empty();
    if (asLink) {
        out_ += linkOpen;
        attr(link);
        out_ += ",[";
        wrap.close = "],[" + quoted(address) + ",\"\"]]}";
    } else {
        warn(link, address.empty() ? std::string("link without an address written as a Span of its content")
                                   : "link inside a link written as a Span of its content: its address " +
                                         quoted(address) + " left out");
        out_ += spanOpen;
        attr(link);
        out_ += ",[";
        wrap.close = "]]}";
    }
    wraps_.push_back(std::move(wrap));
    afterSpace_ = false;
    std::size_t const savedFloor = floor_;
    floor_ = wraps_.size();
    linkDepth_ += asLink ? 1 : 0;
    for (dv::Node const& child : link.getChildren()) {
        if (child) {
            inlineNode(at(child), depth + 1);
        }
    }
    closeTo(floor_ - 1);
    floor_ = savedFloor;
    linkDepth_ -= asLink ? 1 : 0;
    afterSpace_ = false;
}

// The address of a link: its target, "#anchor" added when both are given, or "#anchor"
// alone. An internal link names the anchor id it reaches, as the headings carry them.
std::string AstWriter::linkAddress(dv::HyperlinkNode::Impl const& link) {
    auto const& target = link.getTarget();
    std::string address;
    if (link.getTargetType() == u"anchor" && hasText(target) && (*target)[0] != u'#' && !hasText(link.getAnchor())) {
        address = "#" + text::toUtf8(*target);
    } else {
        address = text::linkAddress(target, link.getAnchor());
    }
    if (address.size() > 1 && address[0] == '#') {
        std::string const name = address.substr(1);
        std::unordered_set<std::string> const& ids = anchorIds();
        auto const id =
            text::linkedAnchor(name, [&](std::string const& candidate) { return ids.count(candidate) != 0; });
        if (id && *id != name) {
            warn(link, "link to " + quoted(address) + " written as a link to " + quoted("#" + *id) +
                           ", the anchor id it reaches: pandoc's outputs look an id up as it stands");
            address = "#" + *id;
        }
    }
    return address;
}

std::unordered_set<std::string> const& AstWriter::anchorIds() {
    if (!anchorIds_) {
        anchorIds_.emplace();
        for (dv::Node const& top : topLevel_) {
            forEachNode(top.getImpl(), [&](dv::Node::Impl const& node) {
                if (hasAnchorId(node)) {
                    anchorIds_->insert(text::toUtf8(*node.getAnchorId()));
                }
            });
        }
    }
    return *anchorIds_;
}

void AstWriter::image(dv::ImageNode::Impl const& image) {
    setStyle(nullptr, 0);
    closeLeaf();
    separate(out_);
    out_ += R"({"t":"Image","c":[)";
    attr(image);
    auto const& data = image.getData();
    if (data && (data->getWidth() || data->getHeight())) {
        out_.resize(out_.size() - 2); // reopen the key-values
        if (data->getWidth()) {
            out_ += R"(["width",")" + std::to_string(*data->getWidth()) + "\"]";
        }
        if (data->getHeight()) {
            separate(out_);
            out_ += R"(["height",")" + std::to_string(*data->getHeight()) + "\"]";
        }
        out_ += "]]";
    }
    out_ += ",[";
    if (data && data->getAltText()) {
        afterSpace_ = false;
        text(image, *data->getAltText(), false);
        closeLeaf();
    }
    out_ += "],[";
    std::u16string_view const source = data && data->getImgSrc() ? std::u16string_view(*data->getImgSrc()) : u"";
    reportLone(image, pandoc::appendString(out_, source));
    out_ += ",\"\"]]}";
    afterSpace_ = false;
    if (warnings_.enabled() && (image.getId() || (data && data->getVerticalAlignment()))) {
        std::string what;
        if (image.getId()) {
            what = "image id " + quoted(image.getId());
        }
        if (data && data->getVerticalAlignment()) {
            what += (what.empty() ? "" : " and ") + std::string("vertical alignment ") +
                    quoted(data->getVerticalAlignment());
        }
        warn(image, what + " left out: pandoc's images have no such property");
    }
}

void AstWriter::equation(dv::EquationNode::Impl const& equation) {
    spanFor(equation);
    auto const& data = equation.getEquationData();
    bool const display = data && data->getDisplayStyle().value_or(false);
    closeLeaf();
    separate(out_);
    out_ += display ? R"({"t":"Math","c":[{"t":"DisplayMath"},)" : R"({"t":"Math","c":[{"t":"InlineMath"},)";
    auto const& tex = equation.getTexString();
    reportLone(equation, pandoc::appendString(out_, tex ? std::u16string_view(*tex) : std::u16string_view()));
    out_ += "]}";
    afterSpace_ = false;
    if (data && hasText(data->getAltText())) {
        warn(equation, "alternative text " + quoted(data->getAltText()) + " left out: pandoc's Math has none");
    }
    if (data && hasText(data->getEncoding())) {
        std::u16string encoding = *data->getEncoding();
        std::transform(encoding.begin(), encoding.end(), encoding.begin(),
                       [](char16_t c) { return c >= u'A' && c <= u'Z' ? char16_t(c + 32) : c; });
        if (encoding != u"latex" && encoding != u"tex") {
            warn(equation, "encoding " + quoted(data->getEncoding()) +
                               " left out: pandoc's Math holds TeX, and the source is written as such");
        }
    }
}

} // namespace richmarkup::formats::pandoc
