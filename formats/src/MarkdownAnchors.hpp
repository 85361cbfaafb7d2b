#pragma once

#include <document/vxzero/Node.hpp>

#include <functional>
#include <iosfwd>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace richmarkup::formats {

/// Internal links of a Markdown page. Markdown gives ids to headings only, from their text, so
/// a link to an anchor id can reach a heading and nothing else. A heading's id is known once the
/// heading is written, and a link to it (from a table of contents) may come first: the link's
/// address is written as a placeholder, replaced when the page is complete.
class MarkdownAnchors {
public:
    /// The anchor ids are those under `topLevel`, which must outlive this; the first node of an
    /// id is the one it names.
    explicit MarkdownAnchors(std::vector<document::vxzero::Node::Impl const*> const& topLevel) : topLevel_(topLevel) {}

    /// The node an internal link "#name" points at: the one whose anchor id is `name`, or `name`
    /// under another of the tags the model gives anchor ids ("H_", "T_", "M_"), or so for `name`
    /// percent-decoded; null when there is none.
    document::vxzero::Node::Impl const* find(std::string_view name);

    /// A placeholder for the address of `link`, which names `heading` by `address`.
    std::string placeholder(document::vxzero::Node::Impl const& link, document::vxzero::Node::Impl const& heading,
                            std::string_view address);

    /// Records the id the Markdown gives `heading`.
    void headingWritten(document::vxzero::Node::Impl const& heading, std::string const& id);

    /// Writes `text` with every placeholder replaced: "#" and the heading's id, or, when the
    /// heading has none, what `unreached` gives for the link and its address.
    void write(std::ostream& out, std::string_view text,
               std::function<std::string(document::vxzero::Node::Impl const& link, std::string const& address)> const&
                   unreached) const;

private:
    struct Link {
        document::vxzero::Node::Impl const* link;
        document::vxzero::Node::Impl const* heading;
        std::string address;
    };

    // Collected at the first internal link: most pages have none.
    void collect();

    std::vector<document::vxzero::Node::Impl const*> const& topLevel_;
    bool collected_ = false;
    std::unordered_map<std::string, document::vxzero::Node::Impl const*> anchors_;
    std::unordered_map<document::vxzero::Node::Impl const*, std::string> headingIds_;
    std::vector<Link> links_;
};

} // namespace richmarkup::formats
