#include <document/vxzero/TableOfContentsHeadingNode.hpp>

#include <document/vxzero/NodeAccess.hpp>

namespace document::vxzero {

TableOfContentsHeadingNode::Impl::~Impl() = default;

TableOfContentsHeadingNode
TableOfContentsHeadingNode::Builder::createTableOfContentsHeadingNode(boost::uuids::uuid const& uuid) const {
    return detail::NodeAccess::create<TableOfContentsHeadingNode>(model_, uuid);
}

} // namespace document::vxzero
