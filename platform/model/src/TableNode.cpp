#include <document/vxzero/TableNode.hpp>

#include <document/vxzero/NodeAccess.hpp>

namespace document::vxzero {

TableNode::Impl::~Impl() = default;

TableNode TableNode::Builder::createTableNode(boost::uuids::uuid const& uuid) const {
    return detail::NodeAccess::create<TableNode>(model_, uuid);
}

} // namespace document::vxzero
