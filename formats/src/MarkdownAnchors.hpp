#pragma once

#include "TextTable.hpp"

#include <document/vxzero/Node.hpp>

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace richmarkup::formats {

/// Internal links of a Markdown page. Markdown gives ids to headings only, from their text, so
/// a link to an anchor id can reach a heading and nothing else. A heading's id is known once the
/// heading is written, and a link to it (from a table of contents) may come first: the link's
/// address is written as a placeholder, replaced as the page goes out once the id is known.
class MarkdownAnchors {
public:
    /// The anchor ids are those under `topLevel`, which must outlive this; the first node of an
    /// id is the one it names.
    explicit MarkdownAnchors(std::vector<document::vxzero::Node> const& topLevel) : topLevel_(topLevel) {}

    /// The node an internal link "#name" points at: the one whose anchor id is `name`, or `name`
    /// under another of the tags the model gives anchor ids ("H_", "T_", "M_"), or so for `name`
    /// percent-decoded; null when there is none.
    document::vxzero::Node::Impl const* find(std::string_view name);

    /// A placeholder for the address of `link`, which names `heading` by `address`.
    std::string placeholder(document::vxzero::Node::Impl const& link, document::vxzero::Node::Impl const& heading,
                            std::string_view address);

    /// Records the id the Markdown gives `heading`.
    void headingWritten(document::vxzero::Node::Impl const& heading, std::string const& id);

    /// What becomes of a placeholder whose heading has no id: the address to write for the link.
    using Unreached = std::function<std::string(document::vxzero::Node::Impl const& link, std::string const& address)>;

    /// Appends the next piece of the page to `out` with its placeholders replaced by "#" and the
    /// heading's id, as far as the ids are known: from the first placeholder whose heading has
    /// no id yet, the page is kept until finish().
    void pass(std::string_view text, std::string& out);

    /// Appends what was kept, every placeholder replaced: "#" and the heading's id, or, when
    /// the heading has none, what `unreached` gives for the link and its address.
    void finish(std::string& out, Unreached const& unreached);

private:
    struct Link {
        document::vxzero::Node::Impl const* link;
        document::vxzero::Node::Impl const* heading;
        std::string address;
    };

    // Collected at the first internal link: most pages have none.
    void collect();
    // The link of the placeholder that starts at `text`'s `start`; `end` is set to its last byte.
    Link const& linkAt(std::string_view text, std::size_t start, std::size_t& end) const;
    // The id written for the link's heading, if it has one.
    std::string const* idOf(Link const& link) const;

    std::vector<document::vxzero::Node> const& topLevel_;
    bool collected_ = false;
    TextTable<document::vxzero::Node::Impl const*> anchors_;
    TextTable<std::string> headingIds_; // by pointerKey of the heading
    std::deque<Link> links_;            // not moved as it grows: a page may have a link in every paragraph
    std::string kept_;                  // the page from the first placeholder not yet replaced
};

} // namespace richmarkup::formats
