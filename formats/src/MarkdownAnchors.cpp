#include "MarkdownAnchors.hpp"

#include <richmarkup/formats/TextEscape.hpp>

#include <cstdlib>
#include <ostream>

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
    std::vector<dv::Node::Impl const*> stack(topLevel_.rbegin(), topLevel_.rend());
    while (!stack.empty()) {
        dv::Node::Impl const* node = stack.back();
        stack.pop_back();
        if (auto const& anchor = node->getAnchorId(); anchor && !anchor->empty()) {
            anchors_.emplace(text::toUtf8(*anchor), node);
        }
        auto const& children = node->getChildren();
        for (std::size_t i = children.size(); i > 0; --i) {
            if (auto const* child = children[i - 1].getImpl()) {
                stack.push_back(child);
            }
        }
    }
}

dv::Node::Impl const* MarkdownAnchors::find(std::string_view name) {
    if (!collected_) {
        collect();
    }
    auto const id =
        text::linkedAnchor(name, [&](std::string const& candidate) { return anchors_.count(candidate) != 0; });
    return id ? anchors_.at(*id) : nullptr;
}

std::string MarkdownAnchors::placeholder(dv::Node::Impl const& link, dv::Node::Impl const& heading,
                                         std::string_view address) {
    links_.push_back(Link{&link, &heading, std::string(address)});
    return opening + std::to_string(links_.size() - 1) + closing;
}

void MarkdownAnchors::headingWritten(dv::Node::Impl const& heading, std::string const& id) {
    headingIds_.emplace(&heading, id);
}

void MarkdownAnchors::write(
    std::ostream& out, std::string_view text,
    std::function<std::string(dv::Node::Impl const&, std::string const&)> const& unreached) const {
    std::size_t begin = 0;
    for (std::size_t start; !links_.empty() && (start = text.find(opening, begin)) != std::string_view::npos;) {
        std::size_t const end = text.find(closing, start);
        out.write(text.data() + begin, static_cast<std::streamsize>(start - begin));
        Link const& link = links_[std::strtoul(text.data() + start + 1, nullptr, 10)];
        if (auto const it = headingIds_.find(link.heading); it != headingIds_.end() && !it->second.empty()) {
            out.put('#');
            out.write(it->second.data(), static_cast<std::streamsize>(it->second.size()));
        } else {
            out << unreached(*link.link, link.address);
        }
        begin = end + 1;
    }
    out.write(text.data() + begin, static_cast<std::streamsize>(text.size() - begin));
}

} // namespace richmarkup::formats
