#pragma once

#include <richmarkup/formats/NodeView.hpp>
#include <richmarkup/host/Export.hpp>

#include <document/vxzero/Node.hpp>
#include <foundation/json/Value.hpp>

#include <cstddef>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace richmarkup::host {

class DocumentHost;
class ElementChecker;

/// Finds where in its input a node of a built model comes from, as an RFC 6901 JSON pointer:
/// for a writer's warning, which names a node. It walks the input as the build did, counting
/// only the elements that became nodes, so it needs the input again (parsed anew is fine) and
/// the block builders of the build.
class RICHMARKUP_HOST_EXPORT NodeLocator {
public:
    /// For documents built by `host`, with the block builders it has now.
    explicit NodeLocator(DocumentHost const& host);
    /// For documents built by block builders of these kinds ("HeadingNode", "TableNode", ...).
    explicit NodeLocator(std::set<std::string> blockKinds);
    NodeLocator(NodeLocator&&) noexcept;
    NodeLocator& operator=(NodeLocator&&) noexcept;
    ~NodeLocator();

    /// The node's path: its top-level node's index among `topLevel`, then the index of each
    /// node below among its parent's children. Nullopt when the node is under none of them.
    static std::optional<std::vector<std::size_t>> pathOf(std::vector<document::vxzero::Node> const& topLevel,
                                                          formats::NodeView node);

    /// The pointer into `document` (one element, or an array of them) of the value the node at
    /// `nodePath` was built from: "" or "/i" for a top-level node, then "/children/j" for each
    /// step down. Nullopt when the document has no such node.
    std::optional<std::string> pointerOf(foundation::json::Value const& document,
                                         std::vector<std::size_t> const& nodePath) const;

private:
    std::unique_ptr<ElementChecker const> checker_;
};

} // namespace richmarkup::host
