#include "MarkdownAnchors.hpp"

#include "NodeWalk.hpp"

#include <richmarkup/formats/TextEscape.hpp>

#include <cstdlib>

namespace richmarkup::formats {

namespace dv = document::vxzero;

namespace {

// Bytes that cannot occur in the writer's output otherwise: it writes control characters as
// U+FFFD or percent-encoded.
constexpr char opening = '\x01';
constexpr char closing = '\x02';

} // namespace

void MarkdownAnchors::collect() {
    collected_ = true;
    std::string id;
    // Any node may be the one a link names, whether Markdown gives it an id or not.
    auto const everyKind = [](dv::NodeKind) { return true; };
    auto const add = [&](dv::Node::Impl const& node, std::u16string const& anchor) {
        id.clear();
        text::appendUtf8(id, anchor);
        anchors_.insert(id, &node);
    };
    forEachAnchorId(
        topLevel_.size(), [&](std::size_t i) { return topLevel_[i].getImpl(); }, everyKind, add);
}

dv::Node::Impl const* MarkdownAnchors::find(std::string_view name) {
    if (!collected_) {
        collect();
    }
    auto const id =
        text::linkedAnchor(name, [&](std::string const& candidate) { return anchors_.contains(candidate); });
    return id ? *anchors_.find(*id) : nullptr;
}

std::string MarkdownAnchors::placeholder(dv::Node::Impl const& link, dv::Node::Impl const& heading,
                                         std::string_view address) {
    links_.push_back(Link{&link, &heading, std::string(address)});
    return opening + std::to_string(links_.size() - 1) + closing;
}

void MarkdownAnchors::headingWritten(dv::Node::Impl const& heading, std::string const& id) {
    dv::Node::Impl const* const node = &heading;
    headingIds_.insert(pointerKey(node), id);
}

MarkdownAnchors::Link const& MarkdownAnchors::linkAt(std::string_view text, std::size_t start, std::size_t& end) const {
    end = text.find(closing, start);
    return links_[std::strtoul(text.data() + start + 1, nullptr, 10)];
}

std::string const* MarkdownAnchors::idOf(Link const& link) const {
    std::string const* id = headingIds_.find(pointerKey(link.heading));
    return id != nullptr && !id->empty() ? id : nullptr;
}

void MarkdownAnchors::pass(std::string_view text, std::string& out) {
    if (!kept_.empty() || links_.empty()) {
        (kept_.empty() ? out : kept_).append(text);
        return;
    }
    // A link whose heading has no id (yet) is replaced at the end, with what is said of it:
    // everything from it on waits with it, so that the page and what is said stay in order.
    std::size_t begin = 0;
    for (std::size_t start; (start = text.find(opening, begin)) != std::string_view::npos;) {
        std::size_t end = 0;
        std::string const* id = idOf(linkAt(text, start, end));
        out.append(text.data() + begin, start - begin);
        if (id == nullptr) {
            kept_.assign(text.substr(start));
            return;
        }
        out.push_back('#');
        out += *id;
        begin = end + 1;
    }
    out.append(text.data() + begin, text.size() - begin);
}

void MarkdownAnchors::finish(std::string& out, Unreached const& unreached) {
    std::string_view const text = kept_;
    std::size_t begin = 0;
    for (std::size_t start; (start = text.find(opening, begin)) != std::string_view::npos;) {
        std::size_t end = 0;
        Link const& link = linkAt(text, start, end);
        out.append(text.data() + begin, start - begin);
        if (std::string const* id = idOf(link)) {
            out.push_back('#');
            out += *id;
        } else {
            out += unreached(*link.link, link.address);
        }
        begin = end + 1;
    }
    out.append(text.data() + begin, text.size() - begin);
    kept_.clear();
}

} // namespace richmarkup::formats
